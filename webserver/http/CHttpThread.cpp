// CHttpThread.cpp: one pooled HTTP worker thread.
#include "http/CHttpThread.h"

#include "http/CConnectionQueue.h"
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
      m_hWorkEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_bBusy(0),
      m_pRequest(new char[kRequestBufferBytes]),
      m_nBuffered(0),
      m_pSend(new char[kSendBufferBytes]),
      m_pQueue(nullptr),
      m_pCloser(nullptr),
      m_dwStallMs(kSendStallMs),
      m_pCache(nullptr),
      m_settings(settings) {}

CHttpThread::~CHttpThread() {
  if (m_hWorkEvent) CloseHandle(m_hWorkEvent);
}

void CHttpThread::JoinPool(CConnectionQueue* queue, CLingerThread* closer) {
  m_pQueue = queue;
  m_pCloser = closer;
}

bool CHttpThread::Assign(std::unique_ptr<CConnection>* connection) {
  if (m_bBusy) return false;
  m_pConnection = std::move(*connection);
  InterlockedExchange(&m_bBusy, 1);
  SetEvent(m_hWorkEvent);
  return true;
}

void CHttpThread::MarkIdle() { InterlockedExchange(&m_bBusy, 0); }

int CHttpThread::Run() {
  LogMessage(L".");
  // The work event comes first, so that a connection handed over just
  // before a stop is closed by this thread, not left to the destructor.
  HANDLE handles[2] = {m_hWorkEvent, m_hStopEvent};
  for (;;) {
    DWORD woken = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0) {
      // From one turn straight to the next connection waiting, if any.
      while (m_pConnection) {
        HandleConnection();
        if (m_pQueue) {
          m_pConnection = m_pQueue->NextOrIdle(this);
        } else {
          MarkIdle();
        }
      }
    } else if (woken == WAIT_OBJECT_0 + 1) {
      return 1;
    }
  }
}

void CHttpThread::Shutdown() {
  Stop();
  m_socket.Close();
  m_pConnection.reset();
}

void CHttpThread::HandleConnection() {
  CConnection& connection = *m_pConnection;
  m_socket.Attach(connection.m_socket.Detach());
  if (connection.m_phase == kPhaseFresh) {
    SOCKET h = m_socket.GetHandle();
    // A small answer goes out in one send, but the last piece of a large
    // file must not wait for the client's delayed acknowledgement either.
    BOOL noDelay = TRUE;
    setsockopt(h, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof(noDelay));
    // Every wait is ours (WaitReady), bounded and watching for a stop.
    u_long nonBlocking = 1;
    m_socket.IoControl(FIONBIO, &nonBlocking);
    connection.m_phase = kPhaseUnanswered;
  }
  char* buffer = m_pRequest.get();
  m_nBuffered = static_cast<int>(connection.m_strPending.size());
  std::memcpy(buffer, connection.m_strPending.data(), m_nBuffered);
  connection.m_strPending.clear();
  TurnEnd end = kTurnAwaitHead;
  for (;;) {
    int headLength = 0;
    HeadRead read = ReadRequest(&headLength);
    if (read != kHeadComplete) {
      end = read == kHeadPending ? kTurnAwaitHead : read == kHeadRefused ? kTurnLinger : kTurnClose;
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
    bool sent = true;
    if (method == kHttpGet)
      sent = OnFileRequest(target, conditions, true);
    else if (method == kHttpHead)
      sent = OnFileRequest(target, conditions, false);
    // The next head's time runs from here.
    connection.m_nDeadline = GetTickCount64() + kHeadDeadlineMs;
    if (!sent) {
      end = kTurnClose;  // the answer is broken anyway
      break;
    }
    if (method != kHttpOther) connection.m_phase = kPhaseAnswered;
    if (lastHead) {
      end = kTurnLinger;
      break;
    }
    if (m_nBuffered == 0) {
      if (connection.m_bPrompt && LookForNextHead()) continue;
      break;  // the client's next head is awaited in the listener's poll
    }
    // A pipelined head takes this worker again only while nobody waits.
    if (m_pQueue && m_pQueue->AnyWaiting()) {
      end = kTurnYield;
      break;
    }
  }
  if (end == kTurnLinger || end == kTurnClose) {
    m_nBuffered = 0;
    CloseConnection(end == kTurnLinger && connection.m_phase == kPhaseAnswered);
    m_pConnection.reset();
    return;
  }
  connection.m_strPending.assign(buffer, m_nBuffered);
  m_nBuffered = 0;
  connection.m_socket.Attach(m_socket.Detach());
  if (!m_pQueue) {
    m_pConnection.reset();  // alone, nobody would watch it
  } else if (end == kTurnYield) {
    m_pQueue->Requeue(std::move(m_pConnection));
  } else {
    m_pQueue->HandBack(std::move(m_pConnection));
  }
}

bool CHttpThread::LookForNextHead() {
  // A client that asks again at once is served without the two thread
  // switches of the poll, but only while no connection waits for a worker.
  if (!m_pQueue || m_pQueue->AnyWaiting()) return false;
  ULONGLONG end = GetTickCount64() + kNextHeadLookMs;
  // Read before waiting: the next head has mostly arrived already, and
  // under Wine every wait is a call of its own. The buffer is empty here.
  int got = m_socket.Receive(m_pRequest.get(), kRequestTextMax);
  if (got > 0) m_nBuffered = got;
  if (got >= 0 || WSAGetLastError() != WSAEWOULDBLOCK) return true;  // ReadRequest sees an end
  while (!m_pQueue->AnyWaiting()) {
    ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    ULONGLONG slice = now + kLookSliceMs < end ? now + kLookSliceMs : end;
    int ready = WaitReady(false, slice);
    if (ready != 0) return ready == 1;  // readable: ReadRequest reads it
  }
  return false;
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
  }
}

CHttpThread::HeadRead CHttpThread::ReadRequest(int* headLength) {
  char* buffer = m_pRequest.get();
  for (;;) {
    if (IsStopping()) return kHeadGone;
    int length = HeadLength(buffer, m_nBuffered);
    // A zero byte cannot be part of a request; what would follow it is
    // unknowable, so nothing of the head is answered.
    if (std::memchr(buffer, 0, length ? length : m_nBuffered)) return kHeadRefused;
    if (length) {
      *headLength = length;
      return kHeadComplete;
    }
    if (m_nBuffered >= kRequestTextMax) return kHeadRefused;  // never answered
    int got = m_socket.Receive(buffer + m_nBuffered, kRequestTextMax - m_nBuffered);
    if (got > 0) {
      m_nBuffered += got;
      continue;
    }
    if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return kHeadGone;
    return kHeadPending;
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
