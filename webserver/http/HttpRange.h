// HttpRange.h: the one byte range a request's Range field asks for.
#pragma once

#include <cstdint>
#include <string>

enum RangeAsked {
  kRangeWhole,          // several ranges, another unit, or malformed: the whole file
  kRangePart,           // one satisfiable range: *first to *last, both included
  kRangeUnsatisfiable,  // one range that starts at or past the end
};

// Reads "bytes=a-b", "bytes=a-" or "bytes=-n" (the unit in any case, spaces
// and tabs around the parts) against a file of size bytes. b past the end
// ends at the last byte; a suffix longer than the file is the whole file;
// a is after b: malformed. Numbers too long for 64 bits count as past any
// end.
RangeAsked ParseRange(const std::string& value, uint64_t size, uint64_t* first, uint64_t* last);
