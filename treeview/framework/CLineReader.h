// CLineReader: reads a text file line by line through a buffer, with no
// limit on a line's length, giving UTF-16 text; owns the file it reads.
//
// The encoding is chosen once, when the file opens: a UTF-8 byte-order mark
// gives UTF-8 and a UTF-16 mark (little- or big-endian) UTF-16, the mark
// being dropped; a file without a mark is UTF-8 when all of it is valid
// UTF-8 holding at least one multi-byte sequence, and text of the system
// code page otherwise. Each line is cut at its line feed before it is
// decoded: no encoding read here has a line-feed unit inside a character,
// so a double-byte code page's lines split between characters.
#pragma once
#include <string>
#include <vector>
#include "framework/CFile.h"

class CLineReader {
public:
  enum class Encoding { kCodePage, kUtf8, kUtf16Le, kUtf16Be };

  CLineReader() : m_pos(0), m_end(0), m_bEof(false), m_encoding(Encoding::kCodePage) {}
  CLineReader(const CLineReader&) = delete;
  CLineReader& operator=(const CLineReader&) = delete;

  bool Open(const std::wstring& path);
  // How the open file is decoded.
  Encoding GetEncoding() const { return m_encoding; }
  void Close();
  // The next line without its end (LF, or CR LF); a CR elsewhere stays, and
  // a line ends at its first zero character as text would. false after the
  // last. A line that cannot be held raises std::bad_alloc.
  bool ReadLine(std::wstring* line);

  // Test hook: lines longer than this many bytes fail as an allocation the
  // heap refused would (0 restores no limit).
  static void SetLineLimitForTest(size_t bytes);

private:
  bool Fill();
  // Takes a byte-order mark, or else reads the whole file once to tell
  // whether it is UTF-8, then rewinds.
  bool DetectEncoding();
  // Appends the buffer's bytes up to the line's end to m_raw; true when the
  // end was found (and consumed).
  bool TakeLineBytes();

  CFile m_file;
  std::vector<char> m_buffer;
  std::string m_raw;    // the current line's bytes, still encoded
  size_t m_pos, m_end;  // unread bytes of m_buffer
  bool m_bEof;
  Encoding m_encoding;
};
