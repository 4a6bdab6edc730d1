// CCriticalLock.cpp: scoped hold of a CCriticalSection.
#include "lib/CCriticalLock.h"

CCriticalLock::CCriticalLock(CCriticalSection* pSection) : m_pSection(pSection) {
  EnterCriticalSection(m_pSection);
}

CCriticalLock::~CCriticalLock() { LeaveCriticalSection(m_pSection); }
