// CCriticalLock.cpp: scoped hold of a CCriticalSection.
#include "lib/CCriticalLock.h"

CCriticalLock::CCriticalLock(CCriticalSection* section) : m_pSection(section) {
  EnterCriticalSection(m_pSection);
}

CCriticalLock::~CCriticalLock() { LeaveCriticalSection(m_pSection); }
