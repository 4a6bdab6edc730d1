// CWnd.cpp: a child window (the log pane).
#include "app/CWnd.h"

CWnd::CWnd() : m_hWnd(nullptr) {}

CWnd::~CWnd() {
  if (m_hWnd) DestroyWindow(m_hWnd);
}

bool CWnd::Create(const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                  int width, int height, HWND parent, UINT id) {
  m_hWnd = CreateWindowExW(0, className, text, style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
  return m_hWnd != nullptr;
}

bool CWnd::AppendText(CString text) {
  CString whole = ReadText();
  whole.Append(text);
  SetWindowTextW(m_hWnd, whole.GetText());
  return true;
}

CString CWnd::ReadText() const {
  CString text;
  int n = GetWindowTextLengthW(m_hWnd) + 2;
  wchar_t* p = text.GetBuffer(n);
  GetWindowTextW(m_hWnd, p, n);
  return text;
}
