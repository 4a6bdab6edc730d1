// CThread.cpp: base of the server's threads.
#include "lib/CThread.h"

CThread::CThread(bool bAutoDelete)
    : m_hThread(nullptr),
      m_bAutoDelete(bAutoDelete),
      m_hStopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_bStopping(0) {}

CThread::~CThread() {
  if (m_hStopEvent) CloseHandle(m_hStopEvent);
  if (m_hThread) CloseHandle(m_hThread);
}

bool CThread::Start() {
  // Created suspended so that the handle is stored before Run can start:
  // an auto-deleting object may be gone as soon as the thread runs.
  DWORD dwThreadId = 0;
  HANDLE hThread = CreateThread(nullptr, 0, ThreadEntry, this, CREATE_SUSPENDED, &dwThreadId);
  if (!hThread) return false;
  m_hThread = hThread;
  ResumeThread(hThread);
  return true;
}

void CThread::SignalStop() {
  InterlockedExchange(&m_bStopping, 1);
  SetEvent(m_hStopEvent);
}

void CThread::Stop() {
  SignalStop();
  for (;;) {
    DWORD dwStatus = 0;
    if (!m_hThread || !GetExitCodeThread(m_hThread, &dwStatus)) dwStatus = 0;
    if (dwStatus != STILL_ACTIVE) return;
    WaitForSingleObject(m_hThread, 100);  // returns early when it ends
  }
}

DWORD WINAPI CThread::ThreadEntry(LPVOID pParam) {
  CThread* pThread = static_cast<CThread*>(pParam);
  int nResult = pThread->Run();
  if (pThread->m_bAutoDelete) delete pThread;
  return static_cast<DWORD>(nResult);
}
