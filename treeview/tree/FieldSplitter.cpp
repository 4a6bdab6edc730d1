#include "tree/FieldSplitter.h"

bool SplitQuotedFields(const std::wstring& text, std::vector<std::wstring>* fields,
                       const std::wstring& separators) {
  fields->clear();
  const size_t len = text.size();
  size_t start = 0, pos = 0;
  size_t sep = text.find_first_of(separators);  // the first one at or after pos
  while (pos <= len) {
    size_t open = text.find(L'"', pos);
    size_t close = open == std::wstring::npos ? std::wstring::npos : text.find(L'"', open + 1);
    // The separator found is kept until the position passes it: a long run
    // of quoted stretches before a far separator would otherwise rescan the
    // rest of the line for each stretch.
    if (pos > sep) sep = text.find_first_of(separators, pos);
    if (sep != std::wstring::npos && open != std::wstring::npos && close != std::wstring::npos &&
        sep >= open) {
      pos = close + 1;  // the separator is quoted: the field stays open
      continue;
    }
    size_t end = sep == std::wstring::npos ? len : sep;
    std::wstring field = text.substr(start, end - start);
    std::wstring trimmed = field;
    while (!trimmed.empty() && trimmed.back() == L' ') trimmed.pop_back();
    if (trimmed.size() > 1 && trimmed.front() == L'"' && trimmed.back() == L'"')
      field = trimmed.substr(1, trimmed.size() - 2);
    std::wstring unescaped;
    unescaped.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
      unescaped += field[i];
      if (field[i] == L'"' && i + 1 < field.size() && field[i + 1] == L'"') ++i;
    }
    fields->push_back(unescaped);
    if (sep == std::wstring::npos) break;
    start = pos = sep + 1;
  }
  return !fields->empty();
}
