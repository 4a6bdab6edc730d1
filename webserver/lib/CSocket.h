// CSocket.h: a Winsock stream socket (IPv4, or IPv6 taking IPv4 clients too);
// owns one socket handle.
#pragma once

#include "lib/CObject.h"

#include <winsock2.h>
#include <windows.h>

class CFile;

// Blocking unless the owner says otherwise. A socket passes between owners only by Detach
// and Attach. Close may be called from another thread while this one blocks
// in Accept: that is how a blocked accept is released.
class CSocket : public CObject {
public:
  CSocket();
  explicit CSocket(SOCKET handle);
  ~CSocket() override;
  CSocket(const CSocket&) = delete;
  CSocket& operator=(const CSocket&) = delete;

  // socket(); logs "CS:Create: socket failed: %d\r\n" on failure. Refused
  // (false, no log) while a socket is owned, so none is leaked.
  bool Create(int family, int type, int protocol);
  // An IPv6 stream socket of the family (AF_INET6 but for tests) that takes
  // IPv4 clients as well. No log line: 0, or the error that stopped it.
  int CreateDualMode(int family);
  // Binds every local address of the socket's family on the port (host
  // order), exclusively, and listens with the system's largest backlog, so
  // that a burst of connects is never dropped; logs the bind or listen
  // failure, and a plain line when the port is taken.
  bool Listen(unsigned short port);
  // The same without a log line: 0, or the error; *bindFailed tells which
  // step gave it.
  int ListenQuietly(unsigned short port, bool* bindFailed);
  // The lines Listen writes for a failed bind.
  static void LogBindFailure(int error, unsigned short port);
  // Whether a bind error means another socket holds the port.
  static bool IsPortTaken(int error) { return error == WSAEADDRINUSE || error == WSAEACCES; }
  // The port bound (host order), or 0.
  unsigned short BoundPort() const;
  // Hands the next connection to client (see Attach). When client refuses
  // it, the connection is closed rather than leaked. No log line.
  bool Accept(CSocket* client, sockaddr* address, int* addressLength);
  // False, and nothing changes, while a socket is owned.
  bool Attach(SOCKET handle);
  // The owned handle (INVALID_SOCKET if none); the caller now owns it.
  SOCKET Detach();
  SOCKET GetHandle() const { return m_hSocket; }

  // One recv / send: bytes moved, 0 when the peer closed (recv), -1 on error.
  int Receive(char* buffer, int length);
  int Send(const char* buffer, int length);
  // One byte at a time up to a line feed (kept) or size - 1 bytes; false
  // (buffer emptied) when the peer closes or fails first, and at once
  // when size < 2 leaves no room for a byte and the terminator.
  bool ReceiveLine(char* buffer, int size);
  // True only when the whole text went out in one send.
  bool SendString(const char* text);
  // The file from its position to its end in 8,192-byte pieces. False on
  // a short send, and on a read failure: a file sent in part must not
  // look complete.
  bool SendFile(CFile& file);
  // ioctlsocket; true when it returned 0.
  bool IoControl(long command, u_long* argument);
  // shutdown(SD_SEND) then closesocket, if one is owned. Idempotent.
  void Close();

private:
  volatile SOCKET m_hSocket;  // INVALID_SOCKET when none is owned
  bool m_bDualMode;           // made by CreateDualMode: binds the IPv6 wildcard
};
