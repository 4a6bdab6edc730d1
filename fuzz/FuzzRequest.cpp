// libFuzzer target: bytes as the worker receives them, through the same
// steps it takes (head end, method and target, percent-decoding and the
// query cut, "/" as index.html, slash conversion, UTF-8 or byte names, path
// checks, 404 page, connection option). Aborts when a decoded target passes
// the path check yet leads outside the web root, when the decoder leaves a
// query or a non-byte behind, or when the 404 page carries markup taken from
// the request.
#include "http/HttpText.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const wchar_t kRoot[] = L"C:\\site\\";

[[noreturn]] void Fail(const char* what, const std::wstring& target) {
  std::fprintf(stderr, "fuzz_request: %s:", what);
  for (wchar_t c : target) std::fprintf(stderr, " %04x", static_cast<unsigned>(c));
  std::fprintf(stderr, "\n");
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(kRequestTextMax)) return 0;
  // Exactly the bytes received, so the sanitizer sees any read past them.
  std::unique_ptr<char[]> exact(new char[size ? size : 1]);
  std::memcpy(exact.get(), data, size);
  int nHead = HeadLength(exact.get(), static_cast<int>(size));
  if (nHead != 0 && (nHead <= 4 || static_cast<size_t>(nHead) > size ||
                     std::memcmp(data + nHead - 4, "\r\n\r\n", 4) != 0))
    Fail("head end not a blank line inside the bytes", std::wstring());
  for (int i = 1; i + 4 < (nHead ? nHead : static_cast<int>(size) + 1); ++i) {
    if (std::memcmp(data + i, "\r\n\r\n", 4) == 0)
      Fail("an earlier blank line missed", std::wstring());
  }
  size_t nTaken = nHead ? static_cast<size_t>(nHead) : size;

  std::unique_ptr<char[]> head(new char[nTaken + 1]);
  std::memcpy(head.get(), data, nTaken);
  head[nTaken] = 0;
  std::wstring target;
  HttpMethod method = ParseRequest(head.get(), &target);
  ClientAsksToClose(head.get());
  AnnouncesBody(head.get());
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
