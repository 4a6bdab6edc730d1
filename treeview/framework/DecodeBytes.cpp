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

bool IsValidUtf8(const char* bytes, size_t count) {
  return count == 0 || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes,
                                           static_cast<int>(count), nullptr, 0) > 0;
}

size_t WholeUtf8(const char* bytes, size_t count) {
  for (size_t back = 1; back <= 3 && back <= count; ++back) {
    const auto b = static_cast<unsigned char>(bytes[count - back]);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return length > back ? count - back : count;
  }
  return count;
}
