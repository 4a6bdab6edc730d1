// CLineReader: buffered line splitting over a CFile.
#include "CLineReader.h"
#include <cstring>
#include <new>

namespace {
const DWORD kChunk = 65536;
size_t g_lineLimit = 0;  // 0: no limit but the heap's
}

void CLineReader::SetLineLimitForTest(size_t bytes) { g_lineLimit = bytes; }

BOOL CLineReader::Open(const std::string& path) {
  Close();
  if (!m_file.Open(path, CFile::kRead)) return FALSE;
  m_buffer.resize(kChunk);
  return TRUE;
}

void CLineReader::Close() {
  m_file.Close();
  m_pos = m_end = 0;
  m_bEof = FALSE;
}

BOOL CLineReader::Fill() {
  if (m_bEof) return FALSE;
  int got = m_file.Read(m_buffer.data(), kChunk);
  if (got <= 0) {
    m_bEof = TRUE;
    return FALSE;
  }
  m_pos = 0;
  m_end = static_cast<size_t>(got);
  return TRUE;
}

BOOL CLineReader::ReadLine(std::string& line) {
  line.clear();
  BOOL any = FALSE;
  for (;;) {
    if (m_pos == m_end && !Fill()) break;
    any = TRUE;
    const char* start = m_buffer.data() + m_pos;
    const void* nl = memchr(start, '\n', m_end - m_pos);
    size_t n = nl ? static_cast<const char*>(nl) - start : m_end - m_pos;
    if (g_lineLimit && line.size() + n > g_lineLimit) throw std::bad_alloc();
    line.append(start, n);
    m_pos += n;
    if (nl) {
      ++m_pos;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      break;
    }
  }
  if (!any) return FALSE;
  size_t zero = line.find('\0');
  if (zero != std::string::npos) line.resize(zero);
  return TRUE;
}
