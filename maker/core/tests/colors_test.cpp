// Tests of the colours: the palette as pixels and as Puzzle.ini texts, and the background
// choices that the window and klvmake share.
#include "maker/colors.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>

#include "conversion/package.h"

namespace klv {
namespace {

// Every palette entry's text reads back, by the package library's own reading, as the
// colour its tiles are painted with; the colour numbers' texts stay where they read so.
TEST(Colors, PaletteColoursAndTheTextsTheLibraryReadsAsThem) {
  struct Case {
    int index;
    uint32_t rgb;
    const char* text;
  };
  const Case cases[] = {
      {0, 0x000000, "0"},       {1, 0x000080, "000080"},  {2, 0x008000, "008000"},
      {3, 0x008080, "008080"},  {4, 0x800000, "80"},      {5, 0x800080, "800080"},
      {6, 0x808000, "8080"},    {7, 0xC0C0C0, "C0C0C0"},  {8, 0x808080, "808080"},
      {9, 0x0000FF, "0000FF"},  {10, 0x00FF00, "00FF00"}, {11, 0x00FFFF, "00FFFF"},
      {12, 0xFF0000, "FF"},     {13, 0xFF00FF, "FF00FF"}, {14, 0xFFFF00, "FFFF"},
      {15, 0xFFFFFF, "FFFFFF"}, {-1, 0x000000, "0"},      {16, 0x000000, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(QBColor(c.index), c.rgb);
    EXPECT_EQ(BackColorText(c.index), c.text);
    const std::array<uint8_t, 3> read = ParseBackColor(BackColorText(c.index));
    EXPECT_EQ(uint32_t{read[0]} << 16 | uint32_t{read[1]} << 8 | read[2], c.rgb);
  }
}

TEST(Colors, BackgroundChoicesByName) {
  struct Case {
    const char* name;
    std::optional<int16_t> index;
  };
  const Case cases[] = {
      {"black", 0}, {"blue", 9},     {"green", 10},  {"cyan", 11},
      {"red", 12},  {"magenta", 13}, {"yellow", 14}, {"white", 15},
      {"Cyan", 11}, {"MAGENTA", 13}, {"purple", {}}, {"", {}},
      {"whit", {}}, {"whites", {}},  {"grey", {}},   {"black ", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(BackgroundIndexByName(c.name), c.index);
  }
}

}  // namespace
}  // namespace klv
