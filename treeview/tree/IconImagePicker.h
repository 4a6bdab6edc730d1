// IconImagePicker: chooses, from the bytes of an icon file, the image to
// show at a given side in pixels. Pure: no handles, no files.
#pragma once
#include <cstddef>
#include <cstdint>

// Where one image of an icon file lies, and its side as the directory says.
struct IconImageSpan {
  size_t offset;
  size_t size;
  int side;  // 256 for a directory width of 0
};

// The file's own image of that side, else the smallest larger one (scaled
// down by the caller), else the largest smaller one; among images of one
// side the deepest colour. false when the bytes are no icon file or no
// entry lies inside them.
bool PickIconImage(const uint8_t* bytes, size_t length, int side, IconImageSpan* span);
