// CString.h: a wide-character text; owns one heap block (null when empty).
#pragma once

#include "lib/CObject.h"

#include <cstdarg>
#include <cwchar>

// No length is stored: operations measure the text when they need it, and
// every change replaces the whole block.
class CString : public CObject {
public:
  CString();
  explicit CString(const wchar_t* text);
  // Widens byte for byte: each byte 0x00-0xFF becomes the same code point.
  explicit CString(const char* text);
  CString(const CString& other);
  CString& operator=(const CString& other);
  ~CString() override;

  // The text, or an empty text when there is no block; never null.
  const wchar_t* GetText() const;
  int GetLength() const;

  // Replaces the text by its own text followed by other's.
  wchar_t* Append(const CString& other);

  // A writable block of n + 2 characters; the first min(len, n) characters
  // keep the old text, the rest of the first n and the last are zero.
  wchar_t* GetBuffer(int n);

  // printf-style, platform conventions (%s wide, %S 8-bit). Returns the
  // characters produced, or -1 (text emptied) when formatting fails even
  // with the largest capacity tried. The old text lives until the new one
  // is made, so an argument may be this string's own text.
  int Format(const wchar_t* format, ...);
  int FormatV(const wchar_t* format, va_list args);

  // A new zero-terminated 8-bit copy that the caller frees with delete[].
  // Characters up to U+00FF become the byte of the same value; any other
  // becomes '?', so the copy is always whole and terminated.
  char* ToNarrow() const;

private:
  void Replace(wchar_t* block);

  wchar_t* m_pBuffer;  // text + terminator, or null for the empty text
};
