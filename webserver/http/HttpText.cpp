// HttpText.cpp: the pure text rules of the HTTP worker.
#include "http/HttpText.h"

#include <windows.h>

#include <cstring>
#include <cwctype>
#include <vector>

namespace {

// One line of a head: a line ends at LF, together with a CR just before it.
// Sets *contentEnd (before the line end) and *next (after it); false when
// no LF follows from.
bool NextLine(const char* text, size_t length, size_t from, size_t* contentEnd, size_t* next) {
  const void* lf = std::memchr(text + from, '\n', length - from);
  if (!lf) return false;
  size_t at = static_cast<const char*>(lf) - text;
  *contentEnd = at > from && text[at - 1] == '\r' ? at - 1 : at;
  *next = at + 1;
  return true;
}

}  // namespace

int HeadLength(const char* text, int length) {
  size_t n = length > 0 ? static_cast<size_t>(length) : 0;
  size_t start = 0, contentEnd = 0, next = 0;
  bool firstEmpty = false;
  for (int line = 0; start < n && NextLine(text, n, start, &contentEnd, &next); ++line) {
    // Blank lines end a head, except that a blank first line, and a
    // second one right after it, belong to the head that follows.
    bool empty = contentEnd == start;
    if (line == 0) firstEmpty = empty;
    if (empty && line > 0 && !(line == 1 && firstEmpty)) return static_cast<int>(next);
    start = next;
  }
  return 0;
}

HttpMethod ParseRequest(const char* request, std::wstring* target) {
  HttpMethod method = kHttpOther;
  size_t skip = 0;
  if (std::strncmp(request, "GET ", 4) == 0) {
    method = kHttpGet;
    skip = 4;
  } else if (std::strncmp(request, "HEAD ", 5) == 0) {
    method = kHttpHead;
    skip = 5;
  }
  target->clear();
  if (method == kHttpOther) return method;
  for (const char* p = request + skip; *p && *p != ' '; ++p)
    target->push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
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

bool DecodeTarget(const std::wstring& raw, std::wstring* bytes) {
  bytes->clear();
  size_t end = raw.find(L'?');
  if (end == std::wstring::npos) end = raw.size();
  for (size_t i = 0; i < end; ++i) {
    if (raw[i] != L'%') {
      bytes->push_back(raw[i]);
      continue;
    }
    int high = i + 2 < end ? HexValue(raw[i + 1]) : -1;
    int low = high >= 0 ? HexValue(raw[i + 2]) : -1;
    if (low < 0) return false;
    bytes->push_back(static_cast<wchar_t>(high * 16 + low));
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
    size_t more = 0;
    unsigned long cp = 0, least = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      cp = c & 0x1F;
      least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      cp = c & 0x0F;
      least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      cp = c & 0x07;
      least = 0x10000;
    } else {
      return bytes;
    }
    if (i + more >= n) return bytes;  // cut short
    for (size_t k = 1; k <= more; ++k) {
      unsigned b = bytes[i + k];
      if ((b & 0xC0) != 0x80 || b > 0xFF) return bytes;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return bytes;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      name.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      name.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      name.push_back(static_cast<wchar_t>(cp));
    }
    i += more + 1;
  }
  return name;
}

void ConvertPath(std::wstring* target) {
  if (!target->empty() && (*target)[0] == L'/') target->erase(0, 1);
  for (wchar_t& c : *target) {
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
  for (const wchar_t* name : kFixed) {
    if (base == name) return true;
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
  size_t start = 0;
  for (;;) {
    size_t end = target.find(L'\\', start);
    std::wstring segment =
        target.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (ClimbsUp(segment)) return false;
    if (IsDeviceName(segment)) return false;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

namespace {

bool FullPath(const wchar_t* path, std::wstring* full) {
  DWORD n = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (n == 0) return false;
  std::vector<wchar_t> buffer(n + 1);
  DWORD m = GetFullPathNameW(path, n + 1, buffer.data(), nullptr);
  if (m == 0 || m > n) return false;
  full->assign(buffer.data(), m);
  return true;
}

}  // namespace

bool LiesUnderRoot(const wchar_t* rootPath, const wchar_t* candidatePath) {
  std::wstring root, candidate;
  if (!FullPath(rootPath, &root) || !FullPath(candidatePath, &candidate)) return false;
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

void AppendNarrow(std::string* out, const wchar_t* text) {
  for (; *text; ++text) out->push_back(*text < 256 ? static_cast<char>(*text) : '?');
}

void AppendDecimal(std::string* out, long long n) {
  char digits[24];
  int i = 0;
  unsigned long long u =
      n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
  do {
    digits[i++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (n < 0) out->push_back('-');
  while (i > 0) out->push_back(digits[--i]);
}

}  // namespace

std::string AnswerHead(int status, const wchar_t* reason, long long length) {
  std::string head = "HTTP/1.1 ";
  AppendDecimal(&head, status);
  head.push_back(' ');
  AppendNarrow(&head, reason);
  head += "\r\n";
  if (length >= 0) {
    head += "content-length: ";
    AppendDecimal(&head, length);
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

// Calls visit(name, value) for every header field of the head, the name
// trimmed and in lower case, the value as it came. Lines end as in
// HeadLength, so every field that ends the head's lines is seen.
template <typename Visit>
void ForEachField(const std::string& head, Visit visit) {
  size_t start = 0, contentEnd = 0, next = 0;
  if (!NextLine(head.data(), head.size(), 0, &contentEnd, &start)) return;  // the request line
  while (start < head.size()) {
    if (!NextLine(head.data(), head.size(), start, &contentEnd, &next))
      contentEnd = next = head.size();
    std::string line = head.substr(start, contentEnd - start);
    size_t colon = line.find(':');
    if (colon != std::string::npos)
      visit(Lower(Trim(line.substr(0, colon))), line.substr(colon + 1));
    start = next;
  }
}

}  // namespace

bool ClientAsksToClose(const char* request) {
  std::string head(request);
  size_t lineEnd = head.size(), next = 0;
  NextLine(head.data(), head.size(), 0, &lineEnd, &next);
  std::string requestLine = head.substr(0, lineEnd);
  bool http10 =
      requestLine.size() >= 8 && requestLine.compare(requestLine.size() - 8, 8, "HTTP/1.0") == 0;
  bool closeAsked = false, keepAlive = false;
  ForEachField(head, [&](const std::string& name, const std::string& field) {
    if (name != "connection") return;
    // A comma-separated list of options, any case.
    std::string value = Lower(field);
    size_t pos = 0;
    for (;;) {
      size_t comma = value.find(',', pos);
      std::string token =
          Trim(value.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
      if (token == "close")
        closeAsked = true;
      else if (token == "keep-alive")
        keepAlive = true;
      if (comma == std::string::npos) break;
      pos = comma + 1;
    }
  });
  return closeAsked || (http10 && !keepAlive);
}

bool AnnouncesBody(const char* request) {
  bool body = false;
  ForEachField(request, [&](const std::string& name, const std::string& field) {
    if (name == "transfer-encoding") body = true;
    if (name != "content-length") return;
    std::string value = Trim(field);
    // Only digits that are all zero announce nothing; anything else, even
    // a malformed length, is a body of unknown extent.
    body = body || value.empty() || value.find_first_not_of('0') != std::string::npos;
  });
  return body;
}
