// IconFile: writing an icon file and reading an image's colour back.
#include "IconFile.h"
#include <commctrl.h>

namespace {
void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, unsigned v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
}  // namespace

std::string IconFileBytes(COLORREF colour) {
  const unsigned kSide = 16, kPixels = kSide * kSide * 4, kMask = kSide * 4;
  const unsigned kImage = 40 + kPixels + kMask;
  std::string s;
  Put16(s, 0);  // ICONDIR
  Put16(s, 1);
  Put16(s, 1);
  s += static_cast<char>(kSide);  // ICONDIRENTRY
  s += static_cast<char>(kSide);
  s += '\0';
  s += '\0';
  Put16(s, 1);
  Put16(s, 32);
  Put32(s, kImage);
  Put32(s, 6 + 16);
  Put32(s, 40);  // BITMAPINFOHEADER, height doubled for the mask
  Put32(s, kSide);
  Put32(s, kSide * 2);
  Put16(s, 1);
  Put16(s, 32);
  for (int i = 0; i < 6; ++i) Put32(s, 0);
  for (unsigned i = 0; i < kSide * kSide; ++i) {
    s += static_cast<char>(GetBValue(colour));
    s += static_cast<char>(GetGValue(colour));
    s += static_cast<char>(GetRValue(colour));
    s += static_cast<char>(0xFF);
  }
  s.append(kMask, '\0');  // every pixel opaque
  return s;
}

COLORREF ImageColour(HIMAGELIST imageList, int index) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT rc = {0, 0, 16, 16};
  FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(imageList, index, dc, 0, 0, ILD_NORMAL);
  COLORREF c = GetPixel(dc, 8, 8);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return c;
}
