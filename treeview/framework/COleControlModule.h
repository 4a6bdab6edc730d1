// COleControlModule: the state of one control module (a DLL): its instance
// handle, the count of live objects and locks, and the activation context of
// its manifest resource 2, which it owns.
#pragma once
#include <windows.h>

class COleControlModule {
public:
  COleControlModule();
  virtual ~COleControlModule();
  COleControlModule(const COleControlModule&) = delete;
  COleControlModule& operator=(const COleControlModule&) = delete;

  // The module's one application object, or null in a program without one.
  static COleControlModule* Get() { return s_pModule; }

  // Called from DllMain on process attach and detach.
  bool Attach(HINSTANCE instance);
  void Detach();
  virtual bool InitInstance() { return true; }
  virtual int ExitInstance() { return 0; }

  HINSTANCE GetInstance() const { return m_hInstance; }
  HINSTANCE GetResourceHandle() const { return m_hInstance; }
  // The module's file path, for the registry.
  const wchar_t* GetModulePath() const { return m_szPath; }

  // Every object and factory lock counts here; DllCanUnloadNow reads only this.
  void Lock() { InterlockedIncrement(&m_nLocks); }
  void Unlock() { InterlockedDecrement(&m_nLocks); }
  LONG GetLockCount() const { return m_nLocks; }

  // The activation context of manifest resource 2, or INVALID_HANDLE_VALUE.
  HANDLE GetActCtx();

private:
  static COleControlModule* s_pModule;
  HINSTANCE m_hInstance;
  volatile LONG m_nLocks;
  HANDLE m_hActCtx;  // created on first use
  bool m_bActCtxTried;
  wchar_t m_szPath[MAX_PATH];
};

// Bumps the module's lock count for the lifetime of an object.
class CModuleLock {
public:
  CModuleLock() {
    if (COleControlModule* m = COleControlModule::Get()) m->Lock();
  }
  ~CModuleLock() {
    if (COleControlModule* m = COleControlModule::Get()) m->Unlock();
  }
  CModuleLock(const CModuleLock&) = delete;
  CModuleLock& operator=(const CModuleLock&) = delete;
};
