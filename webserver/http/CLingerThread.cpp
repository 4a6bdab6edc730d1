// CLingerThread.cpp: the server's closing thread.
#include "http/CLingerThread.h"

#include "lib/CCriticalLock.h"

CLingerThread::CLingerThread()
    : CThread(false),
      m_quietEnd(),
      m_limitEnd(),
      m_hTakenEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CLingerThread::~CLingerThread() {
  if (m_hTakenEvent) CloseHandle(m_hTakenEvent);
}

void CLingerThread::Take(CSocket* socket) {
  SOCKET h = socket->Detach();
  if (h == INVALID_SOCKET) return;
  shutdown(h, SD_SEND);
  CCriticalLock lock(&m_lock);
  for (int i = 0; i < kCapacity && m_hThread && !IsStopping(); ++i) {
    if (m_sockets[i].GetHandle() != INVALID_SOCKET) continue;
    m_sockets[i].Attach(h);
    ULONGLONG now = GetTickCount64();
    m_quietEnd[i] = now + kQuietMs;
    m_limitEnd[i] = now + kLimitMs;
    SetEvent(m_hTakenEvent);
    return;
  }
  CSocket drop(h);  // nowhere to wait: closed now, as without this thread
}

void CLingerThread::Shutdown() {
  Stop();
  CCriticalLock lock(&m_lock);
  for (CSocket& socket : m_sockets) socket.Close();
}

int CLingerThread::Run() {
  HANDLE handles[2] = {m_hStopEvent, m_hTakenEvent};
  for (;;) {
    fd_set readable;
    FD_ZERO(&readable);
    {
      CCriticalLock lock(&m_lock);
      for (CSocket& socket : m_sockets) {
        if (socket.GetHandle() != INVALID_SOCKET) FD_SET(socket.GetHandle(), &readable);
      }
    }
    if (IsStopping()) return 1;
    if (readable.fd_count == 0) {
      WaitForMultipleObjects(2, handles, FALSE, INFINITE);
      continue;
    }
    // Only this thread empties a place, so every socket in the set stays
    // open while it waits; one taken meanwhile joins at the next round.
    timeval wait = {0, static_cast<long>(kPollMs * 1000)};
    int ready = select(0, &readable, nullptr, nullptr, &wait);
    ULONGLONG now = GetTickCount64();
    CCriticalLock lock(&m_lock);
    for (int i = 0; i < kCapacity; ++i) {
      SOCKET h = m_sockets[i].GetHandle();
      if (h == INVALID_SOCKET) continue;
      bool done = now >= m_limitEnd[i];
      if (ready > 0 && FD_ISSET(h, &readable)) {
        int got = m_sockets[i].Receive(m_discard, sizeof(m_discard));
        if (got > 0)
          m_quietEnd[i] = now + kQuietMs;
        else if (got == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
          done = true;  // the client closed or reset: nothing more can come
      }
      if (done || now >= m_quietEnd[i]) m_sockets[i].Close();
    }
  }
}
