// CWndMap: window-to-object lookups under a slim reader/writer lock.
#include "framework/CWndMap.h"

CWndMap& CWndMap::Instance() {
  static CWndMap s_map;
  return s_map;
}

bool CWndMap::Add(HWND window, CWnd* object) {
  bool added = true;
  AcquireSRWLockExclusive(&m_lock);
  try {
    m_map[window] = object;
  } catch (...) {
    added = false;
  }
  ReleaseSRWLockExclusive(&m_lock);
  return added;
}

void CWndMap::Remove(HWND window) {
  AcquireSRWLockExclusive(&m_lock);
  m_map.erase(window);
  ReleaseSRWLockExclusive(&m_lock);
}

CWnd* CWndMap::Find(HWND window) {
  AcquireSRWLockShared(&m_lock);
  auto it = m_map.find(window);
  CWnd* p = it == m_map.end() ? nullptr : it->second;
  ReleaseSRWLockShared(&m_lock);
  return p;
}
