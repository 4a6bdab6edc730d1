// The server's answers as a client must see them, byte for byte, written
// out here independently of the server's own text functions. A file
// answer's date is compared apart: Masked puts kAnyDate in its place.
#pragma once
#include <string>

namespace expected {

const char kAnyDate[] = "(date)";
const char kHeadMissing[] = "HTTP/1.1 404 File not found\r\n\r\n";

// The lines after the length line of an answer about a file.
inline std::string FileLines(const std::string& type) {
  return (type.empty() ? std::string() : "content-type: " + type + "\r\n") +
         "last-modified: " + kAnyDate + "\r\naccept-ranges: bytes\r\n";
}

inline std::string HeadFound(const std::string& type = "") {
  return "HTTP/1.1 200 File Exists\r\n" + FileLines(type) + "\r\n";
}

inline std::string Found(const std::string& body, const std::string& type = "") {
  return "HTTP/1.1 200 Sending file\r\ncontent-length: " + std::to_string(body.size()) + "\r\n" +
         FileLines(type) + "\r\n" + body;
}

// Bytes first to last (both included) of a file of size bytes.
inline std::string Partial(const std::string& file, size_t first, size_t last,
                           const std::string& type = "") {
  return "HTTP/1.1 206 Partial Content\r\ncontent-length: " + std::to_string(last - first + 1) +
         "\r\n" + FileLines(type) + "content-range: bytes " + std::to_string(first) + "-" +
         std::to_string(last) + "/" + std::to_string(file.size()) + "\r\n\r\n" +
         file.substr(first, last - first + 1);
}

inline std::string Unsatisfiable(unsigned long long size) {
  return "HTTP/1.1 416 Range Not Satisfiable\r\ncontent-length: 0\r\n" + FileLines("") +
         "content-range: bytes */" + std::to_string(size) + "\r\n\r\n";
}

inline std::string NotModified(const std::string& date = kAnyDate) {
  return "HTTP/1.1 304 Not Modified\r\nlast-modified: " + date + "\r\naccept-ranges: bytes\r\n\r\n";
}

inline std::string Redirect(const std::string& location, bool get = true) {
  return std::string("HTTP/1.1 301 Moved Permanently\r\n") + (get ? "content-length: 0\r\n" : "") +
         "location: " + location + "\r\n\r\n";
}

// escapedName: the target as the page shows it, HTML-escaped.
inline std::string NotFound(const std::string& escapedName) {
  std::string page =
      "<html><body><h1>404</h1><b>Couldn't find file: " + escapedName + "</b></body></html>\r\n";
  return "HTTP/1.1 404 File not found!\r\ncontent-length: " + std::to_string(page.size()) +
         "\r\n\r\n" + page;
}

// The answers with the value of every last-modified line replaced by
// kAnyDate (bodies here never hold such a line).
inline std::string Masked(std::string answers) {
  const std::string name = "\r\nlast-modified: ";
  for (size_t line = answers.find(name); line != std::string::npos;
       line = answers.find(name, line + 1)) {
    size_t start = line + name.size();
    answers.replace(start, answers.find("\r\n", start) - start, kAnyDate);
  }
  return answers;
}

}  // namespace expected
