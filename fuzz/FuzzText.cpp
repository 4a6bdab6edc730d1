// libFuzzer target: wide text of any 16-bit characters (two input bytes
// each, as wchar_t is on Windows) through the escaping and the path check,
// and the answer head with any status and length. Aborts when escaping is
// not reversible or leaves markup, when a safe target leaves the web root,
// or when the answer head does not say what it was given.
#include "http/HttpText.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_text: %s\n", what);
  std::abort();
}

std::wstring Unescape(const std::wstring& text) {
  static const struct {
    const wchar_t* entity;
    wchar_t c;
  } kEntities[] = {
      {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&#39;", L'\''}};
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    if (text[i] != L'&') {
      out.push_back(text[i++]);
      continue;
    }
    bool known = false;
    for (const auto& e : kEntities) {
      size_t n = std::wcslen(e.entity);
      if (text.compare(i, n, e.entity) == 0) {
        out.push_back(e.c);
        i += n;
        known = true;
        break;
      }
    }
    if (!known) Fail("a bare '&' in escaped text");
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  int status = 0;
  long long length = 0;
  std::memcpy(&status, data, 4);
  std::memcpy(&length, data, size >= 12 ? 8 : 4);
  std::wstring text;
  for (size_t i = 8; i + 1 < size; i += 2)
    text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));

  std::wstring escaped = HtmlEscape(text);
  if (escaped.find_first_of(L"<>\"'") != std::wstring::npos) Fail("markup left by escaping");
  if (Unescape(escaped) != text) Fail("escaping is not reversible");

  // The path check takes converted targets only (no '/' left), as the
  // worker hands it.
  if (text.find(L'\0') == std::wstring::npos) {
    std::wstring target = text;
    ConvertPath(&target);
    std::wstring path = L"C:\\site\\" + target;
    if (IsSafeTarget(target) && !LiesUnderRoot(L"C:\\site\\", path.c_str()))
      Fail("safe target outside the web root");
  }

  std::wstring reason;
  for (wchar_t c : text) {
    if (c != 0) reason.push_back(c);
  }
  std::string head = AnswerHead(status, reason.c_str(), length);
  std::string line = "HTTP/1.1 " + std::to_string(status) + " ";
  if (head.compare(0, line.size(), line) != 0) Fail("status line does not carry the status");
  std::string tail =
      length >= 0 ? "content-length: " + std::to_string(length) + "\r\n\r\n" : "\r\n";
  if (head.size() < tail.size() || head.compare(head.size() - tail.size(), tail.size(), tail) != 0)
    Fail("answer head does not end with its length line and blank line");
  if (head.size() != line.size() + reason.size() + 2 + (length >= 0 ? tail.size() : 2))
    Fail("reason not one byte per character");
  return 0;
}
