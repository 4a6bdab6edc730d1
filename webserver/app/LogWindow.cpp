// LogWindow.cpp: the log sink, and the hand-over of queued log text to the
// window's thread.
#include "app/LogWindow.h"

#include "lib/CCriticalLock.h"

CCriticalSection g_csLog;
CWnd* g_pLogWnd = nullptr;

namespace {

HWND g_hLogNotify = nullptr;  // receives WM_LOGPENDING
DWORD g_dwLogThread = 0;      // the pane's thread
CString g_strPending;         // text written by other threads, not yet shown
bool g_bFlushPosted = false;  // a WM_LOGPENDING is on its way

// With g_csLog held, on the pane's thread.
void AppendToPane(const CString& text) {
  if (!g_pLogWnd || text.GetLength() == 0) return;
  g_pLogWnd->AppendText(text);
  UpdateWindow(g_pLogWnd->m_hWnd);
}

// With g_csLog held, on the pane's thread.
void TakePending(CString* text) {
  CString pending = g_strPending;
  pending.Append(*text);
  *text = pending;
  g_strPending = CString();
  g_bFlushPosted = false;
}

}  // namespace

void AttachLog(CWnd* pane, HWND notify) {
  CCriticalLock lock(&g_csLog);
  g_pLogWnd = pane;
  g_hLogNotify = notify;
  g_dwLogThread = GetWindowThreadProcessId(pane->m_hWnd, nullptr);
  CString text;
  TakePending(&text);
  AppendToPane(text);
}

void FlushLog() {
  CCriticalLock lock(&g_csLog);
  if (!g_pLogWnd || GetCurrentThreadId() != g_dwLogThread) return;
  CString text;
  TakePending(&text);
  AppendToPane(text);
}

CWnd* DetachLog() {
  CCriticalLock lock(&g_csLog);
  CString text;
  TakePending(&text);
  AppendToPane(text);
  CWnd* pane = g_pLogWnd;
  g_pLogWnd = nullptr;
  g_hLogNotify = nullptr;
  g_dwLogThread = 0;
  return pane;
}

void WriteLog(const wchar_t* message) {
  CCriticalLock lock(&g_csLog);
  CString text(message);
  if (g_pLogWnd && GetCurrentThreadId() == g_dwLogThread) {
    TakePending(&text);
    AppendToPane(text);
  } else {
    g_strPending.Append(text);
    if (g_hLogNotify && !g_bFlushPosted)
      g_bFlushPosted = PostMessageW(g_hLogNotify, WM_LOGPENDING, 0, 0) != FALSE;
  }
}
