// AboutDlg.cpp: the About dialog, which shows the count of request heads.
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/resource.h"
#include "app/WindowScale.h"

#include <cwchar>

namespace {

// Centred on the size of the main window's client area, measured from the
// screen's origin: the dialog opens at the same place wherever the main
// window lies.
void PlaceDialog(HWND dialog) {
  RECT frame, client = {};
  GetWindowRect(dialog, &frame);
  if (g_hMainWnd) GetClientRect(g_hMainWnd, &client);
  int x = ((client.right - client.left) - (frame.right - frame.left)) / 2;
  int y = ((client.bottom - client.top) - (frame.bottom - frame.top)) / 2;
  SetWindowPos(dialog, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
  switch (msg) {
    case WM_INITDIALOG: {
      PlaceDialog(dialog);
      // The icon at the size its place has at the dialog's scale, not the
      // system's default size stretched.
      if (HWND place = GetDlgItem(dialog, IDC_ABOUTICON)) {
        RECT rc;
        GetClientRect(place, &rc);
        const int side = rc.right < rc.bottom ? rc.right : rc.bottom;
        if (HICON icon = LoadMainIcon(g_hInst, side)) {
          SetPropW(dialog, L"OrraAboutIcon", icon);
          SendMessageW(place, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        }
      }
      wchar_t count[16];
      _snwprintf(count, 16, L"%d", static_cast<int>(g_nRequestCount));
      count[15] = L'\0';
      SetDlgItemTextW(dialog, IDC_REQUESTCOUNT, count);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        if (HICON icon = static_cast<HICON>(RemovePropW(dialog, L"OrraAboutIcon")))
          DestroyIcon(icon);
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}
