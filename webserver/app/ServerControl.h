// ServerControl.h: starting and stopping the server with the main window.
#pragma once

// On WM_CREATE, once the log pane exists: starts Winsock and the listener,
// logging its progress. The window stays open whatever happens.
void StartServer();

// On WM_DESTROY, the first half, before the log pane goes: stops the
// listener and its workers (waiting for them) and deletes them.
void StopServer();

// On WM_DESTROY, the second half, after the log pane is gone: ends Winsock.
void StopServerSockets();
