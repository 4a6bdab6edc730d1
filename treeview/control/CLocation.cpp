// CLocation: joining names to locations and reading file: locations.
#include "control/CLocation.h"
#include <cctype>

namespace {
bool StartsWithNoCase(const std::string& s, const char* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i)
    if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  return true;
}

bool IsDrive(const std::string& s) {
  return s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) &&
         (s[1] == ':' || s[1] == '|');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string Decode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    int hi, lo;
    if (s[i] == '%' && i + 2 < s.size() && (hi = HexValue(s[i + 1])) >= 0 &&
        (lo = HexValue(s[i + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string Backslashes(std::string s) {
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}
}  // namespace

bool CLocation::IsWebAddress(const std::string& location) {
  return StartsWithNoCase(location, "http://") || StartsWithNoCase(location, "https://");
}

std::string CLocation::Join(const std::string& url, const std::string& name) {
  std::string location = url + "\\" + name;
  if (IsWebAddress(location))
    for (char& c : location)
      if (c == '\\') c = '/';
  return location;
}

bool CLocation::FileUrlToPath(const std::string& location, std::string* path) {
  if (!StartsWithNoCase(location, "file:")) return false;
  std::string rest = location.substr(5);
  if (rest.compare(0, 2, "//") != 0) return false;
  rest = rest.substr(2);
  if (rest.empty()) return false;
  if (IsDrive(rest)) {
    *path = rest;  // the name as written: no escapes, separators kept
  } else if (!rest.empty() && rest[0] == '/') {
    rest = Decode(rest.substr(1));
    *path = IsDrive(rest) ? Backslashes(rest) : "\\" + Backslashes(rest);
  } else if (StartsWithNoCase(rest, "localhost/")) {
    *path = Backslashes(Decode(rest.substr(10)));
  } else {
    *path = "\\\\" + Backslashes(Decode(rest));  // a share on another machine
  }
  if (IsDrive(*path)) (*path)[1] = ':';
  return !path->empty();
}
