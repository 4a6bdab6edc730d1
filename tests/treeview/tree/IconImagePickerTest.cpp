// Which image of an icon file is shown at a side: tables of directories.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tree/IconImagePicker.h"

namespace {
struct Entry {
  int width;  // as the directory stores it: 0 means 256
  int bits;
};

// A directory of the entries, each followed by 8 bytes of image, in order.
std::string Directory(const std::vector<Entry>& entries) {
  std::string s;
  auto put = [&s](unsigned v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(0, 2);
  put(1, 2);
  put(static_cast<unsigned>(entries.size()), 2);
  unsigned offset = 6 + 16 * static_cast<unsigned>(entries.size());
  for (const Entry& e : entries) {
    put(static_cast<unsigned>(e.width), 1);
    put(static_cast<unsigned>(e.width), 1);
    put(0, 2);
    put(1, 2);
    put(static_cast<unsigned>(e.bits), 2);
    put(8, 4);
    put(offset, 4);
    offset += 8;
  }
  return s + std::string(8 * entries.size(), 'x');
}

// The index of the entry chosen, or -1.
int Picked(const std::string& file, int side) {
  IconImageSpan span;
  if (!PickIconImage(reinterpret_cast<const uint8_t*>(file.data()), file.size(), side, &span))
    return -1;
  const size_t count = static_cast<unsigned char>(file[4]);
  return static_cast<int>((span.offset - 6 - 16 * count) / 8);
}
}  // namespace

TEST(IconImagePicker, TakesTheOwnImageElseTheNearestLargerElseTheLargestSmaller) {
  struct Case {
    std::vector<Entry> entries;
    int side, expected;
  } cases[] = {
      {{{16, 32}, {24, 32}, {32, 32}, {48, 32}}, 16, 0},
      {{{16, 32}, {24, 32}, {32, 32}, {48, 32}}, 24, 1},
      {{{48, 32}, {32, 32}, {24, 32}, {16, 32}}, 32, 1},  // order does not matter
      {{{16, 32}, {32, 32}, {48, 32}}, 24, 1},            // 32 scaled down, not 16 blown up
      {{{16, 32}, {48, 32}}, 20, 1},
      {{{16, 32}, {24, 32}}, 32, 1},          // nothing larger: the largest smaller
      {{{16, 32}, {0, 32}}, 40, 1},           // 0 is 256
      {{{16, 4}, {16, 32}, {16, 8}}, 16, 1},  // the deepest colour of a side
      {{{32, 32}}, 16, 0},
  };
  for (const Case& c : cases) {
    const std::string file = Directory(c.entries);
    EXPECT_EQ(Picked(file, c.side), c.expected) << "side " << c.side;
  }
}

TEST(IconImagePicker, RefusesWhatIsNoIconFileAndEntriesOutsideTheFile) {
  std::string cursor = Directory({{16, 32}});
  cursor[2] = 2;
  std::string outside = Directory({{16, 32}, {24, 32}});
  outside.resize(outside.size() - 8);  // the 24-pixel image is cut off
  std::string countTooLarge = Directory({{16, 32}});
  countTooLarge[4] = 9;
  EXPECT_EQ(Picked("", 16), -1);
  EXPECT_EQ(Picked(std::string("\0\0\1\0", 4), 16), -1);
  EXPECT_EQ(Picked(cursor, 16), -1);
  EXPECT_EQ(Picked(countTooLarge, 16), -1);
  IconImageSpan span;
  ASSERT_TRUE(
      PickIconImage(reinterpret_cast<const uint8_t*>(outside.data()), outside.size(), 24, &span));
  EXPECT_EQ(span.side, 16);
}
