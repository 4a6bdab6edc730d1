// RawClient.cpp: a test's end of one TCP connection.
#include "RawClient.h"

#include <ws2tcpip.h>

bool RawClient::Connect(unsigned short port, int family) {
  Close();
  m_hSocket = socket(family, SOCK_STREAM, 0);
  if (m_hSocket == INVALID_SOCKET) return false;
  sockaddr_storage addr = {};
  int length = 0;
  if (family == AF_INET6) {
    sockaddr_in6* v6 = reinterpret_cast<sockaddr_in6*>(&addr);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    v6->sin6_addr = in6addr_loopback;
    length = sizeof(*v6);
  } else {
    sockaddr_in* v4 = reinterpret_cast<sockaddr_in*>(&addr);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    length = sizeof(*v4);
  }
  if (connect(m_hSocket, reinterpret_cast<sockaddr*>(&addr), length) != 0) {
    Close();
    return false;
  }
  BOOL noDelay = TRUE;
  setsockopt(m_hSocket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
             sizeof(noDelay));
  return true;
}

bool RawClient::SendAll(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    int n = send(m_hSocket, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool RawClient::Fill(DWORD timeoutMs) {
  if (m_hSocket == INVALID_SOCKET || m_bPeerClosed) return false;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(m_hSocket, &readable);
  timeval wait = {static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
  if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return false;
  char buffer[65536];
  int n = recv(m_hSocket, buffer, sizeof(buffer), 0);
  if (n <= 0) {
    m_bPeerClosed = true;
    return false;
  }
  m_strPending.append(buffer, static_cast<size_t>(n));
  return true;
}

std::string RawClient::Read(size_t bytes, DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  while (m_strPending.size() < bytes) {
    ULONGLONG now = GetTickCount64();
    if (now >= end || !Fill(static_cast<DWORD>(end - now))) break;
  }
  std::string out = m_strPending.substr(0, bytes);
  m_strPending.erase(0, out.size());
  return out;
}

std::string RawClient::ReadHead(DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    size_t pos = m_strPending.find("\r\n\r\n");
    if (pos != std::string::npos) {
      std::string head = m_strPending.substr(0, pos + 4);
      m_strPending.erase(0, pos + 4);
      return head;
    }
    ULONGLONG now = GetTickCount64();
    if (now >= end || !Fill(static_cast<DWORD>(end - now))) return std::string();
  }
}

std::string RawClient::ReadAnswer(DWORD timeoutMs) {
  std::string head = ReadHead(timeoutMs);
  size_t pos = head.find("content-length: ");
  if (pos == std::string::npos) return head;
  unsigned long long length = _strtoui64(head.c_str() + pos + 16, nullptr, 10);
  return head + Read(static_cast<size_t>(length), timeoutMs);
}

bool RawClient::WaitClosed(DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!m_bPeerClosed) {
    ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    if (!Fill(static_cast<DWORD>(end - now)) && !m_bPeerClosed) return false;
    m_strPending.clear();
  }
  return true;
}

bool RawClient::AnythingArrives(DWORD timeoutMs) {
  return !m_strPending.empty() || Fill(timeoutMs);
}

void RawClient::Close() {
  if (m_hSocket != INVALID_SOCKET) {
    closesocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
  }
  m_bPeerClosed = false;
  m_strPending.clear();
}

void RawClient::Adopt(SOCKET socket) {
  Close();
  m_hSocket = socket;
}

SOCKET RawClient::Detach() {
  SOCKET h = m_hSocket;
  m_hSocket = INVALID_SOCKET;
  return h;
}

std::string GetRequest(const std::string& target, const std::string& fields) {
  return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + fields + "\r\n";
}

std::string HeadRequest(const std::string& target, const std::string& fields) {
  return "HEAD " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + fields + "\r\n";
}
