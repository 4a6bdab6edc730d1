// DecodeBytes.h: bytes of a file or an address, in no stated encoding, to
// UTF-16. The one place where such text is read in the system code page.
#pragma once

#include <string>

// As UTF-8 when `utf8` (invalid sequences become U+FFFD), else in the
// system code page.
void DecodeBytes(const std::string& bytes, bool utf8, std::wstring* text);

// Whether all of `bytes` is valid UTF-8 (the empty text is).
bool IsValidUtf8(const std::string& bytes);
