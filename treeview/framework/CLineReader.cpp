// CLineReader: buffered line splitting over a CFile.
#include "framework/CLineReader.h"

#include "framework/DecodeBytes.h"

#include <cstring>
#include <new>

namespace {
const DWORD kChunk = 65536;
size_t g_lineLimit = 0;  // 0: no limit but the heap's
}  // namespace

void CLineReader::SetLineLimitForTest(size_t bytes) { g_lineLimit = bytes; }

namespace {
const char kByteOrderMark[] = "\xEF\xBB\xBF";

// Checks a file's UTF-8 piece by piece; a sequence cut by a piece's end is
// checked with the next piece.
class Utf8Check {
public:
  void Feed(const char* p, size_t n) {
    if (!m_valid) return;
    for (size_t i = 0; i < n && !m_multiByte; ++i)
      m_multiByte = static_cast<unsigned char>(p[i]) >= 0x80;
    m_pending.append(p, n);
    const size_t whole = WholeUtf8(m_pending.data(), m_pending.size());
    m_valid = IsValidUtf8(m_pending.data(), whole);
    m_pending.erase(0, whole);
  }
  // Valid UTF-8 with at least one multi-byte sequence.
  bool IsUtf8() const { return m_valid && m_pending.empty() && m_multiByte; }

private:
  bool m_valid = true, m_multiByte = false;
  std::string m_pending;  // the bytes not checked yet
};

bool IsWide(CLineReader::Encoding e) {
  return e == CLineReader::Encoding::kUtf16Le || e == CLineReader::Encoding::kUtf16Be;
}

}  // namespace

bool CLineReader::Open(const std::wstring& path) {
  Close();
  if (!m_file.Open(path, CFile::kRead)) return false;
  m_buffer.resize(kChunk);
  if (!DetectEncoding()) {
    Close();
    return false;
  }
  return true;
}

bool CLineReader::DetectEncoding() {
  Utf8Check check;
  bool first = true;
  while (Fill()) {
    if (first) {
      const unsigned char* b = reinterpret_cast<const unsigned char*>(m_buffer.data());
      // The mark is not text; the first chunk stays as read.
      if (m_end >= 3 && memcmp(b, kByteOrderMark, 3) == 0) {
        m_encoding = Encoding::kUtf8;
        m_pos = 3;
        return true;
      }
      if (m_end >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        m_encoding = b[0] == 0xFF ? Encoding::kUtf16Le : Encoding::kUtf16Be;
        m_pos = 2;
        return true;
      }
    }
    first = false;
    check.Feed(m_buffer.data(), m_end);
  }
  m_encoding = check.IsUtf8() ? Encoding::kUtf8 : Encoding::kCodePage;
  m_pos = m_end = 0;
  m_bEof = false;
  return m_file.SeekToBegin();
}

void CLineReader::Close() {
  m_file.Close();
  m_raw.clear();
  m_pos = m_end = 0;
  m_bEof = false;
  m_encoding = Encoding::kCodePage;
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

bool CLineReader::TakeLineBytes() {
  const char* start = m_buffer.data() + m_pos;
  const size_t avail = m_end - m_pos;
  size_t n = avail, skip = 0;  // bytes of the line, then of its line feed
  if (!IsWide(m_encoding)) {
    const void* nl = memchr(start, '\n', avail);
    if (nl) {
      n = static_cast<size_t>(static_cast<const char*>(nl) - start);
      skip = 1;
    }
  } else {
    // Unit by unit; a unit may straddle two reads, so parity counts from
    // the line's first byte.
    const bool le = m_encoding == Encoding::kUtf16Le;
    for (size_t i = 0; i < avail; ++i) {
      if ((m_raw.size() + i) % 2 == 0) continue;  // a unit's first byte
      const char first = i ? start[i - 1] : m_raw.back();
      const char lo = le ? first : start[i], hi = le ? start[i] : first;
      if (lo == '\n' && hi == '\0') {
        if (i == 0) m_raw.pop_back();
        n = i ? i - 1 : 0;
        skip = i ? 2 : 1;
        break;
      }
    }
  }
  if (g_lineLimit && m_raw.size() + n > g_lineLimit) throw std::bad_alloc();
  m_raw.append(start, n);
  m_pos += n + skip;
  return skip != 0;
}

bool CLineReader::ReadLine(std::wstring* line) {
  line->clear();
  m_raw.clear();
  bool any = false;
  for (;;) {
    if (m_pos == m_end && !Fill()) break;
    any = true;
    if (TakeLineBytes()) break;
  }
  if (!any) return false;
  if (IsWide(m_encoding)) {
    const bool le = m_encoding == Encoding::kUtf16Le;
    line->reserve(m_raw.size() / 2);
    for (size_t i = 0; i + 1 < m_raw.size(); i += 2) {
      const auto a = static_cast<unsigned char>(m_raw[i]),
                 b = static_cast<unsigned char>(m_raw[i + 1]);
      line->push_back(static_cast<wchar_t>(le ? a | b << 8 : b | a << 8));
    }
  } else {
    DecodeBytes(m_raw, m_encoding == Encoding::kUtf8, line);
  }
  // On characters, after decoding: the CR of a CR LF, then the text's end.
  if (!line->empty() && line->back() == L'\r') line->pop_back();
  size_t zero = line->find(L'\0');
  if (zero != std::wstring::npos) line->resize(zero);
  return true;
}
