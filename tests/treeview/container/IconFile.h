// IconFile: the bytes of 32-bit icon files of one colour per image size, for
// the tests to write where the control looks for icons. Owns nothing.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>
#include <vector>

struct IconImage {
  int side;  // in pixels, 1 to 256
  COLORREF colour;
};
// A file of one image per entry, in the given order.
std::string IconFileBytes(const std::vector<IconImage>& images);
// A file of one 16x16 image.
std::string IconFileBytes(COLORREF colour);
// The colour at the centre of an image of a list, drawn on white.
COLORREF ImageColour(HIMAGELIST imageList, int index);
