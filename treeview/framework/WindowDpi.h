// WindowDpi: the scale a window is drawn at, in dots per inch, and the
// small-icon side for it. Owns nothing.
#pragma once
#include <windows.h>

// Sent to each child after its parent's scale changed (Windows 10 1703 on;
// the headers hide it for the older systems the module also runs on).
constexpr UINT kWmDpiChangedAfterParent = 0x02E3;

// The window's own DPI where the system reports one per window
// (GetDpiForWindow), else the screen's; 96 without either.
UINT WindowDpi(HWND window);
// The side of a small icon at that DPI: 16 at 96, 24 at 144, 32 at 192.
int SmallIconSide(UINT dpi);
// Makes WindowDpi answer dpi for every window (0 restores the system's);
// for tests that deliver a scale change to a live control.
void SetWindowDpiForTest(UINT dpi);
