// CDialog: modal dialog procedure and the message box helper.
#include "framework/CDialog.h"

INT_PTR CDialog::DoModal() {
  return DialogBoxParamW(m_hResources, MAKEINTRESOURCEW(m_nIDTemplate), m_hParent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

bool CDialog::OnCommand(WORD id) {
  if (id == IDOK || id == IDCANCEL) {
    EndDialog(m_hDlg, id);
    return true;
  }
  return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->m_hDlg = dialog;
    try {
      return self->OnInitDialog();
    } catch (...) {
      return TRUE;
    }
  }
  if (!self) return FALSE;
  switch (msg) {
    case WM_COMMAND:
      try {
        return self->OnCommand(LOWORD(wParam));
      } catch (...) {
        return TRUE;  // nothing may unwind into the dialog manager
      }
    case WM_NCDESTROY:
      self->m_hDlg = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

int CDialog::MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption) {
  return ::MessageBoxW(owner, text, caption, MB_OK);
}
