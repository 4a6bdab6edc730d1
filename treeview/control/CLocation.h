// CLocation: pure functions on the locations of configuration and icon
// files (a folder, a web address or a file:// location); owns nothing.
#pragma once
#include <string>

class CLocation {
public:
  // The location of a file: URL, a backslash and the name. Web addresses
  // are opened with forward slashes, as browsers read backslashes in them.
  static std::wstring Join(const std::wstring& url, const std::wstring& name);
  // http:// or https://, in any case.
  static bool IsWebAddress(const std::wstring& location);
  // A file: location as a local path: file://C:\Data\x (the name as
  // written after the scheme), file:///C:/Data/x and file://localhost/...
  // (URL form, percent escapes decoded: UTF-8 when they spell it, else
  // the system code page), file://server/share/x (a share). False for
  // anything that is not a file: location.
  static bool FileUrlToPath(const std::wstring& location, std::wstring* path);
  // A web address as it goes on the wire, as browsers send it: after the
  // host, every character outside ASCII becomes its UTF-8 bytes,
  // percent-encoded; everything else stays as written.
  static std::wstring EncodeWebAddress(const std::wstring& location);
  // Who answers a location, as one key: a web address's scheme, host and
  // port as written, in lower case ("http://127.0.0.1:81"); "file:" for
  // anything else.
  static std::wstring ServerOf(const std::wstring& location);
};
