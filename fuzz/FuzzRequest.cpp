// libFuzzer target: bytes as the worker receives them, through the same
// steps it takes (head end and fields by lines, method and target,
// percent-decoding and the query cut, "/" as index.html, slash conversion,
// UTF-8 or byte names, path checks, 404 page, connection option). Aborts
// when the head end or a body field differs from a line-by-line reading,
// when a decoded target passes the path check yet leads outside the web
// root, when the decoder leaves a query or a non-byte behind, or when the
// 404 page carries markup taken from the request.
#include "http/HttpText.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

const wchar_t kRoot[] = L"C:\\site\\";

[[noreturn]] void Fail(const char* what, const std::wstring& target) {
  std::fprintf(stderr, "fuzz_request: %s:", what);
  for (wchar_t c : target) std::fprintf(stderr, " %04x", static_cast<unsigned>(c));
  std::fprintf(stderr, "\n");
  std::abort();
}

// The head end by lines, counted apart from HeadLength: a line ends at
// LF (a CR before it belongs to the line end); up to four blank lines come
// before the request line, and the first blank line after it ends the head.
size_t ReferenceHeadEnd(const uint8_t* data, size_t size) {
  size_t start = 0;
  int line = 0, before = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != '\n') continue;
    bool blank = i == start || (i == start + 1 && data[start] == '\r');
    if (line > before && blank) return i + 1;
    if (line == before && blank && before < kEmptyLinesBeforeRequest) ++before;
    ++line;
    start = i + 1;
  }
  return 0;
}

// Whether a line after the request line (which follows up to four blank
// lines), of the head's first size bytes, starts with "Transfer-Encoding:"
// or is a Content-Length with a digit other than 0 (any case, nothing
// before the name).
bool ReferenceSeesBody(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t start = 0;
  for (int blank = 0; blank < kEmptyLinesBeforeRequest; ++blank) {
    if (text.compare(start, 1, "\n") == 0)
      start += 1;
    else if (text.compare(start, 2, "\r\n") == 0)
      start += 2;
    else
      break;
  }
  for (size_t at = text.find('\n', start); at != std::string::npos; at = text.find('\n', at + 1)) {
    std::string line = text.substr(at + 1, text.find_first_of("\r\n", at + 1) - at - 1);
    if (line.compare(0, 18, "transfer-encoding:") == 0) return true;
    if (line.compare(0, 15, "content-length:") == 0 &&
        line.find_first_of("123456789", 15) != std::string::npos)
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(kRequestTextMax)) return 0;
  // Exactly the bytes received, so the sanitizer sees any read past them.
  std::unique_ptr<char[]> exact(new char[size ? size : 1]);
  std::memcpy(exact.get(), data, size);
  int nHead = HeadLength(exact.get(), static_cast<int>(size));
  if (static_cast<size_t>(nHead) != ReferenceHeadEnd(data, size))
    Fail("head end not the first blank line", std::wstring());
  size_t nTaken = nHead ? static_cast<size_t>(nHead) : size;

  std::unique_ptr<char[]> head(new char[nTaken + 1]);
  std::memcpy(head.get(), data, nTaken);
  head[nTaken] = 0;
  // The worker refuses a head holding a zero byte before it looks at a field.
  bool whole = nHead && !std::memchr(data, 0, nTaken);
  if (whole && !AnnouncesBody(head.get()) && ReferenceSeesBody(data, nTaken))
    Fail("a body field on a line of its own missed", std::wstring());
  std::wstring target;
  HttpMethod method = ParseRequest(head.get(), &target);
  ClientAsksToClose(head.get());
  if (method == kHttpOther) {
    if (!target.empty()) Fail("a target for an unknown method", target);
    return 0;
  }
  for (wchar_t c : target) {
    if (c == L' ' || c == 0 || c > 0xFF)
      Fail("target holds a space, a NUL or a wide character", target);
  }
  std::wstring bytes;
  bool decoded = DecodeTarget(target, &bytes);
  if (decoded) {
    for (wchar_t c : bytes) {
      if (c > 0xFF) Fail("decoded target holds a non-byte", target);
    }
    if (target.find_first_of(L"%?") == std::wstring::npos && bytes != target)
      Fail("a target without escapes changed", target);
    if (target.find(L'?') == std::wstring::npos && bytes.size() > target.size())
      Fail("decoding grew the target", target);
    target = bytes;
  }
  if (target == L"/") target = L"index.html";
  ConvertPath(&target);
  if (target.find(L'/') != std::wstring::npos) Fail("slash left after conversion", target);
  std::wstring name = NameFromBytes(target);
  std::wstring path = std::wstring(kRoot) + name;
  if (decoded && IsSafeTarget(name) && !LiesUnderRoot(kRoot, path.c_str()))
    Fail("safe target outside the web root", name);

  std::wstring page = NotFoundPage(target);
  const std::wstring open = L"<html><body><h1>404</h1><b>Couldn't find file: ";
  const std::wstring close = L"</b></body></html>\r\n";
  if (page.compare(0, open.size(), open) != 0 || page.size() < open.size() + close.size() ||
      page.compare(page.size() - close.size(), close.size(), close) != 0)
    Fail("404 page frame broken", target);
  std::wstring shown = page.substr(open.size(), page.size() - open.size() - close.size());
  if (shown.find_first_of(L"<>\"'") != std::wstring::npos)
    Fail("markup from the request in the 404 page", target);
  return 0;
}
