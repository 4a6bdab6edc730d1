// HttpText.cpp: the pure text rules of the HTTP worker.
#include "http/HttpText.h"

#include <windows.h>

#include <cstring>
#include <cwctype>
#include <vector>

int HeadLength(const char* pText, int nLength) {
  for (int i = 1; i + 4 <= nLength; ++i) {
    if (pText[i] == '\r' && std::memcmp(pText + i, "\r\n\r\n", 4) == 0) return i + 4;
  }
  return 0;
}

HttpMethod ParseRequest(const char* pszHead, std::wstring* pTarget) {
  HttpMethod method = HTTP_OTHER;
  size_t nSkip = 0;
  if (std::strncmp(pszHead, "GET ", 4) == 0) {
    method = HTTP_GET;
    nSkip = 4;
  } else if (std::strncmp(pszHead, "HEAD ", 5) == 0) {
    method = HTTP_HEAD;
    nSkip = 5;
  }
  pTarget->clear();
  if (method == HTTP_OTHER) return method;
  for (const char* p = pszHead + nSkip; *p && *p != ' '; ++p)
    pTarget->push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
  return method;
}

namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

bool DecodeTarget(const std::wstring& raw, std::wstring* pBytes) {
  pBytes->clear();
  size_t nEnd = raw.find(L'?');
  if (nEnd == std::wstring::npos) nEnd = raw.size();
  for (size_t i = 0; i < nEnd; ++i) {
    if (raw[i] != L'%') {
      pBytes->push_back(raw[i]);
      continue;
    }
    int nHigh = i + 2 < nEnd ? HexValue(raw[i + 1]) : -1;
    int nLow = nHigh >= 0 ? HexValue(raw[i + 2]) : -1;
    if (nLow < 0) return false;
    pBytes->push_back(static_cast<wchar_t>(nHigh * 16 + nLow));
    i += 2;
  }
  return true;
}

std::wstring NameFromBytes(const std::wstring& bytes) {
  std::wstring name;
  name.reserve(bytes.size());
  size_t i = 0, n = bytes.size();
  while (i < n) {
    unsigned c = bytes[i];
    if (c > 0xFF) return bytes;  // not bytes at all: left as they are
    if (c < 0x80) {
      name.push_back(static_cast<wchar_t>(c));
      ++i;
      continue;
    }
    size_t nMore = 0;
    unsigned long cp = 0, nMin = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      nMore = 1;
      cp = c & 0x1F;
      nMin = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      nMore = 2;
      cp = c & 0x0F;
      nMin = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      nMore = 3;
      cp = c & 0x07;
      nMin = 0x10000;
    } else {
      return bytes;
    }
    if (i + nMore >= n) return bytes;  // cut short
    for (size_t k = 1; k <= nMore; ++k) {
      unsigned b = bytes[i + k];
      if ((b & 0xC0) != 0x80 || b > 0xFF) return bytes;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < nMin || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return bytes;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      name.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      name.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      name.push_back(static_cast<wchar_t>(cp));
    }
    i += nMore + 1;
  }
  return name;
}

void ConvertPath(std::wstring* pTarget) {
  if (!pTarget->empty() && (*pTarget)[0] == L'/') pTarget->erase(0, 1);
  for (wchar_t& c : *pTarget) {
    if (c == L'/') c = L'\\';
  }
}

namespace {

// Windows drops trailing dots and spaces from a path segment.
std::wstring StripTrailingDotsSpaces(const std::wstring& s) {
  size_t n = s.size();
  while (n > 0 && (s[n - 1] == L'.' || s[n - 1] == L' ')) --n;
  return s.substr(0, n);
}

std::wstring Upper(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}

bool IsDeviceName(const std::wstring& segment) {
  // The name part before any extension; Windows also ignores spaces
  // between the device name and its extension ("CON .txt").
  std::wstring base = segment.substr(0, segment.find(L'.'));
  base = Upper(StripTrailingDotsSpaces(base));
  static const wchar_t* const kFixed[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t* pszName : kFixed) {
    if (base == pszName) return true;
  }
  if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
    wchar_t d = base[3];
    // Superscript one, two and three (bytes B9, B2, B3) name ports too.
    return (d >= L'1' && d <= L'9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
  }
  return false;
}

// "..", ".. ", "..." and the like: Windows strips the trailing dots and
// spaces, and what remains climbs a level.
bool ClimbsUp(const std::wstring& segment) {
  return !segment.empty() && segment.find_first_not_of(L". ") == std::wstring::npos &&
         segment.find(L"..") != std::wstring::npos;
}

}  // namespace

