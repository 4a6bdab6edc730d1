// IconFile: the bytes of a 16x16, 32-bit icon file of one colour, for the
// tests to write where the control looks for icons. Owns nothing.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>

std::string IconFileBytes(COLORREF colour);
// The colour at the centre of an image of a list, drawn on white.
COLORREF ImageColour(HIMAGELIST imageList, int index);
