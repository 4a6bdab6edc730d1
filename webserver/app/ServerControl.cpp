// ServerControl.cpp: server start and stop of the main window.
#include "app/ServerControl.h"

#include "app/Globals.h"
#include "http/CListenThread.h"
#include "lib/Log.h"
#include "lib/Sockets.h"

CListenThread* g_pListenThread = nullptr;

void StartServer() {
  // A wrong root is seen at once, not after a puzzling 404.
  LogMessage(L"Serving the folder %s\r\n", g_szWebRoot);
  LogMessage(L"Initializing sockets...\r\n");
  if (!InitSockets()) {
    LogMessage(L"\r\nSocket Initialization failed\r\n");
    return;
  }
  LogMessage(L"Sockets Initialized OK\r\nStarting Listen Thread.\r\n");
  g_pListenThread = new CListenThread(HttpSettings{g_szWebRoot, &g_nRequestCount});
  g_pListenThread->Start();
}

void StopServer() {
  if (g_pListenThread) {
    g_pListenThread->Shutdown();
    delete g_pListenThread;
    g_pListenThread = nullptr;
  }
}

void StopServerSockets() { CleanupSockets(); }
