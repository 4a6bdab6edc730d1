// Tests of CThread (start, stop, exit code, auto-delete, handle release)
// and of the critical section and its scoped lock.
#include "lib/CCriticalLock.h"
#include "lib/CCriticalSection.h"
#include "lib/CThread.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Returns a fixed value at once.
class CQuickThread : public CThread {
public:
  explicit CQuickThread(int nResult, bool bAutoDelete = false)
      : CThread(bAutoDelete), m_nResult(nResult) {}
  int Run() override { return m_nResult; }
  int m_nResult;
};

// Runs until its stop event is signalled, then returns 1.
class CWaitingThread : public CThread {
public:
  CWaitingThread() : CThread(false) {}
  int Run() override {
    WaitForSingleObject(m_hStopEvent, INFINITE);
    return 1;
  }
};

// Reports on which thread Run ran and on which it was destroyed.
class CSelfDeletingThread : public CThread {
public:
  CSelfDeletingThread(DWORD* pdwRunThread, DWORD* pdwDeleteThread, HANDLE hDone)
      : CThread(true),
        m_pdwRunThread(pdwRunThread),
        m_pdwDeleteThread(pdwDeleteThread),
        m_hDone(hDone) {}
  ~CSelfDeletingThread() override {
    *m_pdwDeleteThread = GetCurrentThreadId();
    SetEvent(m_hDone);
  }
  int Run() override {
    *m_pdwRunThread = GetCurrentThreadId();
    return 0;
  }
  DWORD* m_pdwRunThread;
  DWORD* m_pdwDeleteThread;
  HANDLE m_hDone;
};

DWORD ExitCodeOf(HANDLE hThread) {
  DWORD dwCode = 0;
  GetExitCodeThread(hThread, &dwCode);
  return dwCode;
}

}  // namespace

TEST(ThreadStop, ReturnsAtOnceWhenTheThreadWasNeverStarted) {
  CWaitingThread thread;
  DWORD dwStart = GetTickCount();
  thread.Stop();
  EXPECT_LT(GetTickCount() - dwStart, 50u);
}

TEST(ThreadStop, ReturnsAtOnceWhenTheThreadHasAlreadyEnded) {
  CQuickThread thread(7);
  ASSERT_TRUE(thread.Start());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.GetThreadHandle(), 5000));
  DWORD dwStart = GetTickCount();
  thread.Stop();
  EXPECT_LT(GetTickCount() - dwStart, 50u);
}

TEST(ThreadStop, EndsARunningThreadThroughItsStopEvent) {
  CWaitingThread thread;
  ASSERT_TRUE(thread.Start());
  Sleep(50);
  ASSERT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread.GetThreadHandle(), 0));
  DWORD dwStart = GetTickCount();
  thread.Stop();
  EXPECT_LT(GetTickCount() - dwStart, 1000u);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.GetThreadHandle(), 0));
  EXPECT_EQ(1u, ExitCodeOf(thread.GetThreadHandle()));
}

TEST(ThreadExitCode, IsWhatRunReturned) {
  for (int nResult : {0, 1, 42, -5}) {
    CQuickThread thread(nResult);
    ASSERT_TRUE(thread.Start());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.GetThreadHandle(), 5000));
    EXPECT_EQ(static_cast<DWORD>(nResult), ExitCodeOf(thread.GetThreadHandle()));
  }
}

TEST(ThreadAutoDelete, DeletesTheObjectOnItsOwnThreadAfterRun) {
  HANDLE hDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  for (int i = 0; i < 50; ++i) {
    ResetEvent(hDone);
    DWORD dwRunThread = 0, dwDeleteThread = 0;
    CThread* pThread = new CSelfDeletingThread(&dwRunThread, &dwDeleteThread, hDone);
    ASSERT_TRUE(pThread->Start());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hDone, 5000));
    EXPECT_NE(0u, dwRunThread);
    EXPECT_EQ(dwRunThread, dwDeleteThread);
    EXPECT_NE(GetCurrentThreadId(), dwDeleteThread);
  }
  CloseHandle(hDone);
}

TEST(ThreadAutoDelete, WhenOffTheObjectOutlivesRun) {
  CQuickThread thread(3);
  ASSERT_TRUE(thread.Start());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.GetThreadHandle(), 5000));
  thread.Stop();
  EXPECT_EQ(3, thread.m_nResult);
}

TEST(ThreadHandle, IsReleasedWhenTheObjectIsDestroyed) {
  HANDLE hThread = nullptr;
  {
    CQuickThread thread(0);
    ASSERT_TRUE(thread.Start());
    hThread = thread.GetThreadHandle();
    thread.Stop();
    DWORD dwFlags = 0;
    ASSERT_TRUE(GetHandleInformation(hThread, &dwFlags));
  }
  DWORD dwFlags = 0;
  EXPECT_FALSE(GetHandleInformation(hThread, &dwFlags));
}

namespace {

struct LockProbe {
  CCriticalSection* pSection;
  BOOL bEntered;
};

DWORD WINAPI TryEnterFromAnotherThread(LPVOID pParam) {
  LockProbe* pProbe = static_cast<LockProbe*>(pParam);
  pProbe->bEntered = TryEnterCriticalSection(pProbe->pSection);
  if (pProbe->bEntered) LeaveCriticalSection(pProbe->pSection);
  return 0;
}

BOOL EnteredFromAnotherThread(CCriticalSection* pSection) {
  LockProbe probe = {pSection, FALSE};
  HANDLE h = CreateThread(nullptr, 0, TryEnterFromAnotherThread, &probe, 0, nullptr);
  WaitForSingleObject(h, 5000);
  CloseHandle(h);
  return probe.bEntered;
}

}  // namespace

TEST(CriticalLock, HoldsTheSectionForItsScopeOnly) {
  CCriticalSection section;
  {
    CCriticalLock lock(&section);
    EXPECT_FALSE(EnteredFromAnotherThread(&section));
  }
  EXPECT_TRUE(EnteredFromAnotherThread(&section));
}

TEST(CriticalLock, IsLeftWhenAnExceptionUnwindsItsScope) {
  CCriticalSection section;
  try {
    CCriticalLock lock(&section);
    throw std::runtime_error("unwind");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(EnteredFromAnotherThread(&section));
}

TEST(CriticalLock, MayBeTakenAgainByTheThreadHoldingIt) {
  CCriticalSection section;
  CCriticalLock outer(&section);
  { CCriticalLock inner(&section); }
  EXPECT_FALSE(EnteredFromAnotherThread(&section));
}
