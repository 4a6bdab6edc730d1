// TestGlobals.cpp: the program's globals and log, as a test program has
// them: the log goes to a string the tests can read.
#include "TestGlobals.h"

#include "Globals.h"
#include "Log.h"

#include <cstdarg>
#include <cwchar>
#include <mutex>

wchar_t g_szWebRoot[WEBROOT_CHARS];
volatile LONG g_nRequestCount = 0;

namespace {
std::mutex g_logMutex;
std::wstring g_logText;
}  // namespace

BOOL LogMessage(const wchar_t* pszFormat, ...) {
  wchar_t buffer[4096];
  va_list args;
  va_start(args, pszFormat);
  _vsnwprintf(buffer, 4095, pszFormat, args);
  va_end(args);
  buffer[4095] = 0;
  std::lock_guard<std::mutex> hold(g_logMutex);
  g_logText += buffer;
  return TRUE;
}

std::wstring TestLogText() {
  std::lock_guard<std::mutex> hold(g_logMutex);
  return g_logText;
}
