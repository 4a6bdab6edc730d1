// CHttpThread.cpp: one pooled HTTP worker thread.
#include "http/CHttpThread.h"

#include "http/CFileCache.h"
#include "http/CLingerThread.h"
#include "http/HttpText.h"
#include "http/MediaTypes.h"
#include "lib/CFile.h"
#include "lib/Log.h"

#include <ws2tcpip.h>

#include <cstring>

CHttpThread::CHttpThread(const HttpSettings& settings)
    : CThread(false),
      m_hWorkEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_pRequest(new char[kRequestBufferBytes]),
      m_nBuffered(0),
      m_bAnswered(false),
      m_bHadTurn(false),
      m_nHeadStart(0),
      m_pSend(new char[kSendBufferBytes]),
      m_pnWaiting(nullptr),
      m_hFreedEvent(nullptr),
      m_pCloser(nullptr),
      m_dwStallMs(kSendStallMs),
      m_pCache(nullptr),
      m_settings(settings) {}

CHttpThread::~CHttpThread() {
  if (m_hWorkEvent) CloseHandle(m_hWorkEvent);
}

void CHttpThread::JoinPool(volatile LONG* waiting, HANDLE freedEvent, CLingerThread* closer) {
  m_pnWaiting = waiting;
  m_hFreedEvent = freedEvent;
  m_pCloser = closer;
}

bool CHttpThread::Assign(SOCKET socket) {
  if (WaitForSingleObject(m_hWorkEvent, 0) == WAIT_OBJECT_0) return false;
  if (!m_socket.Attach(socket)) return false;
  SetEvent(m_hWorkEvent);
  return true;
}

int CHttpThread::Run() {
  LogMessage(L".");
  // The work event comes first, so that a connection handed over just
  // before a stop is closed by this thread, not left to the destructor.
  HANDLE handles[2] = {m_hWorkEvent, m_hStopEvent};
  for (;;) {
    DWORD woken = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0) {
      HandleConnection();
      ResetEvent(m_hWorkEvent);
      if (m_hFreedEvent) SetEvent(m_hFreedEvent);
    } else if (woken == WAIT_OBJECT_0 + 1) {
      return 1;
    }
  }
}

void CHttpThread::Shutdown() {
  Stop();
  m_socket.Close();
}

bool CHttpThread::ClaimForWaiting() {
  // Whatever of a next head has come, even all of it: one head per turn
  // while another connection waits. A new connection gets a short while
  // for its first head, so that the one just handed over is not ended
  // before it could ask (the flag may still be its own).
  if (!m_pnWaiting || *m_pnWaiting != 1) return false;
  if (!m_bHadTurn && GetTickCount64() - m_nHeadStart < kFairHeadMs) return false;
  return InterlockedCompareExchange(m_pnWaiting, 0, 1) == 1;
}

