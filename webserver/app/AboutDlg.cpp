// AboutDlg.cpp: the About dialog, which shows the count of request heads.
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/resource.h"

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
      wchar_t count[16];
      _snwprintf(count, 16, L"%d", static_cast<int>(g_nRequestCount));
      count[15] = L'\0';
      SetDlgItemTextW(dialog, IDC_REQUESTCOUNT, count);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}
