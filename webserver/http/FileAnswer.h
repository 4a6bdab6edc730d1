// FileAnswer.h: the pure rules of a file answer beyond the file's bytes:
// the request fields that shape it (conditions, range), what it then is,
// and its head lines; and the redirect of a folder named without its slash.
#pragma once

#include <cstdint>
#include <string>

// The request head's fields that shape a file answer, each as the fields
// of that name joined with ", " (so two Range fields read as two ranges).
struct FileConditions {
  bool hasRange = false;
  std::string range;
  bool hasIfModifiedSince = false;
  std::string ifModifiedSince;
  bool hasIfNoneMatch = false;
  std::string ifNoneMatch;
  bool hasIfRange = false;
  std::string ifRange;
};

// The head's fields (HeadFields) that a file answer reads.
FileConditions ReadFileConditions(const char* head);

// The file's strong entity tag, quotes included: its last-write time (a
// file time) and its size, in hex, so a write or a replacement changes it.
std::string EntityTag(uint64_t size, uint64_t modified);

enum FileAnswerKind { kAnswerWhole, kAnswerPart, kAnswerNotModified, kAnswerUnsatisfiable };

struct FilePlan {
  FileAnswerKind kind;
  uint64_t first;   // the first byte sent
  uint64_t length;  // the bytes sent
};

// What a GET (or HEAD, which takes no range) of a file of size bytes last
// written at modified (a file time) answers, now being the clock's file
// time: 304 when If-None-Match lists the file's tag (weak comparison) or
// is "*"; without If-None-Match, 304 when If-Modified-Since is a date not
// before the file's second and not after now; then the range, honoured only
// without If-Range, or with an If-Range that is the file's tag (strong
// comparison) or a date equal to the file's second.
FilePlan PlanFileAnswer(const FileConditions& conditions, bool get, uint64_t size,
                        uint64_t modified, uint64_t now);

// The answer's head, content-length first (GET only), then content-type
// (when type is not null and a body of the file is meant), last-modified,
// etag, accept-ranges and content-range as the plan calls for.
std::string FileAnswerHead(const FilePlan& plan, bool get, uint64_t size, uint64_t modified,
                           const char* type);

// Where a folder named without its trailing slash lives: the decoded,
// converted target's segments (characters 0 to 255 as bytes, '\' between
// them), each percent-encoded but for letters, digits and "-._~", joined
// by '/' with a '/' before and after, then the raw target's query if it
// has one (bytes outside '!' to '~' encoded). Never begins with "//", so
// it cannot name another host.
std::string FolderLocation(const std::wstring& converted, const std::wstring& rawTarget);

// 301 to the location; GET carries a zero length line.
std::string RedirectHead(bool get, const std::string& location);
