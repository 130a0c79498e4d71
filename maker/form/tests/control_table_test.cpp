// The form's table against the window's design: every control inside the client area,
// named once, the colour options in order, and the places a person clicks.
#include "form/control_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace klv::form {
namespace {

bool Holds(const Rect& place, int x, int y) {
  return x >= place.x && y >= place.y && x < place.x + place.width && y < place.y + place.height;
}

TEST(ControlTable, EveryControlLiesInTheClientAreaUnderOneName) {
  const Rect client = FindControl(ControlId::kSourceScr).place;
  EXPECT_EQ(client, (Rect{0, 0, 683, 551}));
  std::set<std::pair<std::string_view, int>> names;
  int options = 0;
  for (const Control& control : SourceScrControls()) {
    SCOPED_TRACE(std::string(control.name) + " " + std::to_string(control.index));
    EXPECT_TRUE(names.insert({control.name, control.index}).second) << "named twice";
    EXPECT_GE(control.place.x, 0);
    EXPECT_GE(control.place.y, 0);
    EXPECT_LE(control.place.x + control.place.width, client.width);
    EXPECT_LE(control.place.y + control.place.height, client.height);
    if (control.id == ControlId::kOption1) {
      EXPECT_EQ(control.index, options++);
    }
    EXPECT_EQ(&FindControl(control.id, control.index), &control);
  }
  EXPECT_EQ(options, kColourOptions);
}

TEST(ControlTable, PlacesAndLimitsAreTheDesignedOnes) {
  EXPECT_EQ(FindControl(ControlId::kMakeIt).place, (Rect{495, 473, 184, 35}));
  EXPECT_EQ(FindControl(ControlId::kOption1, 5).place, (Rect{417, 484, 69, 17}));
  EXPECT_EQ(FindControl(ControlId::kOption1, 5).text.source, "マゼンダ");
  // The first file of the list and the make button, where a person clicks.
  EXPECT_TRUE(Holds(FindControl(ControlId::kFile1).place, 215, 362));
  EXPECT_TRUE(Holds(FindControl(ControlId::kMakeIt).place, 587, 491));
  EXPECT_EQ(FindControl(ControlId::kPuzzleSetName).byteLimit, 10u);
  EXPECT_EQ(FindControl(ControlId::kPuzzleName).byteLimit, 15u);
  EXPECT_EQ(FindControl(ControlId::kComment).byteLimit, 255u);
}

TEST(ControlTable, TheCanvasSurfacesDoNotOverlap) {
  const Rect base = BasePicPlace();
  EXPECT_EQ(base.width, 288);
  for (int i = 0; i < 115; ++i) {
    const Rect tile = DesPicPlace(i);
    EXPECT_EQ(tile.width, 64);
    EXPECT_LE(tile.x + tile.width, kDestScrWidth) << i;
    EXPECT_LE(tile.y + tile.height, kDestScrHeight) << i;
    EXPECT_FALSE(tile.x < base.x + base.width && base.x < tile.x + tile.width &&
                 tile.y < base.y + base.height && base.y < tile.y + tile.height)
        << i;
    if (i > 0) {
      const Rect before = DesPicPlace(i - 1);
      EXPECT_FALSE(before == tile) << i;
    }
  }
}

}  // namespace
}  // namespace klv::form
