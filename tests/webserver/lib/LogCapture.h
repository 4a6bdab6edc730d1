// LogCapture.h: the test programs' LogMessage keeps what it is given.
#pragma once

#include <string>

namespace logcapture {
void Clear();
std::wstring Text();
}  // namespace logcapture
