// CString.cpp: a wide-character text in one heap block.
#include "lib/CString.h"

#include <cstdio>
#include <cstring>

namespace {

const int kFormatStartChars = 2048;
// Beyond this a format is taken as failing for every capacity; without a
// bound a broken format would double the block until memory runs out.
const int kFormatMaxChars = 64 * 1024 * 1024;

wchar_t* CopyOf(const wchar_t* psz) {
  size_t n = wcslen(psz);
  wchar_t* p = new wchar_t[n + 1];
  wmemcpy(p, psz, n + 1);
  return p;
}

}  // namespace

CString::CString() : m_pBuffer(nullptr) {}

CString::CString(const wchar_t* text) : m_pBuffer(CopyOf(text)) {}

CString::CString(const char* text) : m_pBuffer(nullptr) {
  size_t n = strlen(text);
  m_pBuffer = new wchar_t[n + 1];
  for (size_t i = 0; i < n; ++i) m_pBuffer[i] = static_cast<unsigned char>(text[i]);
  m_pBuffer[n] = L'\0';
}

CString::CString(const CString& other) : CObject(), m_pBuffer(CopyOf(other.GetText())) {}

CString& CString::operator=(const CString& other) {
  if (this != &other) Replace(CopyOf(other.GetText()));
  return *this;
}

CString::~CString() { delete[] m_pBuffer; }

void CString::Replace(wchar_t* block) {
  delete[] m_pBuffer;
  m_pBuffer = block;
}

const wchar_t* CString::GetText() const { return m_pBuffer ? m_pBuffer : L""; }

int CString::GetLength() const { return m_pBuffer ? static_cast<int>(wcslen(m_pBuffer)) : 0; }

wchar_t* CString::Append(const CString& other) {
  size_t ownLength = GetLength();
  size_t otherLength = other.GetLength();
  wchar_t* p = new wchar_t[ownLength + otherLength + 1];
  wmemcpy(p, GetText(), ownLength);
  wmemcpy(p + ownLength, other.GetText(), otherLength + 1);
  Replace(p);
  return m_pBuffer;
}

wchar_t* CString::GetBuffer(int n) {
  if (n < 0) n = 0;
  wchar_t* p = new wchar_t[n + 2];
  int keep = GetLength();
  if (keep > n) keep = n;
  wmemcpy(p, GetText(), keep);
  wmemset(p + keep, L'\0', n + 2 - keep);
  Replace(p);
  return m_pBuffer;
}

int CString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  int n = FormatV(format, args);
  va_end(args);
  return n;
}

int CString::FormatV(const wchar_t* format, va_list args) {
  for (int capacity = kFormatStartChars; capacity <= kFormatMaxChars; capacity *= 2) {
    wchar_t* p = new wchar_t[capacity];
    va_list copy;
    va_copy(copy, args);
    // One position is kept for the terminator: msvcrt does not write
    // one when the text fills the count exactly.
    int n = _vsnwprintf(p, capacity - 1, format, copy);
    va_end(copy);
    if (n >= 0) {
      p[n] = L'\0';
      Replace(p);
      return n;
    }
    delete[] p;
  }
  Replace(nullptr);
  return -1;
}

char* CString::ToNarrow() const {
  int n = GetLength();
  const wchar_t* psz = GetText();
  char* p = new char[n + 1];
  for (int i = 0; i < n; ++i) p[i] = psz[i] <= 0xFF ? static_cast<char>(psz[i]) : '?';
  p[n] = '\0';
  return p;
}
