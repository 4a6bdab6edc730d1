// TestGlobals.h: what a test program's own log collected.
#pragma once

#include <string>

std::wstring TestLogText();
