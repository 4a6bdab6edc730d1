// Sockets.h: start and end of Winsock (version 1.1) for the process.
#pragma once

// WSAStartup(1.1); logs "WSAStartup failed: %d\n" with its result on failure.
bool InitSockets();
// WSACleanup; true when it returned 0.
bool CleanupSockets();
