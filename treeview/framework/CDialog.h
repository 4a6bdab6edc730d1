// CDialog: a modal dialog from a dialog resource; the dialog window lives
// only inside DoModal.
#pragma once
#include <windows.h>

class CDialog {
public:
  CDialog(HINSTANCE resources, UINT templateId, HWND parent = nullptr)
      : m_hResources(resources), m_nIDTemplate(templateId), m_hParent(parent), m_hDlg(nullptr) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog until it ends; the value passed to EndDialog, or -1.
  INT_PTR DoModal();
  HWND GetSafeHwnd() const { return m_hDlg; }

  // A modal message box with one OK button (type 0); returns when closed.
  static int MessageBox(HWND owner, const wchar_t* text, const wchar_t* caption);

protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  // OK and Cancel end the dialog; other commands are ignored.
  virtual bool OnCommand(WORD id);

private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
  HINSTANCE m_hResources;
  UINT m_nIDTemplate;
  HWND m_hParent;
  HWND m_hDlg;
};
