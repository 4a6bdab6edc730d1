// WindowDpi: GetDpiForWindow looked up at run time (user32 has it from
// Windows 10 1607 on), else GetDeviceCaps of the screen.
#include "framework/WindowDpi.h"

namespace {
UINT g_testDpi = 0;
}  // namespace

UINT WindowDpi(HWND window) {
  if (g_testDpi) return g_testDpi;
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    UINT dpi = getDpiForWindow(window);
    if (dpi) return dpi;
  }
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int SmallIconSide(UINT dpi) { return MulDiv(16, static_cast<int>(dpi), 96); }

void SetWindowDpiForTest(UINT dpi) { g_testDpi = dpi; }
