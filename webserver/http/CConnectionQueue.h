// CConnectionQueue.h: the hand-over between the listener and its workers;
// owns the connections that wait for a worker and those handed back to wait
// for their next head, the lock over both, and the listener's wake-up socket.
#pragma once

#include "http/CConnection.h"
#include "lib/CCriticalSection.h"
#include "lib/CSocket.h"

#include <deque>
#include <memory>
#include <vector>

class CHttpThread;

// Ready connections (their client has sent bytes) go to the lowest-numbered
// idle worker, or wait here in the order they became ready; a worker at the
// end of a turn takes the first waiting one before it goes idle. Both happen
// under one lock, so no connection waits beside an idle worker.
class CConnectionQueue {
public:
  CConnectionQueue();
  ~CConnectionQueue();
  CConnectionQueue(const CConnectionQueue&) = delete;
  CConnectionQueue& operator=(const CConnectionQueue&) = delete;

  // The pool, count workers from workers[0]; set once, before any dispatch.
  void UseWorkers(CHttpThread* workers, int count);

  // A connection with bytes to read: to the lowest-numbered idle started
  // worker (true), or to the back of the queue (false).
  bool Dispatch(std::unique_ptr<CConnection> connection);
  // On a worker's thread at the end of a turn: the first waiting
  // connection, or null once the worker is marked idle.
  std::unique_ptr<CConnection> NextOrIdle(CHttpThread* worker);
  // Whether a connection waits for a worker; a memory read.
  bool AnyWaiting() const { return m_nWaiting != 0; }
  // A connection whose next head is already here yields its worker to
  // those waiting: to the back of the queue.
  void Requeue(std::unique_ptr<CConnection> connection);

  // On a worker's thread: the connection waits for its next head in the
  // listener's poll; wakes the listener.
  void HandBack(std::unique_ptr<CConnection> connection);
  // On the listener's thread: moves what was handed back into idle.
  void TakeHandedBack(std::vector<std::unique_ptr<CConnection>>* idle);

  // The listener's wake-up: a datagram socket on the loopback that HandBack
  // writes one byte to. False when it cannot be made (the listener then
  // sees handed-back connections at its next poll time-out).
  bool OpenWake();
  SOCKET WakeHandle() const { return m_wake.GetHandle(); }
  // Wakes the listener now (a stop), whatever is pending.
  void Wake();
  // Whether a wake-up byte is on its way and not yet drained.
  bool IsWakePending() const { return m_bWakePending != 0; }
  // On the listener's thread, once its poll saw the wake-up socket readable.
  void DrainWake();

  // Closes every connection held; once no thread uses the queue.
  void Clear();

private:
  CCriticalSection m_lock;  // guards the two lists and the workers' busy state
  std::deque<std::unique_ptr<CConnection>> m_ready;        // in the order they became ready
  std::vector<std::unique_ptr<CConnection>> m_handedBack;  // since the listener last looked
  volatile LONG m_nWaiting;                                // m_ready's size, read without the lock
  volatile LONG m_bWakePending;  // a wake-up byte is on its way and not yet drained
  CSocket m_wake;
  CHttpThread* m_pWorkers;  // not owned
  int m_nWorkers;
};
