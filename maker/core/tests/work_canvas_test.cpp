// Tests of the work canvas: how many tile surfaces a grid prepares, their colour, and the
// base surface white over the covered area with the picture beyond it.
#include "maker/work_canvas.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "maker/colors.h"
#include "maker/grid.h"

namespace klv {
namespace {

// A picture whose every pixel differs from white and from its neighbours.
Raster Picture(int width, int height) {
  Raster picture = Raster::Filled(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.Set(x, y, static_cast<uint32_t>((x << 12) | y));
  }
  return picture;
}

TEST(WorkCanvas, SurfacesForPictureSizes) {
  struct Case {
    int width, height;
    int tiles;
    int white_width, white_height;  // the white part of the base, from (0, 0)
  };
  const Case cases[] = {
      {320, 320, 81, 320, 320},  // 9 x 9
      {128, 96, 6, 128, 96},     // 3 x 2
      {303, 303, 64, 288, 288},  // 8 x 8: strips of picture right and below
      {305, 305, 81, 305, 305},  // 9 x 9, the white rectangle cut at the edge
      {40, 100, 0, 32, 96},      // 0 x 2: no tile surface
      {15, 15, 1, 0, 0},         // -1 x -1: no white at all
      {64, 64, 1, 64, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const Raster picture = Picture(c.width, c.height);
    const Grid grid = GridForPicture(c.width, c.height);
    const WorkCanvas canvas = PrepareWorkCanvas(picture, grid, 13);

    ASSERT_EQ(static_cast<int>(canvas.tiles.size()), c.tiles);
    for (const Raster& tile : canvas.tiles) {
      EXPECT_EQ(tile, Raster::Filled(64, 64, 0xFF00FF));
    }
    ASSERT_EQ(canvas.base.width, c.width);
    ASSERT_EQ(canvas.base.height, c.height);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const bool covered = x < c.white_width && y < c.white_height;
        ASSERT_EQ(canvas.base.At(x, y), covered ? 0xFFFFFFu : picture.At(x, y))
            << "at " << x << ", " << y;
      }
    }
  }
}

TEST(WorkCanvas, TilesTakeTheBackgroundColourOfTheIndex) {
  const Raster picture = Picture(96, 96);
  for (int index : {0, 9, 10, 11, 12, 13, 14, 15}) {
    SCOPED_TRACE(index);
    const WorkCanvas canvas = PrepareWorkCanvas(picture, Grid{2, 2}, index);
    ASSERT_EQ(canvas.tiles.size(), 4u);
    for (const Raster& tile : canvas.tiles) {
      EXPECT_EQ(tile, Raster::Filled(64, 64, QBColor(index)));
    }
  }
}

TEST(WorkCanvas, NegativeOrZeroProductPreparesNoTile) {
  const Raster picture = Picture(64, 64);
  for (Grid grid : {Grid{0, 5}, Grid{5, 0}, Grid{-1, 3}, Grid{3, -1}}) {
    EXPECT_TRUE(PrepareWorkCanvas(picture, grid, 13).tiles.empty());
  }
}

}  // namespace
}  // namespace klv
