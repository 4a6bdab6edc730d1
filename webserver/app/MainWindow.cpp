// MainWindow.cpp: the main window, whose client area is the log pane, and
// the points at which the server starts and stops.
#include "app/MainWindow.h"

#include "app/LogWindow.h"
#include "app/resource.h"
#include "app/ServerControl.h"
#include "app/WindowScale.h"

HINSTANCE g_hInst = nullptr;
HWND g_hMainWnd = nullptr;

namespace {

const DWORD kLogPaneStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                            ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;

// What the window draws at its scale; replaced when the scale changes.
HFONT g_hLogFont = nullptr;
HICON g_hSmallIcon = nullptr, g_hBigIcon = nullptr;

// The log pane's font and the window's icons at the window's scale.
void FollowScale(HWND window) {
  const UINT dpi = WindowDpi(window);
  HFONT font = CreateMessageFont(dpi);
  if (font && g_pLogWnd) {
    SendMessageW(g_pLogWnd->m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (g_hLogFont) DeleteObject(g_hLogFont);
    g_hLogFont = font;
  } else if (font) {
    DeleteObject(font);
  }
  HICON small = LoadMainIcon(g_hInst, MulDiv(16, static_cast<int>(dpi), 96));
  HICON big = LoadMainIcon(g_hInst, MulDiv(32, static_cast<int>(dpi), 96));
  if (small) SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  if (big) SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (small && g_hSmallIcon) DestroyIcon(g_hSmallIcon);
  if (big && g_hBigIcon) DestroyIcon(g_hBigIcon);
  if (small) g_hSmallIcon = small;
  if (big) g_hBigIcon = big;
}

void ReleaseScaled() {
  if (g_hLogFont) DeleteObject(g_hLogFont);
  if (g_hSmallIcon) DestroyIcon(g_hSmallIcon);
  if (g_hBigIcon) DestroyIcon(g_hBigIcon);
  g_hLogFont = nullptr;
  g_hSmallIcon = g_hBigIcon = nullptr;
}

LRESULT OnCreate(HWND window) {
  CWnd* pane = new CWnd();
  if (!pane->Create(L"edit", L"", kLogPaneStyle, 0, 0, CW_USEDEFAULT, CW_USEDEFAULT, window,
                    IDC_LOGPANE)) {
    delete pane;
    return -1;
  }
  ShowWindow(pane->m_hWnd, SW_SHOW);
  UpdateWindow(pane->m_hWnd);
  SetWindowTextW(pane->m_hWnd, L"");
  AttachLog(pane, window);
  FollowScale(window);
  StartServer();
  return 0;
}

void OnDestroy() {
  StopServer();
  delete DetachLog();
  ReleaseScaled();
  StopServerSockets();
  PostQuitMessage(0);
}

}  // namespace

ATOM RegisterWindowClass(HINSTANCE instance, const wchar_t* className) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  // The menu makes Exit and About visible to those who do not know the keys.
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAIN);
  wc.lpszClassName = className;
  return RegisterClassExW(&wc);
}

bool InitInstance(HINSTANCE instance, int cmdShow) {
  g_hInst = instance;
  wchar_t className[100];
  LoadStringW(instance, IDS_CLASSNAME, className, 100);
  RegisterWindowClass(instance, className);
  HWND window = CreateWindowExW(0, className, L"Vesk Web Server", WS_OVERLAPPEDWINDOW, 0, 0,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!window) return false;
  g_hMainWnd = window;
  ShowWindow(window, cmdShow);
  UpdateWindow(window);
  return true;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_SIZE:
      if (g_pLogWnd) MoveWindow(g_pLogWnd->m_hWnd, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_LOGPENDING:
      FlushLog();
      return 0;
    case 0x02E0: {  // WM_DPICHANGED: moved to a screen of another scale
      const RECT* r = reinterpret_cast<const RECT*>(lParam);
      FollowScale(window);
      SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_EXIT:
          DestroyWindow(window);
          return 0;
        case IDM_ABOUT:
          DialogBoxParamW(g_hInst, MAKEINTRESOURCEW(IDD_ABOUT), window, AboutDlgProc, 0);
          return 0;
      }
      break;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}
