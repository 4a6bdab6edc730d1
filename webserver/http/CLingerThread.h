// CLingerThread.h: the server's closing thread; owns the connections it is
// closing, up to kCapacity at a time.
#pragma once

#include "lib/CCriticalSection.h"
#include "lib/CSocket.h"
#include "lib/CThread.h"

// A connection closed while bytes from the client are still unread is
// reset, and the reset throws away the end of an answer still on its way.
// So a worker that ends a connection after an answer hands it here: its
// sending side is shut at once (the client sees the answer end), and this
// thread reads and discards whatever still comes until the client closes,
// sends nothing for kQuietMs, or kLimitMs have passed; only then is it
// closed. The worker is free at once.
class CLingerThread : public CThread {
public:
  static const int kCapacity = 32;
  static const DWORD kQuietMs = 2000;
  static const DWORD kLimitMs = 10000;
  static const DWORD kPollMs = 100;

  CLingerThread();
  ~CLingerThread() override;

  // Any thread. Takes the connection out of socket and shuts its sending
  // side. While all places are taken, before Start or once a stop is
  // signalled, it is closed at once instead.
  void Take(CSocket* socket);
  // Stops the thread, then closes every connection still held.
  void Shutdown();

private:
  int Run() override;

  CCriticalSection m_lock;          // guards the places against Take
  CSocket m_sockets[kCapacity];     // empty places hold no socket
  ULONGLONG m_quietEnd[kCapacity];  // tick: closed if nothing came by then
  ULONGLONG m_limitEnd[kCapacity];  // tick: closed by then in any case
  HANDLE m_hTakenEvent;             // auto reset: a connection was taken
  char m_discard[16384];            // what the clients still send
};
