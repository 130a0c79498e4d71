// Tests of the tile grid: the grid a picture size gives, the status line and the proposed
// puzzle name.
#include "maker/grid.h"

#include <gtest/gtest.h>

#include <string>

#include "base/platform.h"

namespace klv {
namespace {

std::string Cp932(const std::string& utf8) {
  const std::optional<std::string> converted = Utf8ToCp932(utf8);
  EXPECT_TRUE(converted.has_value()) << utf8;
  return converted.value_or("");
}

TEST(Grid, SideRoundsHalfToEven) {
  struct Case {
    int side;
    int16_t count;
    bool fits;
  };
  const Case cases[] = {
      {15, -1, true},   {16, 0, true},  {48, 0, true},  {64, 1, true},  {80, 2, true},
      {303, 8, true},   {304, 8, true}, {305, 9, true}, {320, 9, true}, {335, 9, true},
      {336, 10, false}, {1, -1, true},  {0, -1, true},  {112, 2, true}, {65536, 2047, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.side);
    const Grid across = GridForPicture(c.side, 64);
    EXPECT_EQ(across.xMax, c.count);
    EXPECT_EQ(across.yMax, 1);
    const Grid down = GridForPicture(64, c.side);
    EXPECT_EQ(down.xMax, 1);
    EXPECT_EQ(down.yMax, c.count);
    EXPECT_EQ(GridFits(across), c.fits);
    EXPECT_EQ(GridFits(down), c.fits);
  }
}

TEST(Grid, EitherSideTooLargeFailsTheCheck) {
  EXPECT_EQ(GridForPicture(304, 305), (Grid{8, 9}));
  EXPECT_FALSE(GridFits(GridForPicture(336, 100)));
  EXPECT_FALSE(GridFits(GridForPicture(100, 336)));
  EXPECT_TRUE(GridFits(GridForPicture(335, 335)));
  EXPECT_TRUE(GridFits(Grid{-1, -1}));
}

TEST(Grid, ProposedNameIsTheFirst15CharactersBeforeTheFirstDot) {
  struct Case {
    std::string file_name;  // UTF-8, converted before the call
    std::string proposed;
  };
  const Case cases[] = {
      {"abc.def.bmp", "abc"},
      {"cat.bmp", "cat"},
      {".bmp", ""},
      {"noextension", "noextension"},
      {"abcdefghijklmnopqrst.bmp", "abcdefghijklmno"},
      {"abcdefghijklmno.bmp", "abcdefghijklmno"},
      // Double-byte characters count one each: 16 of them give 15 (30 bytes).
      {"あいうえおかきくけこさしすせそた.bmp", "あいうえおかきくけこさしすせそ"},
      // Half-width katakana are single bytes.
      {"ﾊﾟｽﾞﾙﾊﾟｽﾞﾙﾊﾟｽﾞﾙﾊﾟｽﾞﾙ.bmp", "ﾊﾟｽﾞﾙﾊﾟｽﾞﾙﾊﾟｽﾞﾙ"},
      // A trail byte 0x5C ("ソ") or 0x2E-like bytes do not cut the name early.
      {"ソソソ.bmp", "ソソソ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file_name);
    EXPECT_EQ(ProposePuzzleName(Cp932(c.file_name)), Cp932(c.proposed));
  }
}

}  // namespace
}  // namespace klv
