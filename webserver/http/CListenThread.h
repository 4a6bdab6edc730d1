// CListenThread.h: the server's listening thread; owns the listening socket,
// the connections that wait for their next head, the pool of five HTTP
// workers with their hand-over queue, and the thread that closes connections.
#pragma once

#include "http/CConnectionQueue.h"
#include "http/CFileCache.h"
#include "http/CHttpThread.h"
#include "http/CLingerThread.h"
#include "lib/CSocket.h"
#include "lib/CThread.h"

#include <memory>
#include <vector>

// Listens on port 80 of every local IPv6 and IPv4 address (IPv4 alone where
// IPv6 cannot be had) and waits, in one poll, for new connections and for
// the next head of every idle connection. A connection whose client has
// sent bytes goes to the lowest-numbered idle worker, or waits in order for
// the first worker free; no connection is closed to make way. An idle
// connection is closed when its head deadline passes, and the oldest idle
// one when more than kMaxIdle wait.
class CListenThread : public CThread {
public:
  static const int kWorkerCount = 5;
  static const DWORD kStopPollMs = 100;  // the longest poll: a stop is seen within it
  static const size_t kMaxIdle = 1000;   // idle connections held at most

  explicit CListenThread(const HttpSettings& settings);
  ~CListenThread() override;

  // 1 after a stop, 0 when the listening socket could not be set up.
  int Run() override;
  // On the window's thread: tells all seven threads to stop, wakes this
  // one, closes the listening socket, then waits for this thread, each
  // worker in order and the closer, and closes every connection left.
  // Workers give up their connections rather than finish them, and the
  // closer closes what it holds, so this returns within a few polls.
  virtual void Shutdown();

  // Any thread: takes a new connection, which goes to the lowest-numbered
  // idle started worker (true) or waits for the first free one (false).
  bool Dispatch(SOCKET socket);
  // The port listened on, once "Listening..." is logged.
  unsigned short Port() const { return m_nPort; }

  CHttpThread& Worker(int i) { return m_workers[i]; }
  CFileCache& Cache() { return m_cache; }

private:
  // The listening socket: one that takes both families, else IPv4 alone
  // with one log line saying why. False when neither can listen.
  bool OpenListeningSocket();
  // Accepts every connection pending, each to a worker or the queue.
  void AcceptPending();
  // Closes an idle connection, letting an answer on its way arrive whole.
  void CloseIdle(std::unique_ptr<CConnection> connection);

  HttpSettings m_settings;
  CSocket m_socket;                                  // listening; empty until Run
  volatile unsigned short m_nPort;                   // bound, once listening
  CFileCache m_cache;                                // shared by the workers, so outlives them
  CLingerThread m_closer;                            // closes what the workers end; outlives them
  CConnectionQueue m_queue;                          // outlives the workers that use it
  CHttpThread m_workers[kWorkerCount];               // constructed 0..4, destroyed 4..0
  std::vector<std::unique_ptr<CConnection>> m_idle;  // this thread's; oldest first
};
