// CLineReader: buffered line splitting over a CFile.
#include "framework/CLineReader.h"
#include <cstring>
#include <new>

namespace {
const DWORD kChunk = 65536;
size_t g_lineLimit = 0;  // 0: no limit but the heap's
}  // namespace

void CLineReader::SetLineLimitForTest(size_t bytes) { g_lineLimit = bytes; }

namespace {
const char kByteOrderMark[] = "\xEF\xBB\xBF";

// Checks UTF-8 piece by piece: shortest forms only, no surrogates, nothing
// past U+10FFFF.
class Utf8Check {
public:
  void Feed(const unsigned char* p, size_t n) {
    for (size_t i = 0; i < n && m_valid; ++i) Byte(p[i]);
  }
  // Valid UTF-8 with at least one multi-byte sequence.
  bool IsUtf8() const { return m_valid && m_need == 0 && m_multiByte; }

private:
  void Byte(unsigned char c) {
    if (m_need) {
      if ((c & 0xC0) != 0x80 || c < m_lo || c > m_hi) {
        m_valid = false;
        return;
      }
      m_lo = 0x80;
      m_hi = 0xBF;
      if (--m_need == 0) m_multiByte = true;
      return;
    }
    if (c < 0x80) return;
    m_lo = 0x80;
    m_hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF)
      m_need = 1;
    else if (c >= 0xE0 && c <= 0xEF) {
      m_need = 2;
      if (c == 0xE0) m_lo = 0xA0;  // no overlong form
      if (c == 0xED) m_hi = 0x9F;  // no surrogate
    } else if (c >= 0xF0 && c <= 0xF4) {
      m_need = 3;
      if (c == 0xF0) m_lo = 0x90;
      if (c == 0xF4) m_hi = 0x8F;  // nothing past U+10FFFF
    } else {
      m_valid = false;
    }
  }

  bool m_valid = true, m_multiByte = false;
  int m_need = 0;                          // continuation bytes still due
  unsigned char m_lo = 0x80, m_hi = 0xBF;  // range of the next continuation byte
};

// UTF-8 text to the system code page.
std::string Utf8ToAnsi(const std::string& text) {
  if (text.empty()) return text;
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  int m = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
  return out;
}
}  // namespace

bool CLineReader::Open(const std::string& path) {
  Close();
  if (!m_file.Open(path, CFile::kRead)) return false;
  m_buffer.resize(kChunk);
  if (!DetectUtf8()) {
    Close();
    return false;
  }
  return true;
}

bool CLineReader::DetectUtf8() {
  Utf8Check check;
  bool first = true;
  while (Fill()) {
    if (first && m_end >= 3 && memcmp(m_buffer.data(), kByteOrderMark, 3) == 0) {
      m_bUtf8 = true;
      m_pos = 3;  // the mark is not text; the first chunk stays as read
      return true;
    }
    first = false;
    check.Feed(reinterpret_cast<const unsigned char*>(m_buffer.data()), m_end);
  }
  m_bUtf8 = check.IsUtf8();
  m_pos = m_end = 0;
  m_bEof = false;
  return m_file.SeekToBegin();
}

void CLineReader::Close() {
  m_file.Close();
  m_pos = m_end = 0;
  m_bEof = false;
  m_bUtf8 = false;
}

bool CLineReader::Fill() {
  if (m_bEof) return false;
  int got = m_file.Read(m_buffer.data(), kChunk);
  if (got <= 0) {
    m_bEof = true;
    return false;
  }
  m_pos = 0;
  m_end = static_cast<size_t>(got);
  return true;
}

bool CLineReader::ReadLine(std::string* line) {
  line->clear();
  bool any = false;
  for (;;) {
    if (m_pos == m_end && !Fill()) break;
    any = true;
    const char* start = m_buffer.data() + m_pos;
    const void* nl = memchr(start, '\n', m_end - m_pos);
    size_t n = nl ? static_cast<const char*>(nl) - start : m_end - m_pos;
    if (g_lineLimit && line->size() + n > g_lineLimit) throw std::bad_alloc();
    line->append(start, n);
    m_pos += n;
    if (nl) {
      ++m_pos;
      if (!line->empty() && line->back() == '\r') line->pop_back();
      break;
    }
  }
  if (!any) return false;
  size_t zero = line->find('\0');
  if (zero != std::string::npos) line->resize(zero);
  if (m_bUtf8) *line = Utf8ToAnsi(*line);
  return true;
}
