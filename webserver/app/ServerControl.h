// ServerControl.h: starting and stopping the server with the main window;
// owns the listener (g_pListenThread).
#pragma once

class CListenThread;

// The listener, created by StartServer once Winsock runs; null before, when
// Winsock failed to start, and after StopServer.
extern CListenThread* g_pListenThread;

// On WM_CREATE, once the log pane exists: starts Winsock and the listener,
// logging its progress. The window stays open whatever happens.
void StartServer();

// On WM_DESTROY, the first half, before the log pane goes: stops the
// listener and its workers (waiting for them) and deletes them.
void StopServer();

// On WM_DESTROY, the second half, after the log pane is gone: ends Winsock.
void StopServerSockets();
