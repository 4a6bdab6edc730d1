// CSocket.cpp: a Winsock IPv4 stream socket.
#include "lib/CSocket.h"

#include "lib/CFile.h"
#include "lib/Log.h"

#include <cstring>

namespace {

const int kBacklog = 5;
const DWORD kFilePieceBytes = 8192;

// The handle is swapped atomically: Close runs on the window's thread while
// the listener's thread may be reading it in Accept.
SOCKET Exchange(volatile SOCKET* slot, SOCKET value) {
  return reinterpret_cast<SOCKET>(InterlockedExchangePointer(
      reinterpret_cast<PVOID volatile*>(slot), reinterpret_cast<PVOID>(value)));
}

}  // namespace

CSocket::CSocket() : m_hSocket(INVALID_SOCKET) {}

CSocket::CSocket(SOCKET handle) : m_hSocket(handle) {}

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

bool CSocket::Listen(unsigned short port) {
  sockaddr_in address;
  memset(&address, 0, sizeof(address));
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = INADDR_ANY;
  // No other program may bind the port beside us and take our clients.
  BOOL exclusive = TRUE;
  setsockopt(m_hSocket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof(exclusive));
  if (bind(m_hSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    int error = static_cast<int>(GetLastError());
    LogMessage(L"CS:Listen: bind failed: %d\r\n", error);
    // The number alone tells a person nothing; the window would look as
    // if it served.
    if (error == WSAEADDRINUSE)
      LogMessage(L"Port %d is in use by another program.\r\n", static_cast<int>(port));
    else if (error == WSAEACCES)  // also what an exclusive holder causes
      LogMessage(L"Port %d is in use by another program, or this user may not open it.\r\n",
                 static_cast<int>(port));
    return false;
  }
  if (listen(m_hSocket, kBacklog) != 0) {
    LogMessage(L"CS:Listen: listen failed: %d\r\n", static_cast<int>(GetLastError()));
    return false;
  }
  return true;
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
}
