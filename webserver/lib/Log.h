// Log.h: the one log function that every part of the server writes through.
#pragma once

#include <windows.h>

// printf-style wide formatting ("%s" wide text, "%S" 8-bit text, "%d" int),
// appended exactly as formatted (no line break, time stamp or prefix) to
// the program's log. Callable from any thread; returns TRUE.
// The program defines it (the log window); test programs define their own.
BOOL LogMessage(const wchar_t* pszFormat, ...);
