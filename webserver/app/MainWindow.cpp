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

LRESULT OnCreate(HWND hWnd) {
  CWnd* pPane = new CWnd();
  if (!pPane->Create(L"edit", L"", kLogPaneStyle, 0, 0, CW_USEDEFAULT, CW_USEDEFAULT, hWnd,
                     IDC_LOGPANE)) {
    delete pPane;
    return -1;
  }
  ShowWindow(pPane->m_hWnd, SW_SHOW);
  UpdateWindow(pPane->m_hWnd);
  SetWindowTextW(pPane->m_hWnd, L"");
  AttachLog(pPane, hWnd);
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

ATOM RegisterWindowClass(HINSTANCE hInstance, const wchar_t* pszClassName) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = hInstance;
  wc.hIcon = LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_MAIN));
  wc.hIconSm = static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  // The menu makes Exit and About visible to those who do not know the keys.
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAIN);
  wc.lpszClassName = pszClassName;
  return RegisterClassExW(&wc);
}

bool InitInstance(HINSTANCE hInstance, int nCmdShow) {
  g_hInst = hInstance;
  wchar_t szClassName[100];
  LoadStringW(hInstance, IDS_CLASSNAME, szClassName, 100);
  RegisterWindowClass(hInstance, szClassName);
  HWND hWnd = CreateWindowExW(0, szClassName, L"Vesk Web Server", WS_OVERLAPPEDWINDOW, 0, 0,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, hInstance, nullptr);
  if (!hWnd) return false;
  g_hMainWnd = hWnd;
  ShowWindow(hWnd, nCmdShow);
  UpdateWindow(hWnd);
  return true;
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
  switch (nMsg) {
    case WM_CREATE:
      return OnCreate(hWnd);
    case WM_SIZE:
      if (g_pLogWnd) MoveWindow(g_pLogWnd->m_hWnd, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_LOGPENDING:
      FlushLog();
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_EXIT:
          DestroyWindow(hWnd);
          return 0;
        case IDM_ABOUT:
          DialogBoxParamW(g_hInst, MAKEINTRESOURCEW(IDD_ABOUT), hWnd, AboutDlgProc, 0);
          return 0;
      }
      break;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefWindowProcW(hWnd, nMsg, wParam, lParam);
}
