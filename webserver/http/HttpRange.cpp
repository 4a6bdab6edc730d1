// HttpRange.cpp: the one byte range a request's Range field asks for.
#include "http/HttpRange.h"

namespace {

const uint64_t kPastAnyEnd = ~0ULL;

void SkipSpace(const std::string& s, size_t* i) {
  while (*i < s.size() && (s[*i] == ' ' || s[*i] == '\t')) ++*i;
}

// At least one digit; saturates at kPastAnyEnd.
bool Number(const std::string& s, size_t* i, uint64_t* value) {
  size_t start = *i;
  *value = 0;
  for (; *i < s.size() && s[*i] >= '0' && s[*i] <= '9'; ++*i) {
    unsigned digit = static_cast<unsigned>(s[*i] - '0');
    *value = *value > (kPastAnyEnd - digit) / 10 ? kPastAnyEnd : *value * 10 + digit;
  }
  return *i > start;
}

}  // namespace

RangeAsked ParseRange(const std::string& value, uint64_t size, uint64_t* first, uint64_t* last) {
  size_t i = 0;
  SkipSpace(value, &i);
  static const char kUnit[] = "bytes";
  for (const char* u = kUnit; *u; ++u, ++i) {
    if (i >= value.size() || (value[i] | 0x20) != *u) return kRangeWhole;
  }
  SkipSpace(value, &i);
  if (i >= value.size() || value[i] != '=') return kRangeWhole;
  ++i;
  SkipSpace(value, &i);
  uint64_t a = 0, b = 0;
  bool hasFirst = Number(value, &i, &a);
  SkipSpace(value, &i);
  if (i >= value.size() || value[i] != '-') return kRangeWhole;
  ++i;
  SkipSpace(value, &i);
  bool hasLast = Number(value, &i, &b);
  SkipSpace(value, &i);
  // A comma means several ranges; anything else left is malformed.
  if (i != value.size() || (!hasFirst && !hasLast)) return kRangeWhole;
  if (hasFirst && hasLast && a > b) return kRangeWhole;
  if (!hasFirst) {
    if (b == 0 || size == 0) return kRangeUnsatisfiable;
    *first = b >= size ? 0 : size - b;
    *last = size - 1;
    return kRangePart;
  }
  if (a >= size) return kRangeUnsatisfiable;
  *first = a;
  *last = !hasLast || b >= size ? size - 1 : b;
  return kRangePart;
}
