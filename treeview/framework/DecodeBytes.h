// DecodeBytes.h: bytes of a file or an address, in no stated encoding, to
// UTF-16. The one place where such text is read in the system code page.
#pragma once

#include <string>

// As UTF-8 when `utf8` (invalid sequences become U+FFFD), else in the
// system code page.
void DecodeBytes(const std::string& bytes, bool utf8, std::wstring* text);

// Whether all of `bytes` is valid UTF-8 (the empty text is), by the
// platform's rule: shortest forms only, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(const char* bytes, size_t count);
inline bool IsValidUtf8(const std::string& bytes) {
  return IsValidUtf8(bytes.data(), bytes.size());
}

// How much of `bytes` ends on a whole UTF-8 sequence: all of it, less a
// last sequence that its next bytes would complete.
size_t WholeUtf8(const char* bytes, size_t count);
