// HttpGet.cpp: one GET to the server on 127.0.0.1:80, for program tests.
#include "HttpGet.h"

#include <winsock2.h>

#include <cstdlib>

HttpAnswer HttpGet(const std::string& target) {
  HttpAnswer answer;
  SOCKET h = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(80);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  DWORD timeout = 10000;
  setsockopt(h, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
  if (connect(h, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    closesocket(h);
    return answer;
  }
  std::string request =
      "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
  send(h, request.data(), static_cast<int>(request.size()), 0);
  std::string bytes;
  char buffer[4096];
  int n;
  while ((n = recv(h, buffer, sizeof(buffer), 0)) > 0) {
    bytes.append(buffer, n);
    size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string::npos) continue;
    size_t lengthAt = bytes.find("content-length: ");
    size_t length = lengthAt < headEnd ? strtoul(bytes.c_str() + lengthAt + 16, nullptr, 10) : 0;
    if (bytes.size() >= headEnd + 4 + length) {
      answer.body = bytes.substr(headEnd + 4, length);
      break;
    }
  }
  closesocket(h);
  if (bytes.compare(0, 9, "HTTP/1.1 ") == 0) answer.status = atoi(bytes.c_str() + 9);
  return answer;
}
