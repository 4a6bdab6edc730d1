// DecodeBytes.cpp: code-page and UTF-8 bytes to UTF-16.
#include "framework/DecodeBytes.h"

#include <windows.h>

void DecodeBytes(const std::string& bytes, bool utf8, std::wstring* text) {
  // ASCII, the same in every system code page, is widened directly: most
  // lines of a configuration are ASCII, and this is the load's innermost loop.
  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    text->assign(bytes.begin(), bytes.end());
    return;
  }
  // No more UTF-16 units than bytes, in any of these encodings.
  const int len = static_cast<int>(bytes.size());
  text->resize(bytes.size());
  const int n =
      MultiByteToWideChar(utf8 ? CP_UTF8 : CP_ACP, 0, bytes.data(), len, &(*text)[0], len);
  text->resize(static_cast<size_t>(n > 0 ? n : 0));
}

bool IsValidUtf8(const std::string& bytes) {
  return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                              static_cast<int>(bytes.size()), nullptr, 0) > 0;
}
