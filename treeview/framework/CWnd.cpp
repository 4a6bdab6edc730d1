// CWnd: window ownership, the window-to-object map and message dispatch.
#include "framework/CWnd.h"
#include "framework/CWndMap.h"

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr) {}

CWnd::~CWnd() { Close(); }

HINSTANCE CWnd::CodeInstance() {
  HMODULE hSelf = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&CWnd::StaticWndProc), &hSelf);
  return hSelf;
}

bool CWnd::RegisterWndClass(LPCWSTR pszClass, UINT style, HBRUSH hbrBackground) {
  HINSTANCE hInst = CodeInstance();
  WNDCLASSEXW wc = {};
  if (GetClassInfoExW(hInst, pszClass, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = StaticWndProc;
  wc.hInstance = hInst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = hbrBackground;
  wc.lpszClassName = pszClass;
  return RegisterClassExW(&wc) != 0;
}

bool CWnd::CreateEx(DWORD dwExStyle, LPCWSTR pszClass, LPCWSTR pszTitle, DWORD dwStyle,
                    const RECT& rc, HWND hParent, UINT nID) {
  if (m_hWnd) return false;
  // Our own classes are registered in this module; system classes ignore it.
  HINSTANCE hInst = CodeInstance();
  HMENU hMenu =
      (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : nullptr;
  HWND h = CreateWindowExW(dwExStyle, pszClass, pszTitle, dwStyle, rc.left, rc.top,
                           rc.right - rc.left, rc.bottom - rc.top, hParent, hMenu, hInst, this);
  return h != nullptr;
}

bool CWnd::SubclassWindow(HWND hWnd) {
  if (m_hWnd || !hWnd) return false;
  Attach(hWnd);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
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

void CWnd::Attach(HWND hWnd) {
  m_hWnd = hWnd;
  CWndMap::Instance().Add(hWnd, this);
}

void CWnd::Detach() {
  if (m_hWnd) CWndMap::Instance().Remove(m_hWnd);
  if (m_pfnSuper && IsWindow(m_hWnd))
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) { return CWndMap::Instance().Find(hWnd); }

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = CWndMap::Instance().Find(hWnd);
  if (!pWnd && msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    pWnd = static_cast<CWnd*>(cs->lpCreateParams);
    if (pWnd) pWnd->Attach(hWnd);
  }
  if (!pWnd) return DefWindowProcW(hWnd, msg, wParam, lParam);
  LRESULT r;
  try {
    r = pWnd->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into the system's dispatch; a window whose creation
    // threw is not made.
    r = msg == WM_NCCREATE ? FALSE : msg == WM_CREATE ? -1 : 0;
  }
  if (msg == WM_NCDESTROY) {
    pWnd->Detach();
    pWnd->PostNcDestroy();
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

bool CWnd::ReflectNotify(LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  if (!hdr) return false;
  CWnd* pChild = FromHandle(hdr->hwndFrom);
  if (!pChild || pChild == this) return false;
  *pResult = pChild->HandleMessage(kReflectBase + WM_NOTIFY, 0, lParam);
  return true;
}
