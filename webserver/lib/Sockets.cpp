// Sockets.cpp: start and end of Winsock for the process.
#include "lib/Sockets.h"

#include "lib/Log.h"

#include <winsock2.h>

bool InitSockets() {
  WSADATA data;
  int nResult = WSAStartup(MAKEWORD(1, 1), &data);
  if (nResult != 0) {
    LogMessage(L"WSAStartup failed: %d\n", nResult);
    return false;
  }
  return true;
}

bool CleanupSockets() { return WSACleanup() == 0; }
