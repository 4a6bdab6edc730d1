// CHttpThread.cpp: one pooled HTTP worker thread.
#include "http/CHttpThread.h"

#include "http/HttpText.h"
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
      m_pSend(new char[kSendBufferBytes]),
      m_pnWaiting(nullptr),
      m_hFreedEvent(nullptr),
      m_dwStallMs(kSendStallMs),
      m_settings(settings) {}

CHttpThread::~CHttpThread() {
  if (m_hWorkEvent) CloseHandle(m_hWorkEvent);
}

void CHttpThread::JoinPool(volatile LONG* pnWaiting, HANDLE hFreedEvent) {
  m_pnWaiting = pnWaiting;
  m_hFreedEvent = hFreedEvent;
}

bool CHttpThread::Assign(SOCKET hSocket) {
  if (WaitForSingleObject(m_hWorkEvent, 0) == WAIT_OBJECT_0) return false;
  if (!m_socket.Attach(hSocket)) return false;
  SetEvent(m_hWorkEvent);
  return true;
}

int CHttpThread::Run() {
  LogMessage(L".");
  // The work event comes first, so that a connection handed over just
  // before a stop is closed by this thread, not left to the destructor.
  HANDLE handles[2] = {m_hWorkEvent, m_hStopEvent};
  for (;;) {
    DWORD dwWait = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (dwWait == WAIT_OBJECT_0) {
      HandleConnection();
      ResetEvent(m_hWorkEvent);
      if (m_hFreedEvent) SetEvent(m_hFreedEvent);
    } else if (dwWait == WAIT_OBJECT_0 + 1) {
      return 1;
    }
  }
}

void CHttpThread::Shutdown() {
  Stop();
  m_socket.Close();
}

bool CHttpThread::ClaimForWaiting() {
  // Only a connection that has had an answer: a fresh one has not asked
  // yet (its head deadline bounds it), and the flag may still be that of
  // the very connection this worker was just given.
  return m_bAnswered && m_nBuffered == 0 && m_pnWaiting && *m_pnWaiting == 1 &&
         InterlockedCompareExchange(m_pnWaiting, 0, 1) == 1;
}

void CHttpThread::HandleConnection() {
  SOCKET h = m_socket.GetHandle();
  // A small answer goes out in one send, but the last piece of a large
  // file must not wait for the client's delayed acknowledgement either.
  BOOL bNoDelay = TRUE;
  setsockopt(h, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&bNoDelay),
             sizeof(bNoDelay));
  // Every wait is ours (WaitReady), bounded and watching for a stop.
  u_long nNonBlocking = 1;
  m_socket.IoControl(FIONBIO, &nNonBlocking);
  m_nBuffered = 0;
  m_bAnswered = false;
  char* pBuffer = m_pRequest.get();
  for (;;) {
    int nHead = ReadRequest();
    if (nHead == 0) break;
    InterlockedIncrement(m_settings.m_pnRequestCount);
    char cNext = pBuffer[nHead];
    pBuffer[nHead] = 0;  // the buffer has room for it: heads stop at 4,095 bytes
    std::wstring target;
    HttpMethod method = ParseRequest(pBuffer, &target);
    bool bClose = ClientAsksToClose(pBuffer);
    pBuffer[nHead] = cNext;
    // What followed the head is the next request.
    m_nBuffered -= nHead;
    std::memmove(pBuffer, pBuffer + nHead, m_nBuffered);
    bool bSent = true;
    if (method == HTTP_GET)
      bSent = OnGet(target);
    else if (method == HTTP_HEAD)
      bSent = OnHead(target);
    else
      continue;  // counted, not answered; the connection stays open
    if (!bSent || bClose) break;
    m_bAnswered = true;
  }
  m_nBuffered = 0;
  m_socket.Close();
}

int CHttpThread::WaitReady(bool bWrite, ULONGLONG nDeadline) {
  SOCKET h = m_socket.GetHandle();
  for (;;) {
    if (IsStopping()) return -1;
    ULONGLONG nNow = GetTickCount64();
    if (nNow > nDeadline) return 0;
    ULONGLONG nWait = nDeadline - nNow;
    if (nWait > kPollMs) nWait = kPollMs;
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_SET(h, &ready);
    FD_ZERO(&failed);
    FD_SET(h, &failed);
    timeval wait = {0, static_cast<long>(nWait * 1000)};
    int n = bWrite ? select(0, nullptr, &ready, &failed, &wait)
                   : select(0, &ready, nullptr, nullptr, &wait);
    if (n == SOCKET_ERROR || (bWrite && FD_ISSET(h, &failed))) return -1;
    if (n > 0) return 1;
    // Between two requests the worker may be wanted elsewhere.
    if (!bWrite && ClaimForWaiting()) return -1;
  }
}

