// CWndMap: the process's map from window handle to the CWnd that handles it;
// owns the lock that guards the map.
#pragma once
#include <windows.h>
#include <map>

class CWnd;

class CWndMap {
public:
  static CWndMap& Instance();
  // false when memory ran out.
  bool Add(HWND window, CWnd* object);
  void Remove(HWND window);
  CWnd* Find(HWND window);

private:
  CWndMap() = default;
  CWndMap(const CWndMap&) = delete;
  CWndMap& operator=(const CWndMap&) = delete;
  SRWLOCK m_lock = SRWLOCK_INIT;  // containers may live on several threads
  std::map<HWND, CWnd*> m_map;
};
