// FileAnswer.cpp: the pure rules of a file answer beyond the file's bytes.
#include "http/FileAnswer.h"

#include "http/HttpDate.h"
#include "http/HttpRange.h"
#include "http/HttpText.h"

#include <cstring>

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

bool SameName(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (c != b[i]) return false;
  }
  return true;
}

void Join(bool* has, std::string* value, const std::string& more) {
  if (*has) *value += ", ";
  *value += more;
  *has = true;
}

void AppendNumber(std::string* out, uint64_t n) { *out += std::to_string(n); }

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
  const char* line = std::strchr(head, '\n');
  while (line) {
    ++line;
    const char* end = std::strchr(line, '\n');
    std::string text(line, end ? static_cast<size_t>(end - line) : std::strlen(line));
    if (!text.empty() && text.back() == '\r') text.pop_back();
    size_t colon = text.find(':');
    if (colon != std::string::npos) {
      std::string name = Trim(text.substr(0, colon)), value = Trim(text.substr(colon + 1));
      if (SameName(name, "range"))
        Join(&conditions.hasRange, &conditions.range, value);
      else if (SameName(name, "if-modified-since"))
        Join(&conditions.hasIfModifiedSince, &conditions.ifModifiedSince, value);
      else if (SameName(name, "if-range"))
        Join(&conditions.hasIfRange, &conditions.ifRange, value);
    }
    line = end;
  }
  return conditions;
}

FilePlan PlanFileAnswer(const FileConditions& conditions, bool get, uint64_t size,
                        uint64_t modified, uint64_t now) {
  FilePlan plan = {kAnswerWhole, 0, size};
  uint64_t second = modified - modified % kFileTimeTicksPerSecond;
  uint64_t since = 0;
  // A date in the future is no validator: honouring it would hide a file
  // that is later replaced by one with an older time.
  if (conditions.hasIfModifiedSince && ParseHttpDate(conditions.ifModifiedSince, &since) &&
      since <= now && second <= since) {
    plan.kind = kAnswerNotModified;
    plan.length = 0;
    return plan;
  }
  if (!get || !conditions.hasRange) return plan;
  if (conditions.hasIfRange) {
    uint64_t date = 0;
    if (!ParseHttpDate(conditions.ifRange, &date) || date != second) return plan;
  }
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
  head += "last-modified: " + FormatHttpDate(modified) + "\r\naccept-ranges: bytes\r\n";
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
