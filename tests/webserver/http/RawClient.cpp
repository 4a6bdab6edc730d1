// RawClient.cpp: a test's end of one TCP connection.
#include "RawClient.h"

#include <ws2tcpip.h>

bool RawClient::Connect(unsigned short nPort) {
  Close();
  m_hSocket = socket(AF_INET, SOCK_STREAM, 0);
  if (m_hSocket == INVALID_SOCKET) return false;
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(nPort);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(m_hSocket, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    Close();
    return false;
  }
  BOOL bNoDelay = TRUE;
  setsockopt(m_hSocket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay),
             sizeof(bNoDelay));
  return true;
}

bool RawClient::SendAll(const std::string& bytes) {
  size_t nDone = 0;
  while (nDone < bytes.size()) {
    int n = send(m_hSocket, bytes.data() + nDone, static_cast<int>(bytes.size() - nDone), 0);
    if (n <= 0) return false;
    nDone += static_cast<size_t>(n);
  }
  return true;
}

bool RawClient::Fill(DWORD nTimeoutMs) {
  if (m_hSocket == INVALID_SOCKET || m_bPeerClosed) return false;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(m_hSocket, &readable);
  timeval wait = {static_cast<long>(nTimeoutMs / 1000),
                  static_cast<long>(nTimeoutMs % 1000) * 1000};
  if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return false;
  char buffer[65536];
  int n = recv(m_hSocket, buffer, sizeof(buffer), 0);
  if (n <= 0) {
    m_bPeerClosed = true;
    return false;
  }
  m_pending.append(buffer, static_cast<size_t>(n));
  return true;
}

std::string RawClient::Read(size_t nBytes, DWORD nTimeoutMs) {
  ULONGLONG nEnd = GetTickCount64() + nTimeoutMs;
  while (m_pending.size() < nBytes) {
    ULONGLONG nNow = GetTickCount64();
    if (nNow >= nEnd || !Fill(static_cast<DWORD>(nEnd - nNow))) break;
  }
  std::string out = m_pending.substr(0, nBytes);
  m_pending.erase(0, out.size());
  return out;
}

std::string RawClient::ReadHead(DWORD nTimeoutMs) {
  ULONGLONG nEnd = GetTickCount64() + nTimeoutMs;
  for (;;) {
    size_t nPos = m_pending.find("\r\n\r\n");
    if (nPos != std::string::npos) {
      std::string head = m_pending.substr(0, nPos + 4);
      m_pending.erase(0, nPos + 4);
      return head;
    }
    ULONGLONG nNow = GetTickCount64();
    if (nNow >= nEnd || !Fill(static_cast<DWORD>(nEnd - nNow))) return std::string();
  }
}

std::string RawClient::ReadAnswer(DWORD nTimeoutMs) {
  std::string head = ReadHead(nTimeoutMs);
  size_t nPos = head.find("content-length: ");
  if (nPos == std::string::npos) return head;
  unsigned long long nLength = _strtoui64(head.c_str() + nPos + 16, nullptr, 10);
  return head + Read(static_cast<size_t>(nLength), nTimeoutMs);
}

bool RawClient::WaitClosed(DWORD nTimeoutMs) {
  ULONGLONG nEnd = GetTickCount64() + nTimeoutMs;
  while (!m_bPeerClosed) {
    ULONGLONG nNow = GetTickCount64();
    if (nNow >= nEnd) return false;
    if (!Fill(static_cast<DWORD>(nEnd - nNow)) && !m_bPeerClosed) return false;
    m_pending.clear();
  }
  return true;
}

bool RawClient::AnythingArrives(DWORD nTimeoutMs) { return !m_pending.empty() || Fill(nTimeoutMs); }

void RawClient::Close() {
  if (m_hSocket != INVALID_SOCKET) {
    closesocket(m_hSocket);
    m_hSocket = INVALID_SOCKET;
  }
  m_bPeerClosed = false;
  m_pending.clear();
}

SOCKET RawClient::Detach() {
  SOCKET h = m_hSocket;
  m_hSocket = INVALID_SOCKET;
  return h;
}

std::string GetRequest(const std::string& target) {
  return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

std::string HeadRequest(const std::string& target) {
  return "HEAD " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}
