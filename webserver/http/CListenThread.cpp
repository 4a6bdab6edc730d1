// CListenThread.cpp: the server's listening thread.
#include "http/CListenThread.h"

#include "lib/Log.h"

CListenThread::CListenThread(const HttpSettings& settings)
    : CThread(false),
      m_settings(settings),
      m_nPort(0),
      m_workers{CHttpThread(settings), CHttpThread(settings), CHttpThread(settings),
                CHttpThread(settings), CHttpThread(settings)} {
  static_assert(kWorkerCount == 5, "one initialiser per worker");
  m_queue.UseWorkers(m_workers, kWorkerCount);
  for (CHttpThread& worker : m_workers) {
    worker.JoinPool(&m_queue, &m_closer);
    worker.UseCache(&m_cache);
  }
}

CListenThread::~CListenThread() {}

bool CListenThread::OpenListeningSocket() {
  unsigned short port = m_settings.m_nPort;
  const wchar_t* why = L"socket";
  int error = m_socket.CreateDualMode(m_settings.m_nDualModeFamily);
  if (error == 0) {
    bool bindFailed = false;
    error = m_socket.ListenQuietly(port, &bindFailed);
    if (error == 0) return true;
    if (bindFailed && CSocket::IsPortTaken(error)) {
      // Taken on either family: the same failure as on IPv4 alone.
      CSocket::LogBindFailure(error, port);
      LogMessage(L"Listen Failed\r\n");
      return false;
    }
    why = bindFailed ? L"bind" : L"listen";
    m_socket.Close();
  }
  LogMessage(L"IPv6 is not available (%s failed: %d): listening on IPv4 only.\r\n", why, error);
  if (!m_socket.Create(AF_INET, SOCK_STREAM, 0)) {
    LogMessage(L"Listen socket Create Failed\r\n");
    return false;
  }
  if (!m_socket.Listen(port)) {
    LogMessage(L"Listen Failed\r\n");
    return false;
  }
  return true;
}

int CListenThread::Run() {
  LogMessage(L"Starting Threads\r\n");
  for (CHttpThread& worker : m_workers) worker.Start();
  m_closer.Start();
  if (!OpenListeningSocket()) return 0;
  // Accept only when the poll says a connection waits, and never block.
  u_long nonBlocking = 1;
  m_socket.IoControl(FIONBIO, &nonBlocking);
  m_nPort = m_socket.BoundPort();
  bool woken = m_queue.OpenWake();
  LogMessage(L"Listening...");
  std::vector<WSAPOLLFD> polled;
  std::vector<std::unique_ptr<CConnection>> ready;
  while (!IsStopping()) {
    m_queue.TakeHandedBack(&m_idle);
    // Past the bound the oldest idle connection makes way, never a busy one.
    if (m_idle.size() > kMaxIdle) {
      size_t excess = m_idle.size() - kMaxIdle;
      for (size_t i = 0; i < excess; ++i) CloseIdle(std::move(m_idle[i]));
      m_idle.erase(m_idle.begin(), m_idle.begin() + excess);
    }
    ULONGLONG now = GetTickCount64();
    ULONGLONG wait = kStopPollMs;
    polled.clear();
    polled.push_back(WSAPOLLFD{m_socket.GetHandle(), POLLRDNORM, 0});
    if (woken) polled.push_back(WSAPOLLFD{m_queue.WakeHandle(), POLLRDNORM, 0});
    size_t first = polled.size();
    for (const std::unique_ptr<CConnection>& c : m_idle) {
      polled.push_back(WSAPOLLFD{c->m_socket.GetHandle(), POLLRDNORM, 0});
      if (c->m_nDeadline <= now)
        wait = 0;
      else if (c->m_nDeadline - now < wait)
        wait = c->m_nDeadline - now;
    }
    int n = WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), static_cast<INT>(wait));
    if (n == SOCKET_ERROR) {
      Sleep(10);  // a failing poll must not spin; the next round rebuilds the set
      continue;
    }
    if (IsStopping()) break;
    if (woken && polled[1].revents) m_queue.DrainWake();
    // Ready ones in the order they went idle; the expired closed; the rest stay.
    now = GetTickCount64();
    size_t kept = 0;
    for (size_t i = 0; i < m_idle.size(); ++i) {
      if (polled[first + i].revents) {
        // Its pause since the answer before: the deadline was set then.
        ULONGLONG pause = now + CHttpThread::kHeadDeadlineMs - m_idle[i]->m_nDeadline;
        m_idle[i]->m_bPrompt = pause <= CHttpThread::kNextHeadLookMs;
        ready.push_back(std::move(m_idle[i]));
      } else if (m_idle[i]->m_nDeadline <= now)
        CloseIdle(std::move(m_idle[i]));
      else
        m_idle[kept++] = std::move(m_idle[i]);
    }
    m_idle.resize(kept);
    for (std::unique_ptr<CConnection>& c : ready) m_queue.Dispatch(std::move(c));
    ready.clear();
    if (polled[0].revents) AcceptPending();
  }
  m_idle.clear();
  return 1;
}

void CListenThread::AcceptPending() {
  // A burst is taken whole, so no client waits on the backlog for a poll.
  for (;;) {
    SOCKET h = accept(m_socket.GetHandle(), nullptr, nullptr);
    if (h == INVALID_SOCKET) return;
    Dispatch(h);
  }
}

bool CListenThread::Dispatch(SOCKET socket) {
  std::unique_ptr<CConnection> connection(
      new CConnection(socket, GetTickCount64() + CHttpThread::kHeadDeadlineMs));
  // The client mostly sends its first head with the connect: its first
  // turn reads at once, and hands it back to the poll when nothing came.
  return m_queue.Dispatch(std::move(connection));
}

void CListenThread::CloseIdle(std::unique_ptr<CConnection> connection) {
  if (connection->m_phase == kPhaseAnswered && !IsStopping()) {
    m_closer.Take(&connection->m_socket);
  }
  connection->m_socket.Close();
}

void CListenThread::Shutdown() {
  // The stop event goes first: a thread that has not yet made its socket
  // when the close comes must still see the stop before it polls on a
  // socket that nobody would close any more.
  SignalStop();
  for (CHttpThread& worker : m_workers) worker.SignalStop();
  m_closer.SignalStop();
  m_queue.Wake();
  Stop();
  m_socket.Close();
  for (CHttpThread& worker : m_workers) worker.Shutdown();
  m_closer.Shutdown();
  m_queue.Clear();
  m_idle.clear();
}
