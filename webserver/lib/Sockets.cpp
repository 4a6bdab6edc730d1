// Sockets.cpp: start and end of Winsock for the process.
#include "lib/Sockets.h"

#include "lib/Log.h"

#include <winsock2.h>

bool InitSockets() {
  WSADATA data;
  int result = WSAStartup(MAKEWORD(1, 1), &data);
  if (result != 0) {
    LogMessage(L"WSAStartup failed: %d\n", result);
    return false;
  }
  return true;
}

bool CleanupSockets() { return WSACleanup() == 0; }
