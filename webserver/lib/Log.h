// Log.h: the one log function that every part of the server writes through,
// and the sink that the program installs behind it.
#pragma once

#include <windows.h>

// Longest message kept, in characters; longer ones are cut.
const int kLogMessageChars = 4095;

// Receives each formatted message, whole and terminated, on the writer's
// thread; must be callable from any thread.
using LogSink = void (*)(const wchar_t* text);

// Installs the sink (null: messages are dropped). Set once, before the
// threads that log start.
void SetLogSink(LogSink sink);

// printf-style wide formatting ("%s" wide text, "%S" 8-bit text, "%d" int),
// handed exactly as formatted (no line break, time stamp or prefix) to the
// sink. Callable from any thread; returns true.
bool LogMessage(const wchar_t* format, ...);
