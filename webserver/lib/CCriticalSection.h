// CCriticalSection.h: a platform critical section; owns the initialised
// record.
#pragma once

#include <windows.h>

// Derives from the record so that it converts to what EnterCriticalSection
// takes. Entered and left only through CCriticalLock.
class CCriticalSection : public CRITICAL_SECTION {
public:
  CCriticalSection();
  virtual ~CCriticalSection();
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;
};
