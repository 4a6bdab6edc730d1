// CThread.cpp: base of the server's threads.
#include "lib/CThread.h"

CThread::CThread(bool autoDelete)
    : m_hThread(nullptr),
      m_bAutoDelete(autoDelete),
      m_hStopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_bStopping(0) {}

CThread::~CThread() {
  if (m_hStopEvent) CloseHandle(m_hStopEvent);
  if (m_hThread) CloseHandle(m_hThread);
}

bool CThread::Start() {
  // Created suspended so that the handle is stored before Run can start:
  // an auto-deleting object may be gone as soon as the thread runs.
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, this, CREATE_SUSPENDED, &threadId);
  if (!thread) return false;
  m_hThread = thread;
  ResumeThread(thread);
  return true;
}

void CThread::SignalStop() {
  InterlockedExchange(&m_bStopping, 1);
  SetEvent(m_hStopEvent);
}

void CThread::Stop() {
  SignalStop();
  for (;;) {
    DWORD status = 0;
    if (!m_hThread || !GetExitCodeThread(m_hThread, &status)) status = 0;
    if (status != STILL_ACTIVE) return;
    WaitForSingleObject(m_hThread, 100);  // returns early when it ends
  }
}

DWORD WINAPI CThread::ThreadEntry(LPVOID param) {
  CThread* self = static_cast<CThread*>(param);
  int result = self->Run();
  if (self->m_bAutoDelete) delete self;
  return static_cast<DWORD>(result);
}
