// windows.h for the native fuzzing build: only what the server's pure text
// functions use, with Windows' 16-bit wchar_t values kept by the callers.
// GetFullPathNameW is a model of the platform's path rules, at least as
// eager to climb as the real one: any all-dots-and-spaces segment holding
// ".." goes up a level, and a segment naming a device becomes \\.\NAME.
// MultiByteToWideChar knows only strict UTF-8 (CP_UTF8 with
// MB_ERR_INVALID_CHARS), through the C library's iconv, which refuses
// what Windows refuses: overlong forms, surrogates, code points past
// U+10FFFF.
#pragma once

#include <iconv.h>

#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

typedef uint32_t DWORD;
typedef unsigned int UINT;

const UINT CP_UTF8 = 65001;
const DWORD MB_ERR_INVALID_CHARS = 0x08;

namespace fuzzshim {

inline bool IsDevice(std::wstring segment) {
  segment = segment.substr(0, segment.find(L'.'));
  while (!segment.empty() && (segment.back() == L' ' || segment.back() == L'.')) segment.pop_back();
  for (wchar_t& c : segment) c = static_cast<wchar_t>(std::towupper(c));
  static const wchar_t* const kNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* name : kNames) {
    if (segment == name) return true;
  }
  return segment.size() == 4 &&
         (segment.compare(0, 3, L"COM") == 0 || segment.compare(0, 3, L"LPT") == 0) &&
         ((segment[3] >= L'1' && segment[3] <= L'9') || segment[3] == 0xB9 || segment[3] == 0xB2 ||
          segment[3] == 0xB3);
}

inline std::wstring FullPath(const std::wstring& input) {
  std::wstring path = input;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  std::wstring drive = L"C:";
  size_t start = 0;
  if (path.size() >= 2 && path[1] == L':') {
    drive = path.substr(0, 2);
    start = 2;
  } else {
    path = L"\\cwd\\" + path;  // relative: below a fixed current folder
  }
  std::vector<std::wstring> parts;
  bool trailing = !path.empty() && path.back() == L'\\';
  size_t pos = start;
  while (pos <= path.size()) {
    size_t end = path.find(L'\\', pos);
    if (end == std::wstring::npos) end = path.size();
    std::wstring seg = path.substr(pos, end - pos);
    pos = end + 1;
    if (seg.empty()) continue;
    if (seg.find_first_not_of(L". ") == std::wstring::npos) {
      if (seg.find(L"..") != std::wstring::npos && !parts.empty()) parts.pop_back();
      continue;
    }
    if (IsDevice(seg)) return L"\\\\.\\" + seg.substr(0, seg.find(L'.'));
    parts.push_back(seg);
  }
  std::wstring out = drive + L"\\";
  for (size_t i = 0; i < parts.size(); ++i) {
    out += parts[i];
    if (i + 1 < parts.size() || trailing) out += L"\\";
  }
  return out;
}

}  // namespace fuzzshim

// The platform's contract: with room, the length without terminator; without
// room, the size needed including it.
inline DWORD GetFullPathNameW(const wchar_t* pszPath, DWORD nBuffer, wchar_t* pBuffer,
                              wchar_t** ppFilePart) {
  std::wstring full = fuzzshim::FullPath(pszPath);
  if (ppFilePart) *ppFilePart = nullptr;
  if (full.size() + 1 > nBuffer) return static_cast<DWORD>(full.size() + 1);
  full.copy(pBuffer, full.size());
  pBuffer[full.size()] = 0;
  return static_cast<DWORD>(full.size());
}

// UTF-16 code units of the bytes, one per wchar_t: with room, the count
// written; without (room 0), the count needed; 0 for invalid bytes.
inline int MultiByteToWideChar(UINT codePage, DWORD flags, const char* bytes, int count,
                               wchar_t* out, int room) {
  if (codePage != CP_UTF8 || flags != MB_ERR_INVALID_CHARS || count <= 0) return 0;
  iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  std::string in(bytes, static_cast<size_t>(count));
  std::string units(in.size() * 4, '\0');
  char* from = &in[0];
  char* to = &units[0];
  size_t left = in.size(), space = units.size();
  size_t done = iconv(cd, &from, &left, &to, &space);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1) || left != 0) return 0;
  int n = static_cast<int>((units.size() - space) / 2);
  if (room == 0) return n;
  if (room < n) return 0;
  for (int i = 0; i < n; ++i)
    out[i] = static_cast<wchar_t>(static_cast<unsigned char>(units[2 * i]) |
                                  (static_cast<unsigned char>(units[2 * i + 1]) << 8));
  return n;
}
