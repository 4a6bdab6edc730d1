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
SOCKET Exchange(volatile SOCKET* phSocket, SOCKET hNew) {
  return reinterpret_cast<SOCKET>(InterlockedExchangePointer(
      reinterpret_cast<PVOID volatile*>(phSocket), reinterpret_cast<PVOID>(hNew)));
}

}  // namespace

CSocket::CSocket() : m_hSocket(INVALID_SOCKET) {}

CSocket::CSocket(SOCKET hSocket) : m_hSocket(hSocket) {}

CSocket::~CSocket() { Close(); }

bool CSocket::Create(int nFamily, int nType, int nProtocol) {
  if (m_hSocket != INVALID_SOCKET) return false;
  SOCKET h = socket(nFamily, nType, nProtocol);
  if (h == INVALID_SOCKET) {
    LogMessage(L"CS:Create: socket failed: %d\r\n", static_cast<int>(GetLastError()));
    return false;
  }
  m_hSocket = h;
  return true;
}

bool CSocket::Listen(unsigned short nPort) {
  sockaddr_in address;
  memset(&address, 0, sizeof(address));
  address.sin_family = AF_INET;
  address.sin_port = htons(nPort);
  address.sin_addr.s_addr = INADDR_ANY;
  // No other program may bind the port beside us and take our clients.
  BOOL bExclusive = TRUE;
  setsockopt(m_hSocket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&bExclusive),
             sizeof(bExclusive));
  if (bind(m_hSocket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    int nError = static_cast<int>(GetLastError());
    LogMessage(L"CS:Listen: bind failed: %d\r\n", nError);
    // The number alone tells a person nothing; the window would look as
    // if it served.
    if (nError == WSAEADDRINUSE)
      LogMessage(L"Port %d is in use by another program.\r\n", static_cast<int>(nPort));
    else if (nError == WSAEACCES)  // also what an exclusive holder causes
      LogMessage(L"Port %d is in use by another program, or this user may not open it.\r\n",
                 static_cast<int>(nPort));
    return false;
  }
  if (listen(m_hSocket, kBacklog) != 0) {
    LogMessage(L"CS:Listen: listen failed: %d\r\n", static_cast<int>(GetLastError()));
    return false;
  }
  return true;
}

bool CSocket::Accept(CSocket& client, sockaddr* pAddress, int* pnAddressLength) {
  SOCKET h = accept(m_hSocket, pAddress, pnAddressLength);
  if (h == INVALID_SOCKET) return false;
  if (!client.Attach(h)) {
    closesocket(h);
    return false;
  }
  return true;
}

bool CSocket::Attach(SOCKET hSocket) {
  if (m_hSocket != INVALID_SOCKET) return false;
  m_hSocket = hSocket;
  return true;
}

SOCKET CSocket::Detach() { return Exchange(&m_hSocket, INVALID_SOCKET); }

int CSocket::Receive(char* pBuffer, int nLength) { return recv(m_hSocket, pBuffer, nLength, 0); }

int CSocket::Send(const char* pBuffer, int nLength) { return send(m_hSocket, pBuffer, nLength, 0); }

bool CSocket::ReceiveLine(char* pBuffer, int nSize) {
  // A line needs room for one byte and the terminator.
  if (nSize < 2) {
    if (nSize == 1) pBuffer[0] = '\0';
    return false;
  }
  int nPos = 0;
  for (;;) {
    if (Receive(pBuffer + nPos, 1) != 1) {
      pBuffer[0] = '\0';
      return false;
    }
    char c = pBuffer[nPos++];
    if (nPos >= nSize - 1 || c == '\n') {
      pBuffer[nPos] = '\0';
      return true;
    }
  }
}

bool CSocket::SendString(const char* pszText) {
  int n = static_cast<int>(strlen(pszText));
  return Send(pszText, n) == n;
}

bool CSocket::SendFile(CFile& file) {
  char buffer[kFilePieceBytes];
  for (;;) {
    bool bFailed = false;
    DWORD n = file.Read(buffer, kFilePieceBytes, &bFailed);
    if (bFailed) return false;
    if (Send(buffer, static_cast<int>(n)) != static_cast<int>(n)) return false;
    if (n != kFilePieceBytes) return true;
  }
}

bool CSocket::IoControl(long nCommand, u_long* pnArgument) {
  return ioctlsocket(m_hSocket, nCommand, pnArgument) == 0;
}

void CSocket::Close() {
  SOCKET h = Exchange(&m_hSocket, INVALID_SOCKET);
  if (h != INVALID_SOCKET) {
    shutdown(h, SD_SEND);
    closesocket(h);
  }
}
