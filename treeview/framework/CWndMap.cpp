// CWndMap: window-to-object lookups under a slim reader/writer lock.
#include "framework/CWndMap.h"

CWndMap& CWndMap::Instance() {
  static CWndMap s_map;
  return s_map;
}

void CWndMap::Add(HWND hWnd, CWnd* pWnd) {
  AcquireSRWLockExclusive(&m_lock);
  m_map[hWnd] = pWnd;
  ReleaseSRWLockExclusive(&m_lock);
}

void CWndMap::Remove(HWND hWnd) {
  AcquireSRWLockExclusive(&m_lock);
  m_map.erase(hWnd);
  ReleaseSRWLockExclusive(&m_lock);
}

CWnd* CWndMap::Find(HWND hWnd) {
  AcquireSRWLockShared(&m_lock);
  auto it = m_map.find(hWnd);
  CWnd* p = it == m_map.end() ? nullptr : it->second;
  ReleaseSRWLockShared(&m_lock);
  return p;
}