int CHttpThread::ReadRequest() {
  char* pBuffer = m_pRequest.get();
  ULONGLONG nDeadline = GetTickCount64() + kHeadDeadlineMs;
  for (;;) {
    int nHead = HeadLength(pBuffer, m_nBuffered);
    // A zero byte cannot be part of a request; what would follow it is
    // unknowable, so nothing of the head is answered.
    if (std::memchr(pBuffer, 0, nHead ? nHead : m_nBuffered)) return 0;
    if (nHead) return nHead;
    if (m_nBuffered >= kRequestTextMax) return 0;  // a head this long is never answered
    if (IsStopping() || ClaimForWaiting()) return 0;
    if (WaitReady(false, nDeadline) <= 0) return 0;
    int nGot = m_socket.Receive(pBuffer + m_nBuffered, kRequestTextMax - m_nBuffered);
    if (nGot == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) continue;
    if (nGot <= 0) return 0;
    m_nBuffered += nGot;
  }
}

bool CHttpThread::ResolveTarget(const wchar_t* pszRoot, std::wstring* pTarget,
                                std::wstring* pPath) {
  // Decoded once, before every rule below, so an escaped character meets
  // exactly the checks the character itself meets. A malformed escape
  // names no file; the page then shows the target as it came.
  std::wstring bytes;
  bool bDecoded = DecodeTarget(*pTarget, &bytes);
  if (bDecoded) *pTarget = bytes;
  if (*pTarget == L"/") *pTarget = L"index.html";
  ConvertPath(pTarget);
  std::wstring name = NameFromBytes(*pTarget);
  *pPath = std::wstring(pszRoot) + name;
  return bDecoded && IsSafeTarget(name) && LiesUnderRoot(pszRoot, pPath->c_str());
}

bool CHttpThread::OpenTarget(std::wstring* pTarget, CFile* pFile, ULONGLONG* pnSize) {
  std::wstring path;
  // A file whose size cannot be read counts as missing: an answer
  // without its length would break the connection's framing.
  return ResolveTarget(m_settings.m_pszWebRoot, pTarget, &path) &&
         pFile->Open(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                     0) &&
         pFile->GetSize64(pnSize);
}

bool CHttpThread::OnGet(std::wstring target) {
  CFile file;
  ULONGLONG nSize = 0;
  if (OpenTarget(&target, &file, &nSize))
    return SendFileAnswer(AnswerHead(200, L"Sending file", static_cast<long long>(nSize)), file,
                          nSize);
  std::wstring page = NotFoundPage(target);
  std::string answer = AnswerHead(404, L"File not found!", static_cast<long long>(page.size()));
  for (wchar_t c : page) answer.push_back(static_cast<char>(c));  // every character is below 256
  return SendAll(answer.data(), static_cast<int>(answer.size()));
}

bool CHttpThread::OnHead(std::wstring target) {
  // The same test as GET, so HEAD says 200 exactly when GET sends a file.
  CFile file;
  ULONGLONG nSize = 0;
  std::string head = OpenTarget(&target, &file, &nSize) ? AnswerHead(200, L"File Exists", -1)
                                                        : AnswerHead(404, L"File not found", -1);
  return SendAll(head.data(), static_cast<int>(head.size()));
}

bool CHttpThread::SendFileAnswer(const std::string& head, CFile& file, ULONGLONG nSize) {
  // Exactly the promised bytes. A file that fails or ends early (cut by
  // another program) must end the connection: the client would otherwise
  // wait for bytes that never come, or take the next answer for part of
  // this file. Growth meanwhile is not sent.
  char* pBuffer = m_pSend.get();
  DWORD nUsed = static_cast<DWORD>(head.size());
  std::memcpy(pBuffer, head.data(), nUsed);
  ULONGLONG nLeft = nSize;
  for (;;) {
    DWORD nRoom = kSendBufferBytes - nUsed;
    DWORD nWant = nLeft < nRoom ? static_cast<DWORD>(nLeft) : nRoom;
    bool bCut = false;
    if (nWant > 0) {
      bool bFailed = false;
      DWORD nRead = file.Read(pBuffer + nUsed, nWant, &bFailed);
      bCut = bFailed || nRead == 0;
      nUsed += nRead;
      nLeft -= nRead;
    }
    if (!SendAll(pBuffer, static_cast<int>(nUsed)) || bCut) return false;
    if (nLeft == 0) return true;
    nUsed = 0;
  }
}

bool CHttpThread::SendAll(const char* pData, int nLength) {
  ULONGLONG nStallEnd = 0;  // set at the first wait: a send that goes through costs no clock
  while (nLength > 0) {
    int nSent = m_socket.Send(pData, nLength);
    if (nSent > 0) {
      pData += nSent;
      nLength -= nSent;
      nStallEnd = 0;
      continue;
    }
    if (nSent == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return false;
    if (nStallEnd == 0) nStallEnd = GetTickCount64() + m_dwStallMs;
    if (WaitReady(true, nStallEnd) <= 0) return false;
  }
  return true;
}
