// ServerControl.cpp: server start and stop of the main window.
#include "ServerControl.h"

#include "CListenThread.h"
#include "Log.h"
#include "Sockets.h"

CListenThread* g_pListenThread = nullptr;

void StartServer()
{
    LogMessage(L"Initializing sockets...\r\n");
    if (!InitSockets()) {
        LogMessage(L"\r\nSocket Initialization failed\r\n");
        return;
    }
    LogMessage(L"Sockets Initialized OK\r\nStarting Listen Thread.\r\n");
    g_pListenThread = new CListenThread();
    g_pListenThread->Start();
}

void StopServer()
{
    if (g_pListenThread) {
        g_pListenThread->Shutdown();
        delete g_pListenThread;
        g_pListenThread = nullptr;
    }
}

void StopServerSockets()
{
    CleanupSockets();
}