void CHttpThread::HandleConnection() {
  SOCKET h = m_socket.GetHandle();
  // A small answer goes out in one send, but the last piece of a large
  // file must not wait for the client's delayed acknowledgement either.
  BOOL noDelay = TRUE;
  setsockopt(h, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
  // Every wait is ours (WaitReady), bounded and watching for a stop.
  u_long nonBlocking = 1;
  m_socket.IoControl(FIONBIO, &nonBlocking);
  m_nBuffered = 0;
  m_bAnswered = false;
  m_bHadTurn = false;
  char* buffer = m_pRequest.get();
  bool linger = false;
  for (;;) {
    int headLength = ReadRequest();
    if (headLength <= 0) {
      linger = headLength == 0;
      break;
    }
    InterlockedIncrement(m_settings.m_pnRequestCount);
    char next = buffer[headLength];
    buffer[headLength] = 0;  // the buffer has room for it: heads stop at 4,095 bytes
    std::wstring target;
    HttpMethod method = ParseRequest(buffer, &target);
    // A body is never read: its bytes, taken for the next head, would be a
    // request smuggled past whatever stands between the client and us.
    bool lastHead = ClientAsksToClose(buffer) || AnnouncesBody(buffer);
    FileConditions conditions = ReadFileConditions(buffer);
    buffer[headLength] = next;
    // What followed the head is the next request.
    m_nBuffered -= headLength;
    std::memmove(buffer, buffer + headLength, m_nBuffered);
    m_bHadTurn = true;
    bool sent = true;
    if (method == kHttpGet)
      sent = OnFileRequest(target, conditions, true);
    else if (method == kHttpHead)
      sent = OnFileRequest(target, conditions, false);
    else if (!lastHead)
      continue;        // counted, not answered; the connection stays open
    if (!sent) break;  // the answer is broken anyway
    m_bAnswered = m_bAnswered || method != kHttpOther;
    if (lastHead) {
      linger = true;
      break;
    }
  }
  m_nBuffered = 0;
  CloseConnection(linger && m_bAnswered);
}

void CHttpThread::CloseConnection(bool linger) {
  // Closing with the client's bytes unread would reset the connection and
  // lose the end of the answer still on its way.
  if (linger && m_pCloser && !IsStopping()) m_pCloser->Take(&m_socket);
  m_socket.Close();  // nothing left when the closer took it
}

int CHttpThread::WaitReady(bool forWrite, ULONGLONG deadline) {
  SOCKET h = m_socket.GetHandle();
  for (;;) {
    if (IsStopping()) return -1;
    ULONGLONG now = GetTickCount64();
    if (now > deadline) return 0;
    ULONGLONG slice = deadline - now;
    if (slice > kPollMs) slice = kPollMs;
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_SET(h, &ready);
    FD_ZERO(&failed);
    FD_SET(h, &failed);
    timeval wait = {0, static_cast<long>(slice * 1000)};
    int n = forWrite ? select(0, nullptr, &ready, &failed, &wait)
                     : select(0, &ready, nullptr, nullptr, &wait);
    if (n == SOCKET_ERROR || (forWrite && FD_ISSET(h, &failed))) return -1;
    if (n > 0) return 1;
    // Between two answers the worker may be wanted elsewhere.
    if (!forWrite && ClaimForWaiting()) return 0;
  }
}

int CHttpThread::ReadRequest() {
  char* buffer = m_pRequest.get();
  m_nHeadStart = GetTickCount64();
  ULONGLONG deadline = m_nHeadStart + kHeadDeadlineMs;
  for (;;) {
    if (IsStopping()) return -1;
    if (ClaimForWaiting()) return 0;
    int headLength = HeadLength(buffer, m_nBuffered);
    // A zero byte cannot be part of a request; what would follow it is
    // unknowable, so nothing of the head is answered.
    if (std::memchr(buffer, 0, headLength ? headLength : m_nBuffered)) return 0;
    if (headLength) return headLength;
    if (m_nBuffered >= kRequestTextMax) return 0;  // a head this long is never answered
    // Read before waiting: a waiting call is wasted when the bytes are
    // already there, as a new connection's first head mostly is.
    int got = m_socket.Receive(buffer + m_nBuffered, kRequestTextMax - m_nBuffered);
    if (got > 0) {
      m_nBuffered += got;
      continue;
    }
    if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return -1;
    int ready = WaitReady(false, deadline);
    if (ready <= 0) return ready;
  }
}

bool CHttpThread::ResolveTarget(const wchar_t* root, std::wstring* target, std::wstring* path) {
  // Decoded once, before every rule below, so an escaped character meets
  // exactly the checks the character itself meets. A malformed escape
  // names no file; the page then shows the target as it came.
  std::wstring bytes;
  bool decoded = DecodeTarget(*target, &bytes);
  if (decoded) *target = bytes;
  if (*target == L"/") *target = L"index.html";
  ConvertPath(target);
  std::wstring name = NameFromBytes(*target);
  *path = std::wstring(root) + name;
  return decoded && IsSafeTarget(name) && LiesUnderRoot(root, path->c_str());
}

CHttpThread::TargetKind CHttpThread::OpenTarget(std::wstring* target, CFile* file,
                                                FoundFile* found) {
  std::wstring raw = *target;
  if (!ResolveTarget(m_settings.m_pszWebRoot, target, &found->path)) return kTargetMissing;
  bool folderNamed = !target->empty() && target->back() == L'\\';
  if (folderNamed) found->path += L"index.html";
  // One call for kind, size and time; for a file the cache holds, the only
  // call before the send.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(found->path.c_str(), GetFileExInfoStandard, &data))
    return kTargetMissing;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    // An empty target names no folder: the root is "/".
    if (folderNamed || target->empty()) return kTargetMissing;
    found->location = FolderLocation(*target, raw);
    return kTargetFolder;
  }
  found->size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  found->modified = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime;
  found->type = MediaTypeOf(found->path);
  if (m_pCache) found->key = CFileCache::KeyOf(found->path);
  found->cached = m_pCache && m_pCache->Holds(found->key, found->size, found->modified);
  if (found->cached) return kTargetFile;
  return file->OpenToRead(found->path.c_str()) ? kTargetFile : kTargetMissing;
}

