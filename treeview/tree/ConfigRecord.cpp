// ConfigRecord: a configuration line's fields and the icon files' names.
#include "tree/ConfigRecord.h"
#include "tree/FieldSplitter.h"

const wchar_t kDefaultIconName[] = L"Default";

bool SplitRecord(const std::wstring& line, std::vector<std::wstring>* fields) {
  if (!SplitQuotedFields(line, fields, L"|") || (*fields)[0].empty()) return false;
  fields->resize(3);
  return true;
}

std::wstring IconFileName(const std::wstring& icon) { return icon + L".ico"; }
