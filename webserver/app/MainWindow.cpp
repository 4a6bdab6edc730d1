// MainWindow.cpp: the main window, whose client area is the log pane, and
// the points at which the server starts and stops.
#include "app/MainWindow.h"

#include "app/LogWindow.h"
#include "app/resource.h"
#include "app/ServerControl.h"

HINSTANCE g_hInst = nullptr;
HWND g_hMainWnd = nullptr;

namespace {

const DWORD kLogPaneStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                            ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;

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
  StartServer();
  return 0;
}

void OnDestroy() {
  StopServer();
  delete DetachLog();
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
