// CDownload: one copy of a location (a web address or a file: location)
// into a new temporary file, made on a thread of its own while the calling
// thread waits within the bounds below. A copy that breaks a bound is
// abandoned: its temporary file goes at once, and its thread, should the
// platform's network call not return (Wine's WinInet ignores both its
// time-outs and the closing of its handles), ends on its own when that call
// returns, holding nothing but its connection and a reference to the
// module. At most kMaxAbandoned such threads wait at a time, and at most
// kMaxAbandonedPerServer on one server: past that, a copy from the same
// server fails at once as unreachable, and any copy once the process holds
// its whole number.
#pragma once
#include <windows.h>
#include <string>

class CDownload {
public:
  enum Result {
    kCopied,       // the whole content is in the temporary file
    kFailed,       // the location answered, but not with the whole content
    kUnreachable,  // no connection could be made
    kStalled,      // a bound of time or progress was broken
    kCancelled,    // the cancel event was signalled
  };

  // The bounds of a copy: it fails when nothing arrives for silenceMs, and
  // when fewer than minWindowBytes arrive in any windowMs since it began.
  struct Bounds {
    DWORD silenceMs;
    DWORD windowMs;
    ULONGLONG minWindowBytes;
  };
  static const Bounds kBounds;
  static const size_t kMaxAbandoned = 8;
  static const size_t kMaxAbandonedPerServer = 2;

  // Copies at most maxBytes; on kCopied the temporary file is the caller's
  // to delete, otherwise none remains and the path is untouched. cancel is
  // an event handle or null.
  static Result Copy(const std::wstring& location, ULONGLONG maxBytes, HANDLE cancel,
                     std::wstring* tempPath);
  // A new, empty file with the prefix "qtv" in the user's temporary folder;
  // false, with the path untouched, when none can be made.
  static bool MakeTempFileName(std::wstring* path);

  // Test hook: shorter bounds for tests that play a stalling server (null
  // restores kBounds). Not reachable from the control's interface.
  static void SetBoundsForTest(const Bounds* bounds);

private:
  struct Job;
  static DWORD WINAPI Work(void* job);
  static void Finish(Job* job);
};
