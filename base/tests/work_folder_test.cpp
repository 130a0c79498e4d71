// Tests of the work folder's tile file names: the name written for a tile, and which
// names the "res????.bmp" pattern that removes tile files takes.
#include "base/work_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace klv {
namespace {

TEST(WorkFolder, TileFileNames) {
  struct Case {
    int row, column;
    const char* name;
  };
  const Case cases[] = {{0, 0, "res0000.bmp"},  {0, 3, "res0003.bmp"}, {3, 0, "res0300.bmp"},
                        {1, 10, "res0110.bmp"}, {8, 8, "res0808.bmp"}, {100, 7, "res10007.bmp"}};
  for (const Case& c : cases) EXPECT_EQ(TileFileName(c.row, c.column), c.name);
}

// "?" stands for one character of the file name, not one byte.
TEST(WorkFolder, TilePatternTakesResFourCharactersBmp) {
  struct Case {
    std::string name;
    bool tile;
  };
  const Case cases[] = {
      {"res0000.bmp", true},
      {"resabcd.bmp", true},
      {"res\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88.bmp", true},  // four kana
      {"res\xF0\x9F\x98\xBAxyz.bmp", true},    // a 4-byte character and three letters
      {"res\xC3\xA9zz.bmp", false},            // three characters
      {"res\xFF\xFE\x80\x81.bmp", true},       // a byte of no character counts as one
      {"res\xED\xA0\x80x.bmp", true},          // so do the three of an encoded surrogate
      {"res\xE3\x81\x82\xE3\x81.bmp", false},  // a kana and the two bytes of a cut one
      {"res000.bmp", false},
      {"res00000.bmp", false},
      {"res.bmp", false},
      {"", false},
      {"xres0000.bmp", false},
      {"res0000.bmp.bak", false},
      {"res0000.BMP", false},  // Linux names keep their case
  };
  for (const Case& c : cases) EXPECT_EQ(IsTileFileName(c.name), c.tile) << c.name;
}

}  // namespace
}  // namespace klv
