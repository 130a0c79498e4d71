// Tests of the colours: the palette as pixels and as Puzzle.ini texts, and the background
// choices that the window and klvmake share.
#include "maker/colors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace klv {
namespace {

TEST(Colors, PaletteColoursAndTheirProfileTexts) {
  struct Case {
    int index;
    uint32_t rgb;
    const char* text;
  };
  const Case cases[] = {
      {0, 0x000000, "0"},       {1, 0x000080, "800000"},  {2, 0x008000, "8000"},
      {3, 0x008080, "808000"},  {4, 0x800000, "80"},      {5, 0x800080, "800080"},
      {6, 0x808000, "8080"},    {7, 0xC0C0C0, "C0C0C0"},  {8, 0x808080, "808080"},
      {9, 0x0000FF, "FF0000"},  {10, 0x00FF00, "FF00"},   {11, 0x00FFFF, "FFFF00"},
      {12, 0xFF0000, "FF"},     {13, 0xFF00FF, "FF00FF"}, {14, 0xFFFF00, "FFFF"},
      {15, 0xFFFFFF, "FFFFFF"}, {-1, 0x000000, "0"},      {16, 0x000000, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(QBColor(c.index), c.rgb);
    EXPECT_EQ(BackColorText(c.index), c.text);
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
