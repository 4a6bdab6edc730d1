// libFuzzer target: the configuration's field splitter on any bytes, with
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

std::string Unquote(std::string field) {
  std::string trimmed = field;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  if (trimmed.size() > 1 && trimmed.front() == '"' && trimmed.back() == '"')
    field = trimmed.substr(1, trimmed.size() - 2);
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    out += field[i];
    if (field[i] == '"' && i + 1 < field.size() && field[i + 1] == '"') ++i;
  }
  return out;
}

// A separator is quoted when a pair of quotes opens at or after the field
// position and before it; the field then goes on after the closing quote.
std::vector<std::string> Reference(const std::string& text, const std::string& separators) {
  std::vector<std::string> fields;
  size_t start = 0, pos = 0;
  for (;;) {
    size_t open = text.find('"', pos);
    size_t close = open == std::string::npos ? std::string::npos : text.find('"', open + 1);
    size_t sep = text.find_first_of(separators, pos);
    if (sep != std::string::npos && close != std::string::npos && sep >= open) {
      pos = close + 1;
      continue;
    }
    size_t end = sep == std::string::npos ? text.size() : sep;
    fields.push_back(Unquote(text.substr(start, end - start)));
    if (sep == std::string::npos) return fields;
    start = pos = sep + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const char* const kSeparators[] = {"|", "\\", "|\\"};
  const std::string separators = kSeparators[data[0] % 3];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  std::vector<std::string> fields;
  if (!SplitQuotedFields(text, &fields, separators) || fields.empty()) Fail("no field");
  size_t count = 0;
  for (char ch : text) count += separators.find(ch) != std::string::npos;
  if (fields.size() > count + 1) Fail("more fields than separators allow");
  // The reference is quadratic; keep it to inputs it finishes quickly.
  if (text.size() <= 8192 && fields != Reference(text, separators))
    Fail("fields differ from the reference splitter");
  return 0;
}
