// The server's answers as a client must see them, byte for byte, written
// out here independently of the server's own text functions. A file
// answer's date and entity tag are compared apart: Masked puts kAnyDate and
// kAnyTag in their places.
#pragma once
#include <string>

namespace expected {

const char kAnyDate[] = "(date)";
const char kAnyTag[] = "(tag)";
const char kHeadMissing[] = "HTTP/1.1 404 File not found\r\n\r\n";

// The lines after the length line of an answer about a file.
inline std::string FileLines(const std::string& type) {
  return (type.empty() ? std::string() : "content-type: " + type + "\r\n") +
         "last-modified: " + kAnyDate + "\r\netag: " + kAnyTag + "\r\naccept-ranges: bytes\r\n";
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

inline std::string NotModified(const std::string& date = kAnyDate,
                               const std::string& tag = kAnyTag) {
  return "HTTP/1.1 304 Not Modified\r\nlast-modified: " + date + "\r\netag: " + tag +
         "\r\naccept-ranges: bytes\r\n\r\n";
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

// The value of the field name of the first answer's head ("" if none).
inline std::string FieldOf(const std::string& answer, const std::string& name) {
  const std::string line = "\r\n" + name + ": ";
  size_t at = answer.find(line), blank = answer.find("\r\n\r\n");
  if (at == std::string::npos || at >= blank) return std::string();
  size_t start = at + line.size();
  return answer.substr(start, answer.find("\r\n", start) - start);
}

// The answers with the value of every last-modified line replaced by
// kAnyDate and of every etag line by kAnyTag (bodies here never hold such
// a line).
inline std::string Masked(std::string answers) {
  const struct {
    const char* line;
    const char* mask;
  } fields[] = {{"\r\nlast-modified: ", kAnyDate}, {"\r\netag: ", kAnyTag}};
  for (const auto& field : fields) {
    const std::string name = field.line;
    for (size_t line = answers.find(name); line != std::string::npos;
         line = answers.find(name, line + 1)) {
      size_t start = line + name.size();
      answers.replace(start, answers.find("\r\n", start) - start, field.mask);
    }
  }
  return answers;
}

}  // namespace expected
