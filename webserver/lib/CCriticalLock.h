// CCriticalLock.h: scoped hold of a CCriticalSection; owns the hold, not
// the section.
#pragma once

#include "lib/CCriticalSection.h"

// Entered on construction, left on destruction, also during unwinding.
class CCriticalLock {
public:
  explicit CCriticalLock(CCriticalSection* section);
  virtual ~CCriticalLock();
  CCriticalLock(const CCriticalLock&) = delete;
  CCriticalLock& operator=(const CCriticalLock&) = delete;

private:
  CCriticalSection* m_pSection;  // never null
};
