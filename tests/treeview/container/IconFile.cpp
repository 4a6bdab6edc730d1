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

std::string IconFileBytes(const std::vector<IconImage>& images) {
  std::string head, data;
  Put16(head, 0);  // ICONDIR
  Put16(head, 1);
  Put16(head, static_cast<unsigned>(images.size()));
  const unsigned firstImage = 6 + 16 * static_cast<unsigned>(images.size());
  for (const IconImage& image : images) {
    const unsigned side = static_cast<unsigned>(image.side);
    const unsigned maskRow = (side + 31) / 32 * 4;
    const unsigned size = 40 + side * side * 4 + maskRow * side;
    head += static_cast<char>(side & 0xFF);  // ICONDIRENTRY; 0 means 256
    head += static_cast<char>(side & 0xFF);
    head += '\0';
    head += '\0';
    Put16(head, 1);
    Put16(head, 32);
    Put32(head, size);
    Put32(head, firstImage + static_cast<unsigned>(data.size()));
    Put32(data, 40);  // BITMAPINFOHEADER, height doubled for the mask
    Put32(data, side);
    Put32(data, side * 2);
    Put16(data, 1);
    Put16(data, 32);
    for (int i = 0; i < 6; ++i) Put32(data, 0);
    for (unsigned i = 0; i < side * side; ++i) {
      data += static_cast<char>(GetBValue(image.colour));
      data += static_cast<char>(GetGValue(image.colour));
      data += static_cast<char>(GetRValue(image.colour));
      data += static_cast<char>(0xFF);
    }
    data.append(maskRow * side, '\0');  // every pixel opaque
  }
  return head + data;
}

std::string IconFileBytes(COLORREF colour) { return IconFileBytes({{16, colour}}); }

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
