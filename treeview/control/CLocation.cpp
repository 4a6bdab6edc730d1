// CLocation: joining names to locations, reading file: locations and
// encoding web addresses.
#include "control/CLocation.h"

#include "framework/DecodeBytes.h"

#include <windows.h>
#include <cwctype>

namespace {
bool StartsWithNoCase(const std::wstring& s, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i)
    if (i >= s.size() || std::towlower(s[i]) != prefix[i]) return false;
  return true;
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

bool IsDrive(const std::wstring& s) {
  return s.size() >= 2 && IsAsciiLetter(s[0]) && (s[1] == L':' || s[1] == L'|');
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Escaped bytes as text: UTF-8 when they are valid UTF-8, else the system
// code page (what these escapes meant before names were Unicode).
std::wstring BytesToText(const std::string& bytes) {
  std::wstring text;
  DecodeBytes(bytes, IsValidUtf8(bytes), &text);
  return text;
}

std::wstring Decode(const std::wstring& s) {
  std::wstring out;
  std::string run;  // consecutive escaped bytes, decoded together
  for (size_t i = 0; i < s.size(); ++i) {
    int hi, lo;
    if (s[i] == L'%' && i + 2 < s.size() && (hi = HexValue(s[i + 1])) >= 0 &&
        (lo = HexValue(s[i + 2])) >= 0) {
      run += static_cast<char>(hi * 16 + lo);
      i += 2;
      continue;
    }
    if (!run.empty()) out += BytesToText(run);
    run.clear();
    out += s[i];
  }
  if (!run.empty()) out += BytesToText(run);
  return out;
}

std::wstring Backslashes(std::wstring s) {
  for (wchar_t& c : s)
    if (c == L'/') c = L'\\';
  return s;
}
}  // namespace

bool CLocation::IsWebAddress(const std::wstring& location) {
  return StartsWithNoCase(location, L"http://") || StartsWithNoCase(location, L"https://");
}

std::wstring CLocation::Join(const std::wstring& url, const std::wstring& name) {
  std::wstring location = url + L"\\" + name;
  if (IsWebAddress(location))
    for (wchar_t& c : location)
      if (c == L'\\') c = L'/';
  return location;
}

namespace {
// Where a web address's path begins: after the scheme and the host.
size_t PathStart(const std::wstring& location) {
  const size_t scheme = location.find(L"://");
  return scheme == std::wstring::npos ? 0 : location.find_first_of(L"/\\", scheme + 3);
}
}  // namespace

std::wstring CLocation::ServerOf(const std::wstring& location) {
  if (!IsWebAddress(location)) return L"file:";
  std::wstring server = location.substr(0, PathStart(location));
  for (wchar_t& c : server) c = static_cast<wchar_t>(std::towlower(c));
  return server;
}

std::wstring CLocation::EncodeWebAddress(const std::wstring& location) {
  const size_t path = PathStart(location);
  if (path == std::wstring::npos) return location;
  std::wstring out = location.substr(0, path);
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  for (size_t i = path; i < location.size(); ++i) {
    if (location[i] < 0x80) {
      out += location[i];
      continue;
    }
    // A surrogate pair is one character: its two units go together.
    size_t units = IS_HIGH_SURROGATE(location[i]) && i + 1 < location.size() &&
                           IS_LOW_SURROGATE(location[i + 1])
                       ? 2
                       : 1;
    char bytes[8];
    int n = WideCharToMultiByte(CP_UTF8, 0, &location[i], static_cast<int>(units), bytes,
                                sizeof(bytes), nullptr, nullptr);
    for (int k = 0; k < n; ++k) {
      const auto b = static_cast<unsigned char>(bytes[k]);
      out += L'%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
    i += units - 1;
  }
  return out;
}

bool CLocation::FileUrlToPath(const std::wstring& location, std::wstring* path) {
  if (!StartsWithNoCase(location, L"file:")) return false;
  std::wstring rest = location.substr(5);
  if (rest.compare(0, 2, L"//") != 0) return false;
  rest = rest.substr(2);
  if (rest.empty()) return false;
  if (IsDrive(rest)) {
    *path = rest;  // the name as written: no escapes, separators kept
  } else if (!rest.empty() && rest[0] == L'/') {
    rest = Decode(rest.substr(1));
    *path = IsDrive(rest) ? Backslashes(rest) : L"\\" + Backslashes(rest);
  } else if (StartsWithNoCase(rest, L"localhost/")) {
    *path = Backslashes(Decode(rest.substr(10)));
  } else {
    *path = L"\\\\" + Backslashes(Decode(rest));  // a share on another machine
  }
  if (IsDrive(*path)) (*path)[1] = L':';
  return !path->empty();
}
