// CLineReader: reads a text file line by line through a buffer, with no
// limit on a line's length, giving text of the system code page; owns the
// file it reads.
//
// A file is read as UTF-8 when it begins with the UTF-8 byte-order mark
// (which is dropped), or when all of it is valid UTF-8 holding at least one
// multi-byte sequence; each line is then converted to the system code page
// (characters it lacks become '?'). Any other file is taken as it stands.
#pragma once
#include <string>
#include <vector>
#include "framework/CFile.h"

class CLineReader {
public:
  CLineReader() : m_pos(0), m_end(0), m_bEof(false), m_bUtf8(false) {}
  CLineReader(const CLineReader&) = delete;
  CLineReader& operator=(const CLineReader&) = delete;

  bool Open(const std::string& path);
  // Whether the open file is read as UTF-8.
  bool IsUtf8() const { return m_bUtf8; }
  void Close();
  // The next line without its end (LF, or CR LF); a CR elsewhere stays, and
  // a line ends at its first zero byte as text would. false after the last.
  // A line that cannot be held raises std::bad_alloc.
  bool ReadLine(std::string* line);

  // Test hook: lines longer than this many bytes fail as an allocation the
  // heap refused would (0 restores no limit).
  static void SetLineLimitForTest(size_t bytes);

private:
  bool Fill();
  // Reads the whole file once to tell whether it is UTF-8, then rewinds.
  bool DetectUtf8();

  CFile m_file;
  std::vector<char> m_buffer;
  size_t m_pos, m_end;  // unread bytes of m_buffer
  bool m_bEof;
  bool m_bUtf8;
};
