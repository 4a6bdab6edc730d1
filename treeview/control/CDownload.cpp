// CDownload: the copy's own thread (size probe, opening, copying) and the
// caller's watch over it.
#include "control/CDownload.h"
#include <new>
#include <vector>
#include "framework/CFile.h"
#include "framework/CInternetFile.h"
#include "framework/COleControlModule.h"
#include "control/CLocation.h"

const CDownload::Bounds CDownload::kBounds = {30000, 30000, 4096};

namespace {
const DWORD kCopyBuffer = 16384;
const DWORD kPollMs = 50;
CDownload::Bounds g_bounds = CDownload::kBounds;

// The abandoned copies whose threads still wait on their servers, by server
// (CLocation::ServerOf); an empty slot is free.
SRWLOCK g_abandonedLock = SRWLOCK_INIT;
std::wstring g_abandoned[CDownload::kMaxAbandoned];  // guarded by the lock

// Whether a new copy to the server may start: not when the process or the
// server holds as many abandoned copies as it may.
bool MayStart(const std::wstring& server) {
  AcquireSRWLockExclusive(&g_abandonedLock);
  size_t all = 0, same = 0;
  for (const std::wstring& s : g_abandoned) {
    all += !s.empty();
    same += s == server;
  }
  ReleaseSRWLockExclusive(&g_abandonedLock);
  return all < CDownload::kMaxAbandoned && same < CDownload::kMaxAbandonedPerServer;
}

// Counts an abandoned copy; false when it could not be counted (no slot or
// no memory for the name), and then it is simply not counted.
bool CountAbandoned(const std::wstring& server) {
  AcquireSRWLockExclusive(&g_abandonedLock);
  bool counted = false;
  for (std::wstring& s : g_abandoned) {
    if (!s.empty()) continue;
    try {
      s = server;
      counted = true;
    } catch (...) {
      // No memory for the name: the copy goes uncounted.
    }
    break;
  }
  ReleaseSRWLockExclusive(&g_abandonedLock);
  return counted;
}

void UncountAbandoned(const std::wstring& server) {
  AcquireSRWLockExclusive(&g_abandonedLock);
  for (std::wstring& s : g_abandoned) {
    if (s == server) {
      s.clear();
      break;
    }
  }
  ReleaseSRWLockExclusive(&g_abandonedLock);
}

// A session whose transfers give up after the silence time-out, where the
// platform honours it.
bool OpenSession(CInternetSession& session, DWORD accessType) {
  if (!session.Open(accessType)) return false;
  session.SetTimeout(CDownload::kBounds.silenceMs);
  return true;
}

// Opens a web address through a session with the preconfigured access, and
// directly when that yields no stream and a proxy was in the way; false when
// neither connected.
bool OpenUrl(const std::wstring& location, CInternetSession& session, CInternetFile& stream) {
  const std::wstring target = CLocation::EncodeWebAddress(location);
  if (OpenSession(session, INTERNET_OPEN_TYPE_PRECONFIG) && stream.Open(session, target))
    return true;
  const bool proxy = session.UsesProxy();
  session.Close();
  return proxy && OpenSession(session, INTERNET_OPEN_TYPE_DIRECT) && stream.Open(session, target);
}
}  // namespace

