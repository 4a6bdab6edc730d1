// CWnd.h: a child window (the log pane); owns its window handle.
#pragma once

#include "lib/CObject.h"
#include "lib/CString.h"

#include <windows.h>

class CWnd : public CObject {
public:
  CWnd();
  // Destroys the window if one was created.
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // CreateWindowExW without extended style or creation data; the id goes
  // where a child's menu would. True when the window exists.
  bool Create(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y, int width,
              int height, HWND parent, UINT id);
  // Adds the text at the end of the window's text, in one set.
  bool AppendText(CString text);
  // The window's whole text.
  CString ReadText() const;

  HWND m_hWnd;  // null until Create succeeds
};
