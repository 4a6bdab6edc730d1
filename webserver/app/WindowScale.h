// WindowScale.h: what the program's windows draw at their scale: the
// window's DPI, the message font and the program's icon at that scale.
// Owns nothing; the caller deletes what it is given.
#pragma once

#include <windows.h>

// The window's own DPI where the system reports one per window, else the
// screen's.
UINT WindowDpi(HWND window);
// The system's message font at dpi; null on failure.
HFONT CreateMessageFont(UINT dpi);
// The program's icon (IDI_MAIN) at side by side pixels, from the file's
// image of that size or the nearest larger one; destroy it with DestroyIcon.
HICON LoadMainIcon(HINSTANCE instance, int side);
