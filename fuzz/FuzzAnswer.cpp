// libFuzzer target: a file answer's rules. The input's first eight bytes
// are a file size (and a file time), the rest a request head's text. Runs
// the Range parser, the date reader and writer, the conditions, the plan
// and its head, and a folder's redirect. Aborts when a range leaves the
// file, a date read is not written back the same, a written date is not
// read back, a head holds a blank line before its end, or a redirect could
// name another host or break the head.
#include "http/FileAnswer.h"
#include "http/HttpDate.h"
#include "http/HttpRange.h"
#include "http/MediaTypes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// 10000-01-01 as a file time: the first the four-digit year cannot write.
const uint64_t kYear10000 = 265046774400ULL * kFileTimeTicksPerSecond;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_answer: %s\n", what);
  std::abort();
}

void CheckHead(const std::string& head) {
  size_t blank = head.find("\r\n\r\n");
  if (blank == std::string::npos || blank + 4 != head.size()) Fail("head not ended once");
  for (char c : head) {
    if (c == '\n' || c == '\r') continue;
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) Fail("control byte in a head");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  uint64_t number = 0;
  std::memcpy(&number, data, 8);
  std::string text(reinterpret_cast<const char*>(data) + 8, size - 8);
  // Sizes of every magnitude, most of them small.
  uint64_t fileSize = number >> (number & 63);

  uint64_t first = 0, last = 0;
  if (ParseRange(text, fileSize, &first, &last) == kRangePart && (first > last || last >= fileSize))
    Fail("range outside the file");

  uint64_t time = 0;
  if (ParseHttpDate(text, &time)) {
    if (time % kFileTimeTicksPerSecond != 0) Fail("date not a whole second");
    uint64_t again = 0;
    if (!ParseHttpDate(FormatHttpDate(time), &again) || again != time)
      Fail("date read is not written back the same");
  }
  uint64_t fileTime = number % kYear10000;
  std::string date = FormatHttpDate(fileTime);
  if (date.size() != 29 || !ParseHttpDate(date, &time) ||
      time != fileTime - fileTime % kFileTimeTicksPerSecond)
    Fail("written date not read back");

  std::string head = text.c_str();  // the worker's heads end at a zero byte
  FileConditions conditions = ReadFileConditions(head.c_str());
  for (bool get : {true, false}) {
    FilePlan plan = PlanFileAnswer(conditions, get, fileSize, fileTime, kYear10000 - 1);
    if (plan.kind == kAnswerPart &&
        (plan.length == 0 || plan.first >= fileSize || plan.length > fileSize - plan.first))
      Fail("planned part outside the file");
    if (plan.kind == kAnswerWhole && (plan.first != 0 || plan.length != fileSize))
      Fail("whole answer not the whole file");
    CheckHead(FileAnswerHead(plan, get, fileSize, fileTime, MediaTypeOf(L"x.html")));
  }

  std::wstring wide(text.begin(), text.end());
  for (wchar_t& c : wide) c = static_cast<wchar_t>(c & 0xFF);
  std::string location = FolderLocation(wide, wide);
  if (location.compare(0, 2, "//") == 0 || location[0] != '/') Fail("location names another host");
  size_t query = location.find('?');
  if (location.substr(0, query).find('\\') != std::string::npos) Fail("backslash in the path");
  CheckHead(RedirectHead(true, location));
  return 0;
}
