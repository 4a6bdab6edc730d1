// FileAnswer.cpp: the pure rules of a file answer beyond the file's bytes.
#include "http/FileAnswer.h"

#include "http/HttpDate.h"
#include "http/HttpRange.h"
#include "http/HttpText.h"

#include <charconv>

namespace {

void Join(bool* has, std::string* value, const std::string& more) {
  if (*has) *value += ", ";
  *value += more;
  *has = true;
}

void AppendNumber(std::string* out, uint64_t n) { *out += std::to_string(n); }

void AppendHex(std::string* out, uint64_t n) {
  char digits[16];
  out->append(digits, std::to_chars(digits, digits + sizeof(digits), n, 16).ptr);
}

// The head without its blank line, so lines can follow the length line.
std::string Open(int status, const wchar_t* reason, long long length) {
  std::string head = AnswerHead(status, reason, length);
  head.resize(head.size() - 2);
  return head;
}

void AppendPercentEncoded(std::string* out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out->push_back('%');
  out->push_back(kHex[c >> 4]);
  out->push_back(kHex[c & 15]);
}

}  // namespace

FileConditions ReadFileConditions(const char* head) {
  FileConditions conditions;
  for (const HeadField& field : HeadFields(head)) {
    if (field.name == "range")
      Join(&conditions.hasRange, &conditions.range, field.value);
    else if (field.name == "if-modified-since")
      Join(&conditions.hasIfModifiedSince, &conditions.ifModifiedSince, field.value);
    else if (field.name == "if-none-match")
      Join(&conditions.hasIfNoneMatch, &conditions.ifNoneMatch, field.value);
    else if (field.name == "if-range")
      Join(&conditions.hasIfRange, &conditions.ifRange, field.value);
  }
  return conditions;
}

std::string EntityTag(uint64_t size, uint64_t modified) {
  std::string tag = "\"";
  AppendHex(&tag, modified);
  tag += '-';
  AppendHex(&tag, size);
  return tag + '"';
}

namespace {

// Whether an If-None-Match value is "*" or lists tag, comparing weakly (a
// "W/" before a listed tag is ignored). The list is read up to its first
// fault.
bool NoneMatchNames(const std::string& list, const std::string& tag) {
  if (list == "*") return true;
  size_t i = 0;
  for (;;) {
    while (i < list.size() && (list[i] == ' ' || list[i] == '\t' || list[i] == ',')) ++i;
    if (i == list.size()) return false;
    if (list.compare(i, 2, "W/") == 0) i += 2;
    if (i == list.size() || list[i] != '"') return false;
    size_t close = list.find('"', i + 1);
    if (close == std::string::npos) return false;
    if (list.compare(i, close + 1 - i, tag) == 0) return true;
    i = close + 1;
  }
}

// Whether If-Range holds: a tag equal to the file's, compared strongly (a
// weak tag never holds), or a date equal to the file's second.
bool IfRangeHolds(const std::string& value, const std::string& tag, uint64_t second) {
  if (value.compare(0, 1, "\"") == 0 || value.compare(0, 2, "W/") == 0) return value == tag;
  uint64_t date = 0;
  return ParseHttpDate(value, &date) && date == second;
}

}  // namespace

FilePlan PlanFileAnswer(const FileConditions& conditions, bool get, uint64_t size,
                        uint64_t modified, uint64_t now) {
  FilePlan plan = {kAnswerWhole, 0, size};
  uint64_t second = modified - modified % kFileTimeTicksPerSecond;
  std::string tag = EntityTag(size, modified);
  bool notModified = false;
  if (conditions.hasIfNoneMatch) {
    // Present, it decides alone: If-Modified-Since is not looked at.
    notModified = NoneMatchNames(conditions.ifNoneMatch, tag);
  } else if (conditions.hasIfModifiedSince) {
    // A date in the future is no validator: honouring it would hide a file
    // that is later replaced by one with an older time.
    uint64_t since = 0;
    notModified =
        ParseHttpDate(conditions.ifModifiedSince, &since) && since <= now && second <= since;
  }
  if (notModified) {
    plan.kind = kAnswerNotModified;
    plan.length = 0;
    return plan;
  }
  if (!get || !conditions.hasRange) return plan;
  if (conditions.hasIfRange && !IfRangeHolds(conditions.ifRange, tag, second)) return plan;
  uint64_t first = 0, last = 0;
  switch (ParseRange(conditions.range, size, &first, &last)) {
    case kRangePart:
      plan = {kAnswerPart, first, last - first + 1};
      break;
    case kRangeUnsatisfiable:
      plan = {kAnswerUnsatisfiable, 0, 0};
      break;
    case kRangeWhole:
      break;
  }
  return plan;
}

std::string FileAnswerHead(const FilePlan& plan, bool get, uint64_t size, uint64_t modified,
                           const char* type) {
  long long length = get ? static_cast<long long>(plan.length) : -1;
  std::string head;
  bool body = false;
  switch (plan.kind) {
    case kAnswerWhole:
      head = Open(200, get ? L"Sending file" : L"File Exists", length);
      body = true;
      break;
    case kAnswerPart:
      head = Open(206, L"Partial Content", length);
      body = true;
      break;
    case kAnswerNotModified:
      head = Open(304, L"Not Modified", -1);
      break;
    case kAnswerUnsatisfiable:
      head = Open(416, L"Range Not Satisfiable", get ? 0 : -1);
      break;
  }
  if (body && type) {
    head += "content-type: ";
    head += type;
    head += "\r\n";
  }
  head += "last-modified: " + FormatHttpDate(modified) + "\r\netag: " + EntityTag(size, modified) +
          "\r\naccept-ranges: bytes\r\n";
  if (plan.kind == kAnswerPart) {
    head += "content-range: bytes ";
    AppendNumber(&head, plan.first);
    head += '-';
    AppendNumber(&head, plan.first + plan.length - 1);
    head += '/';
    AppendNumber(&head, size);
    head += "\r\n";
  } else if (plan.kind == kAnswerUnsatisfiable) {
    head += "content-range: bytes */";
    AppendNumber(&head, size);
    head += "\r\n";
  }
  return head + "\r\n";
}

std::string FolderLocation(const std::wstring& converted, const std::wstring& rawTarget) {
  std::string location = "/";
  for (wchar_t c : converted) {
    if (c == L'\\') {
      if (location.back() != '/') location.push_back('/');
    } else if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
               c == L'-' || c == L'.' || c == L'_' || c == L'~') {
      location.push_back(static_cast<char>(c));
    } else {
      AppendPercentEncoded(&location, static_cast<unsigned char>(c));
    }
  }
  if (location.back() != '/') location.push_back('/');
  size_t query = rawTarget.find(L'?');
  if (query != std::wstring::npos) {
    for (size_t i = query; i < rawTarget.size(); ++i) {
      wchar_t c = rawTarget[i];
      if (c > L' ' && c < 0x7F)
        location.push_back(static_cast<char>(c));
      else
        AppendPercentEncoded(&location, static_cast<unsigned char>(c));
    }
  }
  return location;
}

std::string RedirectHead(bool get, const std::string& location) {
  return Open(301, L"Moved Permanently", get ? 0 : -1) + "location: " + location + "\r\n\r\n";
}
