// CLocation: pure functions on the locations of configuration and icon
// files (a folder, a web address or a file:// location); owns nothing.
#pragma once
#include <string>

class CLocation {
public:
  // The location of a file: URL, a backslash and the name. Web addresses
  // are opened with forward slashes, as browsers read backslashes in them.
  static std::string Join(const std::string& url, const std::string& name);
  // http:// or https://, in any case.
  static bool IsWebAddress(const std::string& location);
  // A file: location as a local path: file://C:\Data\x (the name as
  // written after the scheme), file:///C:/Data/x and file://localhost/...
  // (URL form, percent escapes decoded), file://server/share/x (a share).
  // False for anything that is not a file: location.
  static bool FileUrlToPath(const std::string& location, std::string* path);
};
