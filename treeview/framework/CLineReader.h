// CLineReader: reads a text file line by line through a buffer, with no
// limit on a line's length; owns the file it reads.
#pragma once
#include <string>
#include <vector>
#include "CFile.h"

class CLineReader {
public:
  CLineReader() : m_pos(0), m_end(0), m_bEof(FALSE) {}
  CLineReader(const CLineReader&) = delete;
  CLineReader& operator=(const CLineReader&) = delete;

  BOOL Open(const std::string& path);
  void Close();
  // The next line without its end (LF, or CR LF); a CR elsewhere stays, and
  // a line ends at its first zero byte as text would. FALSE after the last.
  // A line that cannot be held raises std::bad_alloc.
  BOOL ReadLine(std::string& line);

  // Test hook: lines longer than this many bytes fail as an allocation the
  // heap refused would (0 restores no limit).
  static void SetLineLimitForTest(size_t bytes);

private:
  BOOL Fill();

  CFile m_file;
  std::vector<char> m_buffer;
  size_t m_pos, m_end;  // unread bytes of m_buffer
  BOOL m_bEof;
};
