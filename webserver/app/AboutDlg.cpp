// AboutDlg.cpp: the About dialog, which shows the count of request heads.
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/resource.h"

#include <cwchar>

namespace {

// Centred on the size of the main window's client area, measured from the
// screen's origin: the dialog opens at the same place wherever the main
// window lies.
void PlaceDialog(HWND hDlg) {
  RECT dialog, client = {};
  GetWindowRect(hDlg, &dialog);
  if (g_hMainWnd) GetClientRect(g_hMainWnd, &client);
  int x = ((client.right - client.left) - (dialog.right - dialog.left)) / 2;
  int y = ((client.bottom - client.top) - (dialog.bottom - dialog.top)) / 2;
  SetWindowPos(hDlg, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM /*lParam*/) {
  switch (nMsg) {
    case WM_INITDIALOG: {
      PlaceDialog(hDlg);
      wchar_t szCount[16];
      _snwprintf(szCount, 16, L"%d", static_cast<int>(g_nRequestCount));
      szCount[15] = L'\0';
      SetDlgItemTextW(hDlg, IDC_REQUESTCOUNT, szCount);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}
