// CSocket.cpp: a Winsock stream socket.
#include "lib/CSocket.h"

#include "lib/CFile.h"
#include "lib/Log.h"

#include <ws2tcpip.h>

#include <cstring>

namespace {

const DWORD kFilePieceBytes = 8192;

// The handle is swapped atomically: Close runs on the window's thread while
// the listener's thread may be reading it in Accept.
SOCKET Exchange(volatile SOCKET* slot, SOCKET value) {
  return reinterpret_cast<SOCKET>(InterlockedExchangePointer(
      reinterpret_cast<PVOID volatile*>(slot), reinterpret_cast<PVOID>(value)));
}

}  // namespace

CSocket::CSocket() : m_hSocket(INVALID_SOCKET), m_bDualMode(false) {}

CSocket::CSocket(SOCKET handle) : m_hSocket(handle), m_bDualMode(false) {}

CSocket::~CSocket() { Close(); }

bool CSocket::Create(int family, int type, int protocol) {
  if (m_hSocket != INVALID_SOCKET) return false;
  SOCKET h = socket(family, type, protocol);
  if (h == INVALID_SOCKET) {
    LogMessage(L"CS:Create: socket failed: %d\r\n", static_cast<int>(GetLastError()));
    return false;
  }
  m_hSocket = h;
  return true;
}

int CSocket::CreateDualMode(int family) {
  if (m_hSocket != INVALID_SOCKET) return WSAEISCONN;
  SOCKET h = socket(family, SOCK_STREAM, 0);
  if (h == INVALID_SOCKET) return WSAGetLastError();
  // Off, one socket serves both families; the platform's default is on.
  DWORD v6only = 0;
  if (setsockopt(h, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&v6only),
                 sizeof(v6only)) != 0) {
    int error = WSAGetLastError();
    closesocket(h);
    return error;
  }
  m_hSocket = h;
  m_bDualMode = true;
  return 0;
}

int CSocket::ListenQuietly(unsigned short port, bool* bindFailed) {
  sockaddr_storage address;
  memset(&address, 0, sizeof(address));
  int length = 0;
  if (m_bDualMode) {
    sockaddr_in6* any = reinterpret_cast<sockaddr_in6*>(&address);
    any->sin6_family = AF_INET6;
    any->sin6_port = htons(port);
    any->sin6_addr = in6addr_any;
    length = sizeof(*any);
  } else {
    sockaddr_in* any = reinterpret_cast<sockaddr_in*>(&address);
    any->sin_family = AF_INET;
    any->sin_port = htons(port);
    any->sin_addr.s_addr = INADDR_ANY;
    length = sizeof(*any);
  }
  // No other program may bind the port beside us and take our clients.
  BOOL exclusive = TRUE;
  setsockopt(m_hSocket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof(exclusive));
  *bindFailed = bind(m_hSocket, reinterpret_cast<sockaddr*>(&address), length) != 0;
  if (*bindFailed) return static_cast<int>(GetLastError());
  if (listen(m_hSocket, SOMAXCONN) != 0) return static_cast<int>(GetLastError());
  return 0;
}

void CSocket::LogBindFailure(int error, unsigned short port) {
  LogMessage(L"CS:Listen: bind failed: %d\r\n", error);
  // The number alone tells a person nothing; the window would look as
  // if it served.
  if (error == WSAEADDRINUSE)
    LogMessage(L"Port %d is in use by another program.\r\n", static_cast<int>(port));
  else if (error == WSAEACCES)  // also what an exclusive holder causes
    LogMessage(L"Port %d is in use by another program, or this user may not open it.\r\n",
               static_cast<int>(port));
}

bool CSocket::Listen(unsigned short port) {
  bool bindFailed = false;
  int error = ListenQuietly(port, &bindFailed);
  if (error == 0) return true;
  if (bindFailed)
    LogBindFailure(error, port);
  else
    LogMessage(L"CS:Listen: listen failed: %d\r\n", error);
  return false;
}

unsigned short CSocket::BoundPort() const {
  sockaddr_storage address;
  int length = sizeof(address);
  if (getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  // The port sits at the same place in both families' records.
  return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

bool CSocket::Accept(CSocket* client, sockaddr* address, int* addressLength) {
  SOCKET h = accept(m_hSocket, address, addressLength);
  if (h == INVALID_SOCKET) return false;
  if (!client->Attach(h)) {
    closesocket(h);
    return false;
  }
  return true;
}

bool CSocket::Attach(SOCKET handle) {
  if (m_hSocket != INVALID_SOCKET) return false;
  m_hSocket = handle;
  return true;
}

SOCKET CSocket::Detach() { return Exchange(&m_hSocket, INVALID_SOCKET); }

int CSocket::Receive(char* buffer, int length) { return recv(m_hSocket, buffer, length, 0); }

int CSocket::Send(const char* buffer, int length) { return send(m_hSocket, buffer, length, 0); }

bool CSocket::ReceiveLine(char* buffer, int size) {
  // A line needs room for one byte and the terminator.
  if (size < 2) {
    if (size == 1) buffer[0] = '\0';
    return false;
  }
  int pos = 0;
  for (;;) {
    if (Receive(buffer + pos, 1) != 1) {
      buffer[0] = '\0';
      return false;
    }
    char c = buffer[pos++];
    if (pos >= size - 1 || c == '\n') {
      buffer[pos] = '\0';
      return true;
    }
  }
}

bool CSocket::SendString(const char* text) {
  int n = static_cast<int>(strlen(text));
  return Send(text, n) == n;
}

bool CSocket::SendFile(CFile& file) {
  char buffer[kFilePieceBytes];
  for (;;) {
    bool failed = false;
    DWORD n = file.Read(buffer, kFilePieceBytes, &failed);
    if (failed) return false;
    if (Send(buffer, static_cast<int>(n)) != static_cast<int>(n)) return false;
    if (n != kFilePieceBytes) return true;
  }
}

bool CSocket::IoControl(long command, u_long* argument) {
  return ioctlsocket(m_hSocket, command, argument) == 0;
}

void CSocket::Close() {
  SOCKET h = Exchange(&m_hSocket, INVALID_SOCKET);
  if (h != INVALID_SOCKET) {
    shutdown(h, SD_SEND);
    closesocket(h);
  }
  m_bDualMode = false;
}
