// CWnd: a window and the C++ object that handles its messages; owns the
// window it created or subclassed and keeps the window-to-object map.
#pragma once
#include <windows.h>

class CWnd {
public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // Creates a window of a class registered with StaticWndProc (RegisterClass).
  bool CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rc,
                HWND parent, UINT id);
  // Takes over an existing window (a common control): its messages reach
  // HandleMessage, and Default passes them to its own procedure.
  bool SubclassWindow(HWND window);
  // Destroys the window if there is one; safe to call again.
  void Close();

  // The object of a window, or null when no CWnd handles it.
  static CWnd* FromHandle(HWND window);
  static LRESULT CALLBACK StaticWndProc(HWND, UINT, WPARAM, LPARAM);
  // Registers, in the module that holds this code, a window class whose
  // procedure is StaticWndProc.
  static bool RegisterWndClass(LPCWSTR className, UINT style, HBRUSH background);
  // The module (the control's DLL or a test program) that holds this code.
  static HINSTANCE CodeInstance();

  // Reflected notifications arrive here with this offset added to the message.
  static const UINT kReflectBase = 0x2000;

protected:
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // The window's own handling of the current message.
  LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
  // Sends a child's WM_NOTIFY back to the child's object; true when it took it.
  bool ReflectNotify(LPARAM lParam, LRESULT* result);
  // Called after WM_NCDESTROY, when the object no longer has a window.
  virtual void PostNcDestroy() {}

  HWND m_hWnd;
  WNDPROC m_pfnSuper;  // procedure of a subclassed window; null for our own classes

private:
  // false when the window-to-object map could not take the window.
  bool Attach(HWND window);
  void Detach();
};