namespace {

ULONGLONG Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace

bool CHttpThread::SendNotFile(TargetKind kind, bool get, const std::wstring& target,
                              const FoundFile& found) {
  std::string answer;
  if (kind == kTargetFolder) {
    answer = RedirectHead(get, found.location);
  } else if (get) {
    std::wstring page = NotFoundPage(target);
    answer = AnswerHead(404, L"File not found!", static_cast<long long>(page.size()));
    for (wchar_t c : page) answer.push_back(static_cast<char>(c));  // every character is below 256
  } else {
    answer = AnswerHead(404, L"File not found", -1);
  }
  return SendAll(answer.data(), static_cast<int>(answer.size()));
}

bool CHttpThread::OnFileRequest(std::wstring target, const FileConditions& conditions, bool get) {
  // HEAD meets the same tests as GET, so it says 200 exactly when GET sends a file.
  CFile file;
  FoundFile found;
  TargetKind kind = OpenTarget(&target, &file, &found);
  if (kind != kTargetFile) return SendNotFile(kind, get, target, found);
  FilePlan plan = PlanFileAnswer(conditions, get, found.size, found.modified, Now());
  std::string head = FileAnswerHead(plan, get, found.size, found.modified, found.type);
  if (!get || plan.kind == kAnswerNotModified || plan.kind == kAnswerUnsatisfiable) {
    file.Close();  // no byte of it is sent: closed before the answer goes out
    return SendAll(head.data(), static_cast<int>(head.size()));
  }
  return SendFileAnswer(head, file, found, plan.first, plan.length);
}

bool CHttpThread::SendFileAnswer(const std::string& head, CFile& file, const FoundFile& found,
                                 ULONGLONG first, ULONGLONG length) {
  // Exactly the promised bytes. A file that fails or ends early (cut by
  // another program) must end the connection: the client would otherwise
  // wait for bytes that never come, or take the next answer for part of
  // this file. Growth meanwhile is not sent.
  char* buffer = m_pSend.get();
  DWORD used = static_cast<DWORD>(head.size());
  std::memcpy(buffer, head.data(), used);
  if (found.cached && length <= kSendBufferBytes - used &&
      m_pCache->Copy(found.key, found.size, found.modified, first, static_cast<DWORD>(length),
                     buffer + used))
    return SendAll(buffer, static_cast<int>(used + length));
  // The copy went meanwhile: the file it was taken from is read instead.
  if (found.cached && !file.OpenToRead(found.path.c_str())) return false;
  if (first > 0 && !file.Seek(first)) return false;
  bool whole = first == 0 && length == found.size;
  ULONGLONG left = length;
  for (;;) {
    DWORD room = kSendBufferBytes - used;
    DWORD want = left < room ? static_cast<DWORD>(left) : room;
    bool cut = false;
    if (want > 0) {
      bool failed = false;
      DWORD got = file.Read(buffer + used, want, &failed);
      cut = failed || got == 0;
      if (!cut && whole && got == length && m_pCache)
        m_pCache->Store(found.key, found.size, found.modified, Now(), buffer + used);
      used += got;
      left -= got;
    }
    // Closed before the last piece goes out, so that once the client has
    // the answer, the file may be replaced at once.
    if (left == 0 || cut) file.Close();
    if (!SendAll(buffer, static_cast<int>(used)) || cut) return false;
    if (left == 0) return true;
    used = 0;
  }
}

bool CHttpThread::SendAll(const char* data, int length) {
  ULONGLONG stallEnd = 0;  // set at the first wait: a send that goes through costs no clock
  while (length > 0) {
    int sent = m_socket.Send(data, length);
    if (sent > 0) {
      data += sent;
      length -= sent;
      stallEnd = 0;
      continue;
    }
    if (sent == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return false;
    if (stallEnd == 0) stallEnd = GetTickCount64() + m_dwStallMs;
    if (WaitReady(true, stallEnd) <= 0) return false;
  }
  return true;
}
