// LogCapture.cpp: a log sink for test programs, capturing into memory.
#include "LogCapture.h"

#include "lib/Log.h"

#include <mutex>

namespace {

std::mutex g_mutex;
std::wstring g_text;

void Capture(const wchar_t* text) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_text += text;
}

}  // namespace

namespace logcapture {

void Start() {
  SetLogSink(Capture);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_text.clear();
}

std::wstring Text() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_text;
}

}  // namespace logcapture