bool IsSafeTarget(const std::wstring& target) {
  for (wchar_t c : target) {
    if (c < 0x20 || c == 0x7F || c == L':') return false;
  }
  size_t nStart = 0;
  for (;;) {
    size_t nEnd = target.find(L'\\', nStart);
    std::wstring segment =
        target.substr(nStart, nEnd == std::wstring::npos ? std::wstring::npos : nEnd - nStart);
    if (ClimbsUp(segment)) return false;
    if (IsDeviceName(segment)) return false;
    if (nEnd == std::wstring::npos) return true;
    nStart = nEnd + 1;
  }
}

namespace {

bool FullPath(const wchar_t* pszPath, std::wstring* pFull) {
  DWORD n = GetFullPathNameW(pszPath, 0, nullptr, nullptr);
  if (n == 0) return false;
  std::vector<wchar_t> buffer(n + 1);
  DWORD m = GetFullPathNameW(pszPath, n + 1, buffer.data(), nullptr);
  if (m == 0 || m > n) return false;
  pFull->assign(buffer.data(), m);
  return true;
}

}  // namespace

bool LiesUnderRoot(const wchar_t* pszRoot, const wchar_t* pszCandidate) {
  std::wstring root, candidate;
  if (!FullPath(pszRoot, &root) || !FullPath(pszCandidate, &candidate)) return false;
  while (!root.empty() && root.back() == L'\\') root.pop_back();
  std::wstring upperRoot = Upper(root), upperCandidate = Upper(candidate);
  while (!upperCandidate.empty() && upperCandidate.back() == L'\\') upperCandidate.pop_back();
  if (upperCandidate == upperRoot) return true;
  upperRoot.push_back(L'\\');
  return upperCandidate.compare(0, upperRoot.size(), upperRoot) == 0;
}

std::wstring HtmlEscape(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'&':
        out += L"&amp;";
        break;
      case L'<':
        out += L"&lt;";
        break;
      case L'>':
        out += L"&gt;";
        break;
      case L'"':
        out += L"&quot;";
        break;
      case L'\'':
        out += L"&#39;";
        break;
      default:
        out.push_back(c);
        break;
    }
  }
  return out;
}

std::wstring NotFoundPage(const std::wstring& target) {
  return L"<html><body><h1>404</h1><b>Couldn't find file: " + HtmlEscape(target) +
         L"</b></body></html>\r\n";
}

namespace {

void AppendNarrow(std::string* pOut, const wchar_t* pszText) {
  for (; *pszText; ++pszText) pOut->push_back(*pszText < 256 ? static_cast<char>(*pszText) : '?');
}

void AppendDecimal(std::string* pOut, long long n) {
  char digits[24];
  int i = 0;
  unsigned long long u =
      n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
  do {
    digits[i++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (n < 0) pOut->push_back('-');
  while (i > 0) pOut->push_back(digits[--i]);
}

}  // namespace

std::string AnswerHead(int nStatus, const wchar_t* pszReason, long long nLength) {
  std::string head = "HTTP/1.1 ";
  AppendDecimal(&head, nStatus);
  head.push_back(' ');
  AppendNarrow(&head, pszReason);
  head += "\r\n";
  if (nLength >= 0) {
    head += "content-length: ";
    AppendDecimal(&head, nLength);
    head += "\r\n";
  }
  head += "\r\n";
  return head;
}

namespace {

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool ClientAsksToClose(const char* pszHead) {
  std::string head(pszHead);
  size_t nLineEnd = head.find("\r\n");
  std::string requestLine = head.substr(0, nLineEnd);
  bool bHttp10 =
      requestLine.size() >= 8 && requestLine.compare(requestLine.size() - 8, 8, "HTTP/1.0") == 0;
  bool bClose = false, bKeepAlive = false;
  while (nLineEnd != std::string::npos) {
    size_t nStart = nLineEnd + 2;
    nLineEnd = head.find("\r\n", nStart);
    std::string line =
        head.substr(nStart, nLineEnd == std::string::npos ? std::string::npos : nLineEnd - nStart);
    size_t nColon = line.find(':');
    if (nColon == std::string::npos || Lower(Trim(line.substr(0, nColon))) != "connection")
      continue;
    // A comma-separated list of options, any case.
    std::string value = Lower(line.substr(nColon + 1));
    size_t nPos = 0;
    for (;;) {
      size_t nComma = value.find(',', nPos);
      std::string token =
          Trim(value.substr(nPos, nComma == std::string::npos ? std::string::npos : nComma - nPos));
      if (token == "close")
        bClose = true;
      else if (token == "keep-alive")
        bKeepAlive = true;
      if (nComma == std::string::npos) break;
      nPos = nComma + 1;
    }
  }
  return bClose || (bHttp10 && !bKeepAlive);
}
