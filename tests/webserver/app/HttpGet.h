// HttpGet.h: one GET to the server on 127.0.0.1:80, for program tests.
#pragma once

#include <string>

struct HttpAnswer {
  int status = 0;    // 0 when no answer came
  std::string body;  // the content-length bytes after the head
};

// Sends "GET <target> HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"
// and reads the answer (at most 10 s). Winsock must be started.
HttpAnswer HttpGet(const std::string& target);
