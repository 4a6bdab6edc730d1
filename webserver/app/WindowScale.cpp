// WindowScale.cpp: GetDpiForWindow looked up at run time (Windows 10 1607
// on), the message font scaled from the screen's DPI to the window's.
#include "app/WindowScale.h"

#include "app/resource.h"

namespace {
UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}
}  // namespace

UINT WindowDpi(HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
  return dpi ? dpi : ScreenDpi();
}

HFONT CreateMessageFont(UINT dpi) {
  NONCLIENTMETRICSW ncm = {};
  ncm.cbSize = sizeof(ncm);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) return nullptr;
  // The system gives it at the screen's scale.
  ncm.lfMessageFont.lfHeight =
      MulDiv(ncm.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
  return CreateFontIndirectW(&ncm.lfMessageFont);
}

HICON LoadMainIcon(HINSTANCE instance, int side) {
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON, side, side, 0));
}
