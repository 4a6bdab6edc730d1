// CWnd: window ownership, the window-to-object map and message dispatch.
#include "framework/CWnd.h"
#include "framework/CWndMap.h"

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr) {}

CWnd::~CWnd() { Close(); }

HINSTANCE CWnd::CodeInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&CWnd::StaticWndProc), &module);
  return module;
}

bool CWnd::RegisterWndClass(LPCWSTR className, UINT style, HBRUSH background) {
  HINSTANCE instance = CodeInstance();
  WNDCLASSEXW wc = {};
  if (GetClassInfoExW(instance, className, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = StaticWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return RegisterClassExW(&wc) != 0;
}

bool CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rc,
                    HWND parent, UINT id) {
  if (m_hWnd) return false;
  // Our own classes are registered in this module; system classes ignore it.
  HINSTANCE instance = CodeInstance();
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  HWND h = CreateWindowExW(exStyle, className, title, style, rc.left, rc.top, rc.right - rc.left,
                           rc.bottom - rc.top, parent, menu, instance, this);
  return h != nullptr;
}

bool CWnd::SubclassWindow(HWND window) {
  if (m_hWnd || !window || !Attach(window)) return false;
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
  return true;
}

void CWnd::Close() {
  if (m_hWnd) {
    // WM_NCDESTROY detaches the object from the window.
    HWND h = m_hWnd;
    DestroyWindow(h);
    if (m_hWnd == h) Detach();
  }
}

bool CWnd::Attach(HWND window) {
  if (!CWndMap::Instance().Add(window, this)) return false;
  m_hWnd = window;
  return true;
}

void CWnd::Detach() {
  if (m_hWnd) CWndMap::Instance().Remove(m_hWnd);
  if (m_pfnSuper && IsWindow(m_hWnd))
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
}

CWnd* CWnd::FromHandle(HWND window) { return CWndMap::Instance().Find(window); }

LRESULT CALLBACK CWnd::StaticWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* object = CWndMap::Instance().Find(window);
  if (!object && msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    object = static_cast<CWnd*>(cs->lpCreateParams);
    // A map that cannot grow refuses the window rather than throw into the system.
    if (object && !object->Attach(window)) return FALSE;
  }
  if (!object) return DefWindowProcW(window, msg, wParam, lParam);
  LRESULT r;
  try {
    r = object->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into the system's dispatch; a window whose creation
    // threw is not made.
    r = msg == WM_NCCREATE ? FALSE : msg == WM_CREATE ? -1 : 0;
  }
  if (msg == WM_NCDESTROY) {
    object->Detach();
    object->PostNcDestroy();
  }
  return r;
}

LRESULT CWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY) {
    LRESULT r = 0;
    if (ReflectNotify(lParam, &r)) return r;
  }
  return Default(msg, wParam, lParam);
}

LRESULT CWnd::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
  return DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

bool CWnd::ReflectNotify(LPARAM lParam, LRESULT* result) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (!hdr) return false;
  CWnd* child = FromHandle(hdr->hwndFrom);
  if (!child || child == this) return false;
  *result = child->HandleMessage(kReflectBase + WM_NOTIFY, 0, lParam);
  return true;
}
