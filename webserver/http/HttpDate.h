// HttpDate.h: the dates of HTTP fields, from and to file times (100 ns
// units since 1 January 1601, UTC). Pure arithmetic: no clock, no calls.
#pragma once

#include <cstdint>
#include <string>

const uint64_t kFileTimeTicksPerSecond = 10000000;

// "Sun, 06 Nov 1994 08:49:37 GMT" for the second the file time falls in.
std::string FormatHttpDate(uint64_t fileTime);

// The file time of the start of the second a date names. Takes the three
// forms HTTP recipients must take: "Sun, 06 Nov 1994 08:49:37 GMT",
// "Sunday, 06-Nov-94 08:49:37 GMT" (years 70 to 99 are 1970 to 1999, 00 to
// 69 are 2000 to 2069) and "Sun Nov  6 08:49:37 1994"; spaces and tabs
// around the date are ignored. False for anything else, for a day the month
// does not have, and for a date before 1601 or after 9999.
bool ParseHttpDate(const std::string& text, uint64_t* fileTime);
