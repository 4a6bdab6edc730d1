// Globals.cpp: the process-wide state shared by the window and the server.
#include "app/Globals.h"

wchar_t g_szWebRoot[kWebRootChars] = L"\\webroot\\";
volatile LONG g_nRequestCount = 0;
