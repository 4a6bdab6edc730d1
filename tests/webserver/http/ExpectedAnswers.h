// The server's answers as a client must see them, byte for byte, written
// out here independently of the server's own text functions.
#pragma once
#include <string>

namespace expected {

const char kHeadFound[] = "HTTP/1.1 200 File Exists\r\n\r\n";
const char kHeadMissing[] = "HTTP/1.1 404 File not found\r\n\r\n";

inline std::string Found(const std::string& body) {
  return "HTTP/1.1 200 Sending file\r\ncontent-length: " + std::to_string(body.size()) +
         "\r\n\r\n" + body;
}

// escapedName: the target as the page shows it, HTML-escaped.
inline std::string NotFound(const std::string& escapedName) {
  std::string page =
      "<html><body><h1>404</h1><b>Couldn't find file: " + escapedName + "</b></body></html>\r\n";
  return "HTTP/1.1 404 File not found!\r\ncontent-length: " + std::to_string(page.size()) +
         "\r\n\r\n" + page;
}

}  // namespace expected
