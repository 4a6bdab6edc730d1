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
  BOOL ReadLine(std::string& line);

private:
  BOOL Fill();

  CFile m_file;
  std::vector<char> m_buffer;
  size_t m_pos, m_end;  // unread bytes of m_buffer
  BOOL m_bEof;
};
