// LogWindow.h: the program's log (the sink behind LogMessage of Log.h) and
// its pane.
//
// Text that a thread other than the pane's own writes is queued and the
// pane's thread appends it when WM_LOGPENDING reaches the window given to
// AttachLog. A writer therefore never waits for the window's thread, so the
// window's thread may wait for writers (as it does while the server stops)
// without deadlock. Whole messages keep the order in which they took the
// log lock.
#pragma once

#include "app/CWnd.h"
#include "lib/CCriticalSection.h"

#include <windows.h>

// Posted to the window that AttachLog names when queued text waits.
const UINT WM_LOGPENDING = WM_APP + 1;

extern CCriticalSection g_csLog;  // serialises every log operation
extern CWnd* g_pLogWnd;           // the pane; owned by the main window

// The program's log sink (SetLogSink): shows the text in the pane, or
// queues it for the pane's thread. Callable from any thread.
void WriteLog(const wchar_t* text);
// On the pane's thread: routes the log to the pane (which the caller keeps
// owning) and appends whatever was queued before.
void AttachLog(CWnd* pane, HWND notify);
// On the pane's thread, on WM_LOGPENDING: appends the queued text.
void FlushLog();
// On the pane's thread, before the pane goes: appends what is still queued
// and routes the log nowhere. Returns the pane for its owner to delete.
CWnd* DetachLog();
