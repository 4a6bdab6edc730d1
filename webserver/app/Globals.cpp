// Globals.cpp: the process-wide state shared by the window and the server.
#include "app/Globals.h"

wchar_t g_szWebRoot[WEBROOT_CHARS] = L"\\webroot\\";
volatile LONG g_nRequestCount = 0;
