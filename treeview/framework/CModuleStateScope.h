// CModuleStateScope: switches the calling thread to the control module's
// state (its manifest's activation context) for one scope and restores the
// previous state on every way out; owns the activation cookie.
#pragma once
#include <windows.h>

class CModuleStateScope {
public:
  CModuleStateScope();
  ~CModuleStateScope();
  CModuleStateScope(const CModuleStateScope&) = delete;
  CModuleStateScope& operator=(const CModuleStateScope&) = delete;

private:
  ULONG_PTR m_cookie;
  bool m_bActivated;
};
