// IconImagePicker: reads the icon directory (ICONDIR and its entries) and
// ranks the images by how well they fit the wanted side.
#include "tree/IconImagePicker.h"

namespace {
unsigned Read16(const uint8_t* p) { return p[0] | (p[1] << 8); }
size_t Read32(const uint8_t* p) {
  return static_cast<size_t>(p[0]) | (static_cast<size_t>(p[1]) << 8) |
         (static_cast<size_t>(p[2]) << 16) | (static_cast<size_t>(p[3]) << 24);
}

// Lower is better: exact first, then larger ones nearest first, then
// smaller ones nearest first.
long long Rank(int side, int wanted) {
  if (side == wanted) return 0;
  if (side > wanted) return side - wanted;
  return 1000 + (wanted - side);
}
}  // namespace

bool PickIconImage(const uint8_t* bytes, size_t length, int side, IconImageSpan* span) {
  const size_t kDirSize = 6, kEntrySize = 16;
  if (!bytes || length < kDirSize || Read16(bytes) != 0 || Read16(bytes + 2) != 1) return false;
  const size_t count = Read16(bytes + 4);
  if (count > (length - kDirSize) / kEntrySize) return false;
  bool found = false;
  long long bestRank = 0;
  unsigned bestBits = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = bytes + kDirSize + i * kEntrySize;
    const size_t size = Read32(e + 8), offset = Read32(e + 12);
    if (size == 0 || offset > length || size > length - offset) continue;
    const int entrySide = e[0] ? e[0] : 256;
    const unsigned bits = Read16(e + 6);
    const long long rank = Rank(entrySide, side);
    if (!found || rank < bestRank || (rank == bestRank && bits > bestBits)) {
      found = true;
      bestRank = rank;
      bestBits = bits;
      *span = {offset, size, entrySide};
    }
  }
  return found;
}
