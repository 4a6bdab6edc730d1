// RawClient.h: a test's end of one TCP connection; owns one socket. Speaks
// bytes, not HTTP, so tests can check every byte the server sends.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

class RawClient {
public:
  RawClient() = default;
  ~RawClient() { Close(); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  // Connects to the loopback of the family (127.0.0.1, or ::1 for
  // AF_INET6) on the port; false when refused.
  bool Connect(unsigned short port, int family = AF_INET);
  bool SendAll(const std::string& bytes);
  // Up to bytes, waiting at most timeoutMs in all; stops early when the
  // peer closes (then IsClosedByPeer()).
  std::string Read(size_t bytes, DWORD timeoutMs);
  // One whole answer head (through the blank line), or "" on time-out.
  std::string ReadHead(DWORD timeoutMs);
  // Whether the server closed the connection within the time, discarding
  // whatever arrives before.
  bool WaitClosed(DWORD timeoutMs);
  // Whether any byte arrives within the time (the bytes are kept).
  bool AnythingArrives(DWORD timeoutMs);
  bool IsClosedByPeer() const { return m_bPeerClosed; }
  void Close();
  SOCKET Detach();
  // Takes a connected socket made elsewhere.
  void Adopt(SOCKET socket);

  // A head, its body per its length line, as one text.
  std::string ReadAnswer(DWORD timeoutMs);

private:
  SOCKET m_hSocket = INVALID_SOCKET;
  bool m_bPeerClosed = false;
  std::string m_strPending;  // received but not yet handed out
  bool Fill(DWORD timeoutMs);
};

// Ready-made request heads; fields, when given, are whole lines
// ("Range: bytes=0-9\r\n").
std::string GetRequest(const std::string& target, const std::string& fields = "");
std::string HeadRequest(const std::string& target, const std::string& fields = "");
