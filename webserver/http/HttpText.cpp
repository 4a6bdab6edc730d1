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
  if (from >= length) return false;
  const void* lf = std::memchr(text + from, '\n', length - from);
  if (!lf) return false;
  size_t at = static_cast<const char*>(lf) - text;
  *contentEnd = at > from && text[at - 1] == '\r' ? at - 1 : at;
  *next = at + 1;
  return true;
}

// Where the request line starts: after at most kEmptyLinesBeforeRequest
// empty lines, each ended by its LF.
size_t RequestLineStart(const char* text, size_t length) {
  size_t start = 0, contentEnd = 0, next = 0;
  for (int skipped = 0; skipped < kEmptyLinesBeforeRequest &&
                        NextLine(text, length, start, &contentEnd, &next) && contentEnd == start;
       ++skipped)
    start = next;
  return start;
}

}  // namespace

int HeadLength(const char* text, int length) {
  size_t n = length > 0 ? static_cast<size_t>(length) : 0;
  size_t contentEnd = 0, next = 0;
  size_t start = RequestLineStart(text, n);
  if (!NextLine(text, n, start, &contentEnd, &next)) return 0;  // the request line
  for (start = next; NextLine(text, n, start, &contentEnd, &next); start = next) {
    if (contentEnd == start) return static_cast<int>(next);
  }
  return 0;
}

HttpMethod ParseRequest(const char* request, std::wstring* target) {
  request += RequestLineStart(request, std::strlen(request));
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
  std::string narrow;
  narrow.reserve(bytes.size());
  for (wchar_t c : bytes) {
    if (c > 0xFF) return bytes;  // not bytes at all: left as they are
    narrow.push_back(static_cast<char>(c));
  }
  if (narrow.empty()) return bytes;
  int count = static_cast<int>(narrow.size());
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.data(), count, nullptr, 0);
  if (n <= 0) return bytes;
  std::wstring name(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.data(), count, &name[0], n) != n)
    return bytes;
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

bool FullPathOf(const wchar_t* path, std::wstring* full) {
  DWORD n = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (n == 0) return false;
  std::vector<wchar_t> buffer(n + 1);
  DWORD m = GetFullPathNameW(path, n + 1, buffer.data(), nullptr);
  if (m == 0 || m > n) return false;
  full->assign(buffer.data(), m);
  return true;
}

bool LiesUnderRoot(const wchar_t* rootPath, const wchar_t* candidatePath) {
  std::wstring root, candidate;
  if (!FullPathOf(rootPath, &root) || !FullPathOf(candidatePath, &candidate)) return false;
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

}  // namespace

std::vector<HeadField> HeadFields(const char* head) {
  std::vector<HeadField> fields;
  size_t length = std::strlen(head), contentEnd = 0, next = 0;
  size_t start = RequestLineStart(head, length);
  if (!NextLine(head, length, start, &contentEnd, &start)) return fields;  // the request line
  while (start < length) {
    if (!NextLine(head, length, start, &contentEnd, &next)) contentEnd = next = length;
    const char* colon =
        static_cast<const char*>(std::memchr(head + start, ':', contentEnd - start));
    if (colon) {
      size_t at = static_cast<size_t>(colon - head);
      fields.push_back({Lower(Trim(std::string(head + start, at - start))),
                        Trim(std::string(colon + 1, head + contentEnd))});
    }
    start = next;
  }
  return fields;
}

bool ClientAsksToClose(const char* request) {
  size_t length = std::strlen(request), start = RequestLineStart(request, length);
  size_t lineEnd = length, next = 0;
  NextLine(request, length, start, &lineEnd, &next);
  std::string requestLine(request + start, lineEnd - start);
  bool http10 =
      requestLine.size() >= 8 && requestLine.compare(requestLine.size() - 8, 8, "HTTP/1.0") == 0;
  bool closeAsked = false, keepAlive = false;
  for (const HeadField& field : HeadFields(request)) {
    if (field.name != "connection") continue;
    // A comma-separated list of options, any case.
    std::string value = Lower(field.value);
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
  }
  return closeAsked || (http10 && !keepAlive);
}

bool AnnouncesBody(const char* request) {
  bool body = false;
  for (const HeadField& field : HeadFields(request)) {
    if (field.name == "transfer-encoding") body = true;
    // Only digits that are all zero announce nothing; anything else, even
    // a malformed length, is a body of unknown extent.
    if (field.name == "content-length")
      body = body || field.value.empty() || field.value.find_first_not_of('0') != std::string::npos;
  }
  return body;
}
