// CConnectionQueue.cpp: the hand-over between the listener and its workers.
#include "http/CConnectionQueue.h"

#include "http/CHttpThread.h"
#include "lib/CCriticalLock.h"

CConnectionQueue::CConnectionQueue()
    : m_nWaiting(0), m_bWakePending(0), m_pWorkers(nullptr), m_nWorkers(0) {}

CConnectionQueue::~CConnectionQueue() {}

void CConnectionQueue::UseWorkers(CHttpThread* workers, int count) {
  m_pWorkers = workers;
  m_nWorkers = count;
}

bool CConnectionQueue::Dispatch(std::unique_ptr<CConnection> connection) {
  CCriticalLock lock(&m_lock);
  for (int i = 0; i < m_nWorkers; ++i) {
    if (m_pWorkers[i].IsStarted() && m_pWorkers[i].Assign(&connection)) return true;
  }
  m_ready.push_back(std::move(connection));
  m_nWaiting = static_cast<LONG>(m_ready.size());
  return false;
}

std::unique_ptr<CConnection> CConnectionQueue::NextOrIdle(CHttpThread* worker) {
  CCriticalLock lock(&m_lock);
  if (m_ready.empty() || worker->IsStopping()) {
    worker->MarkIdle();
    return nullptr;
  }
  std::unique_ptr<CConnection> next = std::move(m_ready.front());
  m_ready.pop_front();
  m_nWaiting = static_cast<LONG>(m_ready.size());
  return next;
}

void CConnectionQueue::Requeue(std::unique_ptr<CConnection> connection) {
  CCriticalLock lock(&m_lock);
  m_ready.push_back(std::move(connection));
  m_nWaiting = static_cast<LONG>(m_ready.size());
}

void CConnectionQueue::HandBack(std::unique_ptr<CConnection> connection) {
  {
    CCriticalLock lock(&m_lock);
    m_handedBack.push_back(std::move(connection));
  }
  // One byte per wake-up, however many connections come back meanwhile.
  if (InterlockedExchange(&m_bWakePending, 1) == 0) Wake();
}

void CConnectionQueue::TakeHandedBack(std::vector<std::unique_ptr<CConnection>>* idle) {
  CCriticalLock lock(&m_lock);
  for (std::unique_ptr<CConnection>& c : m_handedBack) idle->push_back(std::move(c));
  m_handedBack.clear();
}

bool CConnectionQueue::OpenWake() {
  if (!m_wake.Attach(socket(AF_INET, SOCK_DGRAM, 0))) return false;
  SOCKET h = m_wake.GetHandle();
  if (h == INVALID_SOCKET) return false;
  // Bound to the loopback and connected to itself: a send is a wake-up.
  sockaddr_in self = {};
  self.sin_family = AF_INET;
  self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof(self);
  u_long nonBlocking = 1;
  if (bind(h, reinterpret_cast<sockaddr*>(&self), sizeof(self)) != 0 ||
      getsockname(h, reinterpret_cast<sockaddr*>(&self), &length) != 0 ||
      connect(h, reinterpret_cast<sockaddr*>(&self), sizeof(self)) != 0 ||
      ioctlsocket(h, FIONBIO, &nonBlocking) != 0) {
    m_wake.Close();
    return false;
  }
  return true;
}

void CConnectionQueue::Wake() {
  SOCKET h = m_wake.GetHandle();
  if (h == INVALID_SOCKET) return;
  // A non-blocking send may fail for a moment (WSAEWOULDBLOCK; Wine gives
  // it now and then). A byte that never went must not leave the flag set,
  // or no hand-back would wake the listener again before its poll times out.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (send(h, "w", 1, 0) == 1) return;
  }
  InterlockedExchange(&m_bWakePending, 0);
}

void CConnectionQueue::DrainWake() {
  // One datagram, mostly the only one: a second makes the next poll
  // return at once. Cleared only after the read, so that a byte sent by a
  // hand-back that set the flag is read here or at the next poll, never
  // taken without its flag.
  char bytes[64];
  recv(m_wake.GetHandle(), bytes, sizeof(bytes), 0);
  InterlockedExchange(&m_bWakePending, 0);
}

void CConnectionQueue::Clear() {
  CCriticalLock lock(&m_lock);
  m_ready.clear();
  m_handedBack.clear();
  m_nWaiting = 0;
}
