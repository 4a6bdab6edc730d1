// Globals.h: process-wide state of the web server shared across threads.
#pragma once

#include <windows.h>

const int kWebRootChars = 1024;  // terminator included

// The web root, fixed by the entry point before the window exists and
// read-only afterwards; request paths are appended directly to it.
extern wchar_t g_szWebRoot[kWebRootChars];

// Request heads read by all workers; only ever changed with
// InterlockedIncrement so that concurrent workers lose no counts.
extern volatile LONG g_nRequestCount;
