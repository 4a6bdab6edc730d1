#include "tree/FieldSplitter.h"

bool SplitQuotedFields(const std::string& text, std::vector<std::string>* fields,
                       const std::string& separators) {
  fields->clear();
  const size_t len = text.size();
  size_t start = 0, pos = 0;
  size_t sep = text.find_first_of(separators);  // the first one at or after pos
  while (pos <= len) {
    size_t open = text.find('"', pos);
    size_t close = open == std::string::npos ? std::string::npos : text.find('"', open + 1);
    // The separator found is kept until the position passes it: a long run
    // of quoted stretches before a far separator would otherwise rescan the
    // rest of the line for each stretch.
    if (pos > sep) sep = text.find_first_of(separators, pos);
    if (sep != std::string::npos && open != std::string::npos && close != std::string::npos &&
        sep >= open) {
      pos = close + 1;  // the separator is quoted: the field stays open
      continue;
    }
    size_t end = sep == std::string::npos ? len : sep;
    std::string field = text.substr(start, end - start);
    std::string trimmed = field;
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    if (trimmed.size() > 1 && trimmed.front() == '"' && trimmed.back() == '"')
      field = trimmed.substr(1, trimmed.size() - 2);
    std::string unescaped;
    unescaped.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
      unescaped += field[i];
      if (field[i] == '"' && i + 1 < field.size() && field[i + 1] == '"') ++i;
    }
    fields->push_back(unescaped);
    if (sep == std::string::npos) break;
    start = pos = sep + 1;
  }
  return !fields->empty();
}
