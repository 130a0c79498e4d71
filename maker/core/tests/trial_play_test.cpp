// Tests of the trial play's rules without any window: where the scatter lays the tiles,
// the snap distance of a drop, which tile a press takes through transparent pixels, and
// where placed tiles stay. The count up to the complete puzzle is driven in the window.
#include "maker/trial_play.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace klv {
namespace {

constexpr uint32_t kBack = 0xFF00FF;

// A grid of x_max by y_max tiles, each all background but for a 4 x 4 square of colour at
// (30, 30) of its own.
std::vector<TileRaster> Tiles(int x_max, int y_max) {
  Raster raster = Raster::Filled(64, 64, kBack);
  for (int i = 0; i < 16; ++i) raster.Set(30 + i % 4, 30 + i / 4, 0x123456);
  std::vector<TileRaster> tiles;
  for (int i = 0; i < x_max * y_max; ++i) tiles.push_back({i, i / x_max, i % x_max, raster});
  return tiles;
}

TEST(TrialPlay, ScatterLaysEveryTileBesideTheBoardInARandomOrder) {
  TrialPlay play(Tiles(3, 2), kBack, 128, 96);
  const std::vector<size_t> identity = {0, 1, 2, 3, 4, 5};
  bool reordered = false;
  std::vector<size_t> first_order;
  std::vector<std::pair<int, int>> first_places;
  const auto places = [&play] {
    std::vector<std::pair<int, int>> laid;
    for (const TrialTile& t : play.Tiles()) laid.emplace_back(t.x, t.y);
    return laid;
  };
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    RandomSource random(seed);
    play.Scatter(random);
    if (seed == 1) {
      first_order = play.Order();
      first_places = places();
    }
    EXPECT_TRUE(std::is_permutation(play.Order().begin(), play.Order().end(), identity.begin()));
    reordered = reordered || play.Order() != identity;
    for (const TrialTile& t : play.Tiles()) {
      EXPECT_FALSE(t.placed);
      EXPECT_GE(t.x, play.BoardWidth() + TrialPlay::kScatterGap);
      EXPECT_LE(t.x + t.width, play.TableWidth());
      EXPECT_GE(t.y, 0);
      EXPECT_LE(t.y + t.height, play.TableHeight());
    }
  }
  EXPECT_TRUE(reordered);
  // The same draw lays the same table, whatever the table was before.
  RandomSource again(1);
  play.Scatter(again);
  EXPECT_EQ(play.Order(), first_order);
  EXPECT_EQ(places(), first_places);
}

TEST(TrialPlay, DropSnapsOnlyWithinTheSnapDistanceOfItsOwnPlace) {
  struct Case {
    int dx, dy;
    bool snaps;
  } cases[] = {{0, 0, true},  {8, 0, true},  {0, -8, true},   {5, 6, true},
               {9, 0, false}, {6, 6, false}, {-32, 0, false}, {150, 20, false}};
  for (const Case& c : cases) {
    TrialPlay play(Tiles(3, 2), kBack, 128, 96);
    RandomSource random(7);
    play.Scatter(random);
    const size_t tile = 4;  // row 1, column 1: its place is (32, 32)
    EXPECT_EQ(play.Drop(tile, 32 + c.dx, 32 + c.dy), c.snaps) << c.dx << ", " << c.dy;
    // Elsewhere it stays where it was dropped.
    EXPECT_EQ(play.Tiles()[tile].x, c.snaps ? 32 : 32 + c.dx);
    EXPECT_EQ(play.Tiles()[tile].y, c.snaps ? 32 : 32 + c.dy);
    EXPECT_EQ(play.PlacedCount(), c.snaps ? 1 : 0);
  }
}

TEST(TrialPlay, PressesReachThroughTransparentPixelsAndPlacedTilesStay) {
  TrialPlay play(Tiles(2, 1), kBack, 96, 64);
  RandomSource random(3);
  play.Scatter(random);
  // Both tiles at the same spot: the upper one is taken at its colour; with its colour
  // moved off, the lower one shows through its transparent pixels.
  play.MoveTo(0, 150, 10);
  play.MoveTo(1, 150, 10);
  play.Lift(1);
  EXPECT_EQ(play.TileAt(181, 41), 1u);
  play.MoveTo(1, 140, 10);
  EXPECT_EQ(play.TileAt(181, 41), 0u);
  EXPECT_EQ(play.TileAt(155, 15), 1u);  // no colour there: the upper box
  EXPECT_FALSE(play.TileAt(5, 5));

  // A placed tile goes under the loose ones and no longer moves.
  EXPECT_TRUE(play.Drop(1, 34, 1));
  EXPECT_EQ(play.Order().front(), 1u);
  play.MoveTo(0, 32, 0);
  EXPECT_EQ(play.TileAt(63, 31), 0u);
  play.MoveTo(0, 150, 10);
  EXPECT_FALSE(play.TileAt(63, 31));
  play.MoveTo(1, 0, 0);
  EXPECT_EQ(play.Tiles()[1].x, 32);

  // A drop off the table stays on it.
  play.Drop(0, -500, 10000);
  EXPECT_EQ(play.Tiles()[0].x, 0);
  EXPECT_EQ(play.Tiles()[0].y, play.TableHeight() - 64);
}

}  // namespace
}  // namespace klv
