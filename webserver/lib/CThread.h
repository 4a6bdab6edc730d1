// CThread.h: base of the server's threads; owns a stop event and the
// thread handle.
#pragma once

#include "lib/CObject.h"

#include <windows.h>

// Subclasses supply Run, which must watch m_hStopEvent and return soon after
// it is signalled, and must not return STILL_ACTIVE (259).
class CThread : public CObject {
public:
  explicit CThread(bool autoDelete);
  // Closes the stop event and the thread handle; does not stop the thread.
  ~CThread() override;
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

  // Creates the thread, which runs at once. Called once per object.
  virtual bool Start();
  // The thread's body; its result is the thread's exit code.
  virtual int Run() = 0;

  // Signals the stop event and returns once the thread has ended (at once
  // when it was never started). Polls every 100 ms.
  void Stop();
  // Signals the stop event without waiting, so that several threads can
  // wind down at once before each is waited for.
  void SignalStop();
  // Whether a stop was signalled; a memory read, no platform call.
  bool IsStopping() const { return m_bStopping != 0; }

  HANDLE GetThreadHandle() const { return m_hThread; }

protected:
  HANDLE m_hThread;           // null until Start succeeds
  bool m_bAutoDelete;         // delete this on its own thread once Run returns
  HANDLE m_hStopEvent;        // manual reset, never reset once signalled
  volatile LONG m_bStopping;  // set with the stop event

private:
  static DWORD WINAPI ThreadEntry(LPVOID param);
};
