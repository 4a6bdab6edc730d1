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
  explicit CQuickThread(int result, bool autoDelete = false)
      : CThread(autoDelete), m_nResult(result) {}
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
  CSelfDeletingThread(DWORD* runThread, DWORD* deleteThread, HANDLE done)
      : CThread(true), m_pdwRunThread(runThread), m_pdwDeleteThread(deleteThread), m_hDone(done) {}
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

DWORD ExitCodeOf(HANDLE handle) {
  DWORD code = 0;
  GetExitCodeThread(handle, &code);
  return code;
}

}  // namespace

TEST(ThreadStop, ReturnsAtOnceWhenTheThreadWasNeverStarted) {
  CWaitingThread thread;
  DWORD start = GetTickCount();
  thread.Stop();
  EXPECT_LT(GetTickCount() - start, 50u);
}

TEST(ThreadStop, ReturnsAtOnceWhenTheThreadHasAlreadyEnded) {
  CQuickThread thread(7);
  ASSERT_TRUE(thread.Start());
  ASSERT_EQ(WaitForSingleObject(thread.GetThreadHandle(), 5000), WAIT_OBJECT_0);
  DWORD start = GetTickCount();
  thread.Stop();
  EXPECT_LT(GetTickCount() - start, 50u);
}

TEST(ThreadStop, EndsARunningThreadThroughItsStopEvent) {
  CWaitingThread thread;
  ASSERT_TRUE(thread.Start());
  Sleep(50);
  ASSERT_EQ(WaitForSingleObject(thread.GetThreadHandle(), 0), WAIT_TIMEOUT);
  DWORD start = GetTickCount();
  thread.Stop();
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(WaitForSingleObject(thread.GetThreadHandle(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCodeOf(thread.GetThreadHandle()), 1u);
}

TEST(ThreadExitCode, IsWhatRunReturned) {
  for (int result : {0, 1, 42, -5}) {
    CQuickThread thread(result);
    ASSERT_TRUE(thread.Start());
    ASSERT_EQ(WaitForSingleObject(thread.GetThreadHandle(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeOf(thread.GetThreadHandle()), static_cast<DWORD>(result));
  }
}

TEST(ThreadAutoDelete, DeletesTheObjectOnItsOwnThreadAfterRun) {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  for (int i = 0; i < 50; ++i) {
    ResetEvent(done);
    DWORD runThread = 0, deleteThread = 0;
    CThread* selfDeleting = new CSelfDeletingThread(&runThread, &deleteThread, done);
    ASSERT_TRUE(selfDeleting->Start());
    ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
    EXPECT_NE(runThread, 0u);
    EXPECT_EQ(deleteThread, runThread);
    EXPECT_NE(GetCurrentThreadId(), deleteThread);
  }
  CloseHandle(done);
}

TEST(ThreadAutoDelete, WhenOffTheObjectOutlivesRun) {
  CQuickThread thread(3);
  ASSERT_TRUE(thread.Start());
  ASSERT_EQ(WaitForSingleObject(thread.GetThreadHandle(), 5000), WAIT_OBJECT_0);
  thread.Stop();
  EXPECT_EQ(thread.m_nResult, 3);
}

TEST(ThreadHandle, IsReleasedWhenTheObjectIsDestroyed) {
  HANDLE handle = nullptr;
  {
    CQuickThread thread(0);
    ASSERT_TRUE(thread.Start());
    handle = thread.GetThreadHandle();
    thread.Stop();
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(handle, &flags));
  }
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(handle, &flags));
}

namespace {

struct LockProbe {
  CCriticalSection* section;
  BOOL entered;
};

DWORD WINAPI TryEnterFromAnotherThread(LPVOID param) {
  LockProbe* probe = static_cast<LockProbe*>(param);
  probe->entered = TryEnterCriticalSection(probe->section);
  if (probe->entered) LeaveCriticalSection(probe->section);
  return 0;
}

bool EnteredFromAnotherThread(CCriticalSection* section) {
  LockProbe probe = {section, FALSE};
  HANDLE h = CreateThread(nullptr, 0, TryEnterFromAnotherThread, &probe, 0, nullptr);
  WaitForSingleObject(h, 5000);
  CloseHandle(h);
  return probe.entered != FALSE;
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
