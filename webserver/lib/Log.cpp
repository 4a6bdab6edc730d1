// Log.cpp: LogMessage's formatting, in front of the installed sink.
#include "lib/Log.h"

#include <atomic>
#include <cstdarg>
#include <cwchar>
#include <memory>

namespace {
std::atomic<LogSink> g_sink{nullptr};
}  // namespace

void SetLogSink(LogSink sink) { g_sink = sink; }

bool LogMessage(const wchar_t* format, ...) {
  LogSink sink = g_sink;
  if (!sink) return true;
  std::unique_ptr<wchar_t[]> block(new wchar_t[kLogMessageChars + 1]);
  va_list args;
  va_start(args, format);
  // msvcrt fills all kLogMessageChars characters of a longer message and
  // reports -1; the last position is kept for the terminator.
  int n = _vsnwprintf(block.get(), kLogMessageChars, format, args);
  va_end(args);
  block[n < 0 ? kLogMessageChars : n] = L'\0';
  sink(block.get());
  return true;
}
