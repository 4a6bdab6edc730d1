// LogCapture.h: a log sink that keeps what it is given.
#pragma once

#include <string>

namespace logcapture {
// Installs the capturing sink and starts with nothing kept.
void Start();
std::wstring Text();
}  // namespace logcapture
