// ServerControl.cpp: server start and stop hooks of the main window.
// Placeholder bodies until the listener exists.
#include "ServerControl.h"

void StartServer() {}
void StopServer() {}
void StopServerSockets() {}
