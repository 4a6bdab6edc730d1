// LogCapture.cpp: LogMessage for test programs, capturing into memory.
#include "LogCapture.h"

#include "Log.h"

#include <cstdarg>
#include <cwchar>
#include <mutex>

namespace {
std::mutex g_mutex;
std::wstring g_text;
}  // namespace

BOOL LogMessage(const wchar_t* pszFormat, ...) {
  wchar_t szBlock[4096];
  va_list args;
  va_start(args, pszFormat);
  int n = _vsnwprintf(szBlock, 4095, pszFormat, args);
  va_end(args);
  szBlock[n < 0 ? 4095 : n] = L'\0';
  std::lock_guard<std::mutex> lock(g_mutex);
  g_text += szBlock;
  return TRUE;
}

namespace logcapture {

void Clear() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_text.clear();
}

std::wstring Text() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_text;
}

}  // namespace logcapture
