// libFuzzer target: the configuration's field splitter on any units, with
// the record separator, the path separator or both. Aborts when its fields
// differ from those of a plain reference splitter (the rule read literally,
// rescanning for every quoted stretch), or when it finds more fields than
// there are separators. Inputs that take the splitter long are the fuzzer's
// own timeouts (-timeout in run.sh).
#include "tree/FieldSplitter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_fields: %s\n", what);
  std::abort();
}

std::wstring Unquote(std::wstring field) {
  std::wstring trimmed = field;
  while (!trimmed.empty() && trimmed.back() == L' ') trimmed.pop_back();
  if (trimmed.size() > 1 && trimmed.front() == L'"' && trimmed.back() == L'"')
    field = trimmed.substr(1, trimmed.size() - 2);
  std::wstring out;
  for (size_t i = 0; i < field.size(); ++i) {
    out += field[i];
    if (field[i] == L'"' && i + 1 < field.size() && field[i + 1] == L'"') ++i;
  }
  return out;
}

// A separator is quoted when a pair of quotes opens at or after the field
// position and before it; the field then goes on after the closing quote.
std::vector<std::wstring> Reference(const std::wstring& text, const std::wstring& separators) {
  std::vector<std::wstring> fields;
  size_t start = 0, pos = 0;
  for (;;) {
    size_t open = text.find(L'"', pos);
    size_t close = open == std::wstring::npos ? std::wstring::npos : text.find(L'"', open + 1);
    size_t sep = text.find_first_of(separators, pos);
    if (sep != std::wstring::npos && close != std::wstring::npos && sep >= open) {
      pos = close + 1;
      continue;
    }
    size_t end = sep == std::wstring::npos ? text.size() : sep;
    fields.push_back(Unquote(text.substr(start, end - start)));
    if (sep == std::wstring::npos) return fields;
    start = pos = sep + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const wchar_t* const kSeparators[] = {L"|", L"\\", L"|\\"};
  const std::wstring separators = kSeparators[data[0] % 3];
  // Each byte is one UTF-16 unit: the splitter works on units.
  const std::wstring text(data + 1, data + size);

  std::vector<std::wstring> fields;
  if (!SplitQuotedFields(text, &fields, separators) || fields.empty()) Fail("no field");
  size_t count = 0;
  for (wchar_t ch : text) count += separators.find(ch) != std::wstring::npos;
  if (fields.size() > count + 1) Fail("more fields than separators allow");
  // The reference is quadratic; keep it to inputs it finishes quickly.
  if (text.size() <= 8192 && fields != Reference(text, separators))
    Fail("fields differ from the reference splitter");
  return 0;
}
