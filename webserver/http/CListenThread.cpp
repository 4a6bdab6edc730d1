// CListenThread.cpp: the server's listening thread.
#include "http/CListenThread.h"

#include "lib/Log.h"

CListenThread::CListenThread(const HttpSettings& settings)
    : CThread(false),
      m_workers{CHttpThread(settings), CHttpThread(settings), CHttpThread(settings),
                CHttpThread(settings), CHttpThread(settings)},
      m_nWaiting(0),
      m_hFreedEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  static_assert(kWorkerCount == 5, "one initialiser per worker");
  for (CHttpThread& worker : m_workers) {
    worker.JoinPool(&m_nWaiting, m_hFreedEvent, &m_closer);
    worker.UseCache(&m_cache);
  }
}

CListenThread::~CListenThread() {
  if (m_hFreedEvent) CloseHandle(m_hFreedEvent);
}

int CListenThread::Run() {
  LogMessage(L"Starting Threads\r\n");
  for (CHttpThread& worker : m_workers) worker.Start();
  m_closer.Start();
  if (!m_socket.Create(AF_INET, SOCK_STREAM, 0)) {
    LogMessage(L"Listen socket Create Failed\r\n");
    return 0;
  }
  if (!m_socket.Listen(kPort)) {
    LogMessage(L"Listen Failed\r\n");
    return 0;
  }
  CSocket client;
  LogMessage(L"Listening...");
  DWORD pause = 0;
  for (;;) {
    // Waiting before every accept would cap the server at ten new
    // connections a second; only a failed accept (normal once Shutdown
    // has closed the socket) pauses for the stop event.
    if (WaitForSingleObject(m_hStopEvent, pause) == WAIT_OBJECT_0) break;
    pause = 0;
    if (!m_socket.Accept(&client, nullptr, nullptr)) {
      pause = kStopPollMs;
      continue;
    }
    SOCKET connection = client.Detach();
    bool anyStarted = false;
    for (CHttpThread& worker : m_workers) anyStarted = anyStarted || worker.IsStarted();
    if (!anyStarted) {
      // Nobody could ever serve it; holding it would hang Shutdown.
      CSocket drop(connection);
      continue;
    }
    DispatchOrWait(connection);
  }
  return 1;
}

bool CListenThread::DispatchOrWait(SOCKET socket) {
  if (Dispatch(socket)) return true;
  InterlockedExchange(&m_nWaiting, 1);
  HANDLE handles[2] = {m_hStopEvent, m_hFreedEvent};
  for (;;) {
    // A worker going idle wakes this at once; the poll covers a worker
    // freed before the event was looked at.
    DWORD woken = WaitForMultipleObjects(2, handles, FALSE, kStopPollMs);
    if (woken == WAIT_OBJECT_0) break;
    if (Dispatch(socket)) {
      InterlockedExchange(&m_nWaiting, 0);
      return true;
    }
  }
  InterlockedExchange(&m_nWaiting, 0);
  CSocket drop(socket);  // nobody will serve it now
  return false;
}

bool CListenThread::Dispatch(SOCKET socket) {
  for (CHttpThread& worker : m_workers) {
    if (worker.IsStarted() && worker.Assign(socket)) return true;
  }
  return false;
}

void CListenThread::Shutdown() {
  // The stop event goes first: a thread that has not yet made its socket
  // when the close comes must still see the stop before it blocks in
  // accept on a socket that nobody would close any more.
  SignalStop();
  for (CHttpThread& worker : m_workers) worker.SignalStop();
  m_closer.SignalStop();
  m_socket.Close();
  Stop();
  for (CHttpThread& worker : m_workers) worker.Shutdown();
  m_closer.Shutdown();
}
