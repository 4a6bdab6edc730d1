// CListenThread.h: the server's listening thread; owns the listening socket,
// the pool of five HTTP workers and the thread that closes their connections.
#pragma once

#include "http/CFileCache.h"
#include "http/CHttpThread.h"
#include "http/CLingerThread.h"
#include "lib/CSocket.h"
#include "lib/CThread.h"

// Accepts connections on port 80 of every local IPv4 address and hands each
// to the lowest-numbered idle worker. While all five are busy, the
// connection waits, and the first worker whose connection has had its turn
// ends that connection to take it (CHttpThread::ClaimForWaiting).
class CListenThread : public CThread {
public:
  static const int kWorkerCount = 5;
  static const unsigned short kPort = 80;
  static const DWORD kStopPollMs = 100;  // also the retry for a free worker

  explicit CListenThread(const HttpSettings& settings);
  ~CListenThread() override;

  // 1 after a stop, 0 when the listening socket could not be set up.
  int Run() override;
  // On the window's thread: tells all seven threads to stop, closes the
  // listening socket (releasing a blocked accept), then waits for this
  // thread, each worker in order and the closer. Workers give up their
  // connections rather than finish them, and the closer closes what it
  // holds, so this returns within a few polls.
  virtual void Shutdown();

  // Offers a connection to workers 0 to 4 in order; true when one took it.
  // Workers whose thread never started are passed over.
  bool Dispatch(SOCKET socket);

  CHttpThread& Worker(int i) { return m_workers[i]; }

private:
  // Offers the connection until a worker takes it (true) or a stop comes
  // (false; the connection is then closed).
  bool DispatchOrWait(SOCKET socket);

  CSocket m_socket;                     // listening; empty until Run
  CFileCache m_cache;                   // shared by the workers, so outlives them
  CLingerThread m_closer;               // closes what the workers end; outlives them
  CHttpThread m_workers[kWorkerCount];  // constructed 0..4, destroyed 4..0
  volatile LONG m_nWaiting;             // 1 while a connection waits for a worker
  HANDLE m_hFreedEvent;                 // auto reset: a worker became idle
};