// What the caller and the copy's thread share; each holds one reference.
struct CDownload::Job {
  Job(const std::wstring& where, ULONGLONG max)
      : location(where),
        server(CLocation::ServerOf(where)),
        maxBytes(max),
        lastActivity(GetTickCount()) {
    InitializeCriticalSection(&lock);
    done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~Job() {
    if (done) CloseHandle(done);
    DeleteCriticalSection(&lock);
  }
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;
  void Release() {
    if (InterlockedDecrement(&refs) == 0) delete this;
  }
  // Counts bytes that arrived (or none, for an answer's head); false when
  // the caller gave up meanwhile, so the thread asks for nothing more.
  bool Touch(ULONGLONG more) {
    EnterCriticalSection(&lock);
    bytes += more;
    lastActivity = GetTickCount();
    const bool wanted = !abandoned;
    LeaveCriticalSection(&lock);
    return wanted;
  }
  // Closes the target and deletes it; under the lock.
  void DropTarget() {
    target.Close();
    if (!tempPath.empty()) DeleteFileW(tempPath.c_str());
    tempPath.clear();
  }
  Result Run();
  Result CopyFrom(CInternetFile* stream, CFile* source, ULONGLONG announced, bool hasLength);

  CModuleLock moduleLock;    // DllCanUnloadNow says no while the copy may run
  HMODULE module = nullptr;  // the loader's reference the thread frees as it exits
  LONG refs = 2;
  const std::wstring location;
  const std::wstring server;
  const ULONGLONG maxBytes;
  HANDLE done;
  CRITICAL_SECTION lock;  // guards what follows
  ULONGLONG bytes = 0;
  DWORD lastActivity;
  bool abandoned = false;  // the caller gave up: nothing more may be written
  bool finished = false;   // the thread has set its result
  bool counted = false;    // abandoned and counted among the waiting copies
  Result result = kFailed;
  std::wstring tempPath;
  CFile target;
};

CDownload::Result CDownload::Job::Run() {
  std::wstring local;
  if (CLocation::FileUrlToPath(location, &local)) {
    CFile source;
    if (!source.Open(local, CFile::kRead)) return kFailed;
    return CopyFrom(nullptr, &source, 0, false);
  }
  CInternetSession session;
  CInternetFile stream;
  // The size probe: its request comes before the copy's, and nothing uses
  // the size. A server it cannot reach is not asked again.
  if (CLocation::IsWebAddress(location)) {
    if (!OpenUrl(location, session, stream)) return kUnreachable;
    if (!Touch(0)) return kStalled;
    DWORD status = 0, length = 0;
    if (stream.QueryStatusCode(&status) && status == 200) stream.QueryContentLength(&length);
    stream.Close();
    session.Close();
  }
  // An answer other than 200 is asked for once more, directly.
  if (!OpenUrl(location, session, stream)) return kUnreachable;
  if (!Touch(0)) return kStalled;
  DWORD status = 0;
  if (stream.QueryStatusCode(&status) && status != 200) {
    stream.Close();
    session.Close();
    if (!OpenSession(session, INTERNET_OPEN_TYPE_DIRECT) ||
        !stream.Open(session, CLocation::EncodeWebAddress(location)))
      return kFailed;
    if (!Touch(0)) return kStalled;
    if (stream.QueryStatusCode(&status) && status != 200) return kFailed;
  }
  DWORD announced = 0;
  const bool hasLength = stream.QueryContentLength(&announced);
  return CopyFrom(&stream, nullptr, announced, hasLength);
}

// A length the server announced: more than the bound fails at once, and
// fewer bytes than announced is a transfer cut short.
CDownload::Result CDownload::Job::CopyFrom(CInternetFile* stream, CFile* source,
                                           ULONGLONG announced, bool hasLength) {
  if (hasLength && announced > maxBytes) return kFailed;
  std::vector<char> buffer(kCopyBuffer);  // before the name, which must not outlive a failure
  EnterCriticalSection(&lock);
  bool ok = !abandoned && MakeTempFileName(&tempPath) && target.Open(tempPath, CFile::kCreateNew);
  LeaveCriticalSection(&lock);
  ULONGLONG total = 0;
  while (ok) {
    int got = source ? source->Read(buffer.data(), kCopyBuffer)
                     : stream->Read(buffer.data(), kCopyBuffer);
    if (got == 0) break;
    total += static_cast<ULONGLONG>(got > 0 ? got : 0);
    ok = got > 0 && total <= maxBytes;
    EnterCriticalSection(&lock);
    ok = ok && !abandoned && target.Write(buffer.data(), static_cast<DWORD>(got));
    LeaveCriticalSection(&lock);
    if (ok) Touch(static_cast<ULONGLONG>(got));
  }
  if (ok && hasLength && total != announced) ok = false;
  return ok ? kCopied : kFailed;
}

void CDownload::Finish(Job* job) {
  Result r;
  try {
    r = job->Run();
  } catch (...) {
    r = kFailed;  // an allocation the heap refused
  }
  EnterCriticalSection(&job->lock);
  job->finished = true;
  job->result = job->abandoned ? kStalled : r;
  if (job->result != kCopied)
    job->DropTarget();
  else
    job->target.Close();
  if (job->counted) UncountAbandoned(job->server);
  LeaveCriticalSection(&job->lock);
  SetEvent(job->done);
}

DWORD WINAPI CDownload::Work(void* p) {
  Job* job = static_cast<Job*>(p);
  Finish(job);
  // The module may go once the job does: the thread leaves through the
  // loader, which unloads it only after the thread's last instruction here.
  HMODULE module = job->module;
  job->Release();
  if (module) FreeLibraryAndExitThread(module, 0);
  return 0;
}

CDownload::Result CDownload::Copy(const std::wstring& location, ULONGLONG maxBytes, HANDLE cancel,
                                  std::wstring* tempPath) {
  Job* job = nullptr;
  try {
    job = new Job(location, maxBytes);
  } catch (...) {
    return kFailed;
  }
  // A server that holds as many stalled copies as it may is given up at once.
  if (!MayStart(job->server)) {
    delete job;
    return kUnreachable;
  }
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&CDownload::Work), &job->module);
  HANDLE thread = job->done ? CreateThread(nullptr, 0, Work, job, 0, nullptr) : nullptr;
  if (!thread) {
    if (job->module) FreeLibrary(job->module);
    delete job;
    return kFailed;
  }
  const Bounds bounds = g_bounds;
  const DWORD start = GetTickCount();
  DWORD windowStart = start;
  ULONGLONG windowBytes = 0;
  Result verdict = kCopied;  // kCopied: wait for the thread's own result
  HANDLE waits[2] = {job->done, cancel};
  for (;;) {
    DWORD w = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, kPollMs);
    if (w == WAIT_OBJECT_0) break;
    if (w == WAIT_OBJECT_0 + 1) {
      verdict = kCancelled;
      break;
    }
    EnterCriticalSection(&job->lock);
    const ULONGLONG bytes = job->bytes;
    const DWORD silent = GetTickCount() - job->lastActivity;
    LeaveCriticalSection(&job->lock);
    const DWORD now = GetTickCount();
    if (silent >= bounds.silenceMs) {
      verdict = kStalled;
      break;
    }
    if (now - windowStart >= bounds.windowMs) {
      if (bytes - windowBytes < bounds.minWindowBytes) {
        verdict = kStalled;
        break;
      }
      windowStart = now;
      windowBytes = bytes;
    }
  }
  EnterCriticalSection(&job->lock);
  if (!job->finished && verdict != kCopied) {
    job->abandoned = true;
    job->counted = CountAbandoned(job->server);
    job->DropTarget();
  } else {
    verdict = job->result;
    if (verdict == kCopied) tempPath->swap(job->tempPath);  // cannot throw under the lock
  }
  LeaveCriticalSection(&job->lock);
  CloseHandle(thread);
  job->Release();
  return verdict;
}

bool CDownload::MakeTempFileName(std::wstring* path) {
  wchar_t folder[MAX_PATH + 1] = {};
  wchar_t name[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  if (n == 0 || n > MAX_PATH) return false;
  if (GetTempFileNameW(folder, L"qtv", 0, name) == 0) return false;
  *path = name;
  return true;
}

void CDownload::SetBoundsForTest(const Bounds* bounds) { g_bounds = bounds ? *bounds : kBounds; }
