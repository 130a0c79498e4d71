// Tests of the tile effect with scripted random draws: the number and order of the draws,
// which candidate tile each draw value selects in every cell class, the strict thresholds
// compared in double precision, and the properties of whole renders.
#include "maker/tile_effect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "maker/grid.h"
#include "maker/make_values.h"
#include "maker/work_canvas.h"

namespace klv {
namespace {

constexpr uint32_t kBackground = 0xFF00FF;  // palette index 13
constexpr uint32_t kWhite = 0xFFFFFF;

// Draw number i (from 0) gives value(i); counts the draws.
class ScriptedSource : public UniformSource {
 public:
  explicit ScriptedSource(std::function<float(size_t)> value) : value_(std::move(value)) {}
  float Next() override { return value_(draws_++); }
  size_t draws() const { return draws_; }

 private:
  std::function<float(size_t)> value_;
  size_t draws_ = 0;
};

// A picture with no pixel equal to the background or to white.
Raster Picture(int width, int height) {
  Raster picture = Raster::Filled(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.Set(x, y, static_cast<uint32_t>(((x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x11));
    }
  }
  return picture;
}

struct Render {
  WorkCanvas canvas;
  size_t draws;
};

Render RunEffect(const Raster& picture, Grid grid, double piece, double background,
                 std::function<float(size_t)> draws) {
  Render render{PrepareWorkCanvas(picture, grid, 13), 0};
  ScriptedSource source(std::move(draws));
  RenderTileEffect(picture, render.canvas, grid, piece, background, source);
  render.draws = source.draws();
  return render;
}

Render RunEffect(const Raster& picture, Grid grid, double piece, double background, uint32_t seed) {
  Render render{PrepareWorkCanvas(picture, grid, 13), 0};
  RandomSource random(seed);
  ScriptedSource source([&random](size_t) { return random.Next(); });
  RenderTileEffect(picture, render.canvas, grid, piece, background, source);
  render.draws = source.draws();
  return render;
}

// How many tiles hold picture pixel (X, Y) at its place.
int TilesHolding(const Render& render, const Raster& picture, Grid grid, int X, int Y) {
  int count = 0;
  for (int r = 0; r < grid.yMax; ++r) {
    for (int c = 0; c < grid.xMax; ++c) {
      const int u = X - 32 * c;
      const int v = Y - 32 * r;
      if (u < 0 || v < 0 || u >= 64 || v >= 64) continue;
      const Raster& tile = render.canvas.tiles[static_cast<size_t>(r * grid.xMax + c)];
      if (tile.At(u, v) == picture.At(X, Y)) ++count;
    }
  }
  return count;
}

TEST(TileEffect, NumberOfDraws) {
  struct Case {
    Grid grid;
    size_t draws;
  };
  const Case cases[] = {
      {{1, 1}, 4096},  // four corner cells, one draw per pixel
      {{2, 2}, 1024 * (2 * 9 - 4)},
      {{3, 2}, 1024 * (2 * 12 - 4)},
      {{9, 9}, 1024 * (2 * 100 - 4)},
      {{0, 2}, 1024 * (1 + 2 + 1)},  // corner, left edge, corner
      {{2, 0}, 1024 * (1 + 2 + 1)},  // corner, top edge, corner
      {{0, 0}, 1024},
      {{-1, 3}, 0},
      {{3, -1}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.grid.xMax << " x " << c.grid.yMax);
    const Raster picture = Picture(320, 320);
    EXPECT_EQ(RunEffect(picture, c.grid, 0.3, 0.15, [](size_t) { return 0.5f; }).draws, c.draws);
  }
}

TEST(TileEffect, CandidateSelectedByTheDrawInEveryCellClass) {
  // The 2 x 2 grid has one cell of every class. For each cell: its candidates in order,
  // as (tile index, where the cell lies in the tile).
  struct Target {
    int tile, dx, dy;
  };
  struct Cell {
    int R, C;
    std::vector<Target> candidates;
  };
  const Cell cells[] = {
      {0, 0, {{0, 0, 0}}},                                       // top-left corner
      {0, 2, {{1, 32, 0}}},                                      // top-right corner
      {2, 0, {{2, 0, 32}}},                                      // bottom-left corner
      {2, 2, {{3, 32, 32}}},                                     // bottom-right corner
      {1, 0, {{0, 0, 32}, {2, 0, 0}}},                           // left edge
      {0, 1, {{0, 32, 0}, {1, 0, 0}}},                           // top edge
      {2, 1, {{2, 32, 32}, {3, 0, 32}}},                         // bottom edge
      {1, 2, {{1, 32, 32}, {3, 32, 0}}},                         // right edge
      {1, 1, {{0, 32, 32}, {1, 0, 32}, {2, 32, 0}, {3, 0, 0}}},  // interior
  };
  const Grid grid{2, 2};
  const Raster picture = Picture(96, 96);
  for (const Cell& cell : cells) {
    const int k = static_cast<int>(cell.candidates.size());
    // With piece density 0 the draw (j - 0.5) / k selects candidate j alone.
    for (int j = 1; j <= k; ++j) {
      SCOPED_TRACE(testing::Message() << "cell " << cell.R << ", " << cell.C << " draw for " << j);
      const float draw = static_cast<float>((j - 0.5) / k);
      const Render render = RunEffect(picture, grid, 0.0, 0.0, [draw](size_t) { return draw; });
      for (int i = 1; i <= k; ++i) {
        const Target& target = cell.candidates[static_cast<size_t>(i - 1)];
        const Raster& tile = render.canvas.tiles[static_cast<size_t>(target.tile)];
        for (int x = 0; x < 32; ++x) {
          for (int y = 0; y < 32; ++y) {
            const uint32_t expected =
                (k == 1 || i == j) ? picture.At(32 * cell.C + x, 32 * cell.R + y) : kBackground;
            ASSERT_EQ(tile.At(x + target.dx, y + target.dy), expected)
                << "candidate " << i << " pixel " << x << ", " << y;
          }
        }
      }
    }
  }
}

TEST(TileEffect, ThresholdsAreStrictAndComparedAsDoubles) {
  // Interior cell (1, 1) of a 2 x 2 grid feeds tiles 0, 1, 2, 3 (in candidate order); the
  // top edge cell (0, 1) feeds tiles 0 and 1. Pixel offsets (5, 7) inside the cell.
  struct Case {
    double piece;
    float draw;
    int R, C;
    std::vector<int> tiles;  // the tiles that receive the pixel
  };
  const float above_0475 = std::nextafter(0.475f, 1.0f);
  const float above_065 = std::nextafter(0.65f, 1.0f);
  const Case cases[] = {
      {0.0, 0.0f, 1, 1, {0}},
      {0.0, 0.2499f, 1, 1, {0}},
      {0.0, 0.25f, 1, 1, {1}},
      {0.0, 0.5f, 1, 1, {2}},
      {0.0, 0.75f, 1, 1, {3}},
      {0.0, 0.9999f, 1, 1, {3}},
      {0.0, 0.4999f, 0, 1, {0}},
      {0.0, 0.5f, 0, 1, {1}},
      {0.5, 0.4999f, 1, 1, {0, 1, 2, 3}},
      {0.5, 0.5f, 1, 1, {0}},  // equal to the density: not below it
      {0.5, 0.625f, 1, 1, {1}},
      {0.5, 0.75f, 1, 1, {2}},
      {0.5, 0.875f, 1, 1, {3}},
      {0.5, 0.4999f, 0, 1, {0, 1}},
      {0.5, 0.75f, 0, 1, {1}},
      // 0.3 + (0.7 / 4) x 1 is 0.475 in double; the float 0.475f lies just below it.
      {0.3, 0.475f, 1, 1, {0}},
      {0.3, above_0475, 1, 1, {1}},
      // 0.3 + (0.7 / 2) x 1 is 0.6499999999999999; the float 0.65f lies below it.
      {0.3, 0.65f, 0, 1, {0}},
      {0.3, above_065, 0, 1, {1}},
      // The float nearest 0.3 lies above the double 0.3.
      {0.3, 0.3f, 0, 1, {0}},
      // 0.3011... + (0.6988... / 4) x 3 rounds to 0.82528215646743774, exactly this draw,
      // when the product is rounded before the add; fused into one rounding it would not.
      {30.112862586975126 / 100, 13845937 / 16777216.0f, 1, 1, {3}},
      {1.0, 0.9999f, 1, 1, {0, 1, 2, 3}},
      {1.5, 0.9999f, 0, 1, {0, 1}},
      {-0.5, 0.0f, 1, 1, {1}},  // thresholds -0.125, 0.25, 0.625
      {-0.5, 0.0f, 0, 1, {0}},  // threshold 0.25
  };
  const Grid grid{2, 2};
  const Raster picture = Picture(96, 96);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "density " << c.piece << " draw " << c.draw << " cell " << c.R << ", " << c.C);
    const float draw = c.draw;
    const Render render = RunEffect(picture, grid, c.piece, 0.0, [draw](size_t) { return draw; });
    const int X = 32 * c.C + 5;
    const int Y = 32 * c.R + 7;
    for (int tile = 0; tile < 4; ++tile) {
      const int u = X - 32 * (tile % 2);
      const int v = Y - 32 * (tile / 2);
      if (u < 0 || v < 0) continue;
      const bool expected = std::find(c.tiles.begin(), c.tiles.end(), tile) != c.tiles.end();
      EXPECT_EQ(render.canvas.tiles[static_cast<size_t>(tile)].At(u, v) == picture.At(X, Y),
                expected)
          << "tile " << tile;
    }
  }
}

TEST(TileEffect, DrawsFollowCellsRowByRowAndPixelsColumnByColumn) {
  // A 96 x 64 picture, grid 2 x 1: row 0 holds a corner (draws 0-1023), the top edge cell
  // (draws 1024-3071, r1 then r2 per pixel) and a corner (3072-4095); row 1 starts at 4096.
  const std::vector<size_t> low_draws = {1, 1024, 1025, 4096};
  auto draws = [&low_draws](size_t i) {
    return std::find(low_draws.begin(), low_draws.end(), i) != low_draws.end() ? 0.0f : 0.99f;
  };
  const Raster picture = Picture(96, 64);
  const Render render = RunEffect(picture, Grid{2, 1}, 0.3, 0.5, draws);
  const Raster& base = render.canvas.base;
  const Raster& tile0 = render.canvas.tiles[0];
  const Raster& tile1 = render.canvas.tiles[1];
  ASSERT_EQ(render.draws, 1024u * 8);

  // Corner cell (0, 0): one draw per pixel, y running fastest.
  EXPECT_EQ(base.At(0, 0), kWhite);
  EXPECT_EQ(base.At(0, 1), picture.At(0, 1));
  EXPECT_EQ(base.At(1, 0), kWhite);
  // Edge cell (0, 1), pixel (32, 0): r1 = 0 puts it in both tiles, r2 = 0 on the base.
  EXPECT_EQ(tile0.At(32, 0), picture.At(32, 0));
  EXPECT_EQ(tile1.At(0, 0), picture.At(32, 0));
  EXPECT_EQ(base.At(32, 0), picture.At(32, 0));
  // Pixel (32, 1): r1 = 0.99 selects the second candidate only; r2 = 0.99 skips the base.
  EXPECT_EQ(tile0.At(32, 1), kBackground);
  EXPECT_EQ(tile1.At(0, 1), picture.At(32, 1));
  EXPECT_EQ(base.At(32, 1), kWhite);
  // Cell row 1 starts after the whole of row 0.
  EXPECT_EQ(base.At(0, 32), picture.At(0, 32));
  EXPECT_EQ(base.At(0, 33), kWhite);
}

TEST(TileEffect, SingleTileIsACompleteCopyWhateverTheDraws) {
  const Raster picture = Picture(64, 64);
  for (double piece : {0.0, 0.3, 1.0}) {
    const Render render = RunEffect(picture, Grid{1, 1}, piece, 0.0, 7u);
    EXPECT_EQ(render.draws, 4096u);
    EXPECT_EQ(render.canvas.tiles[0], picture);
  }
}

TEST(TileEffect, PieceDensityDecidesHowManyTilesHoldAPixel) {
  const Grid grid{4, 3};
  const Raster picture = Picture(160, 128);
  struct Case {
    double piece;
    bool exactly_one;  // else: all candidates
  };
  const Case cases[] = {{0.0, true}, {1.0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.piece);
    const Render render = RunEffect(picture, grid, c.piece, 0.15, 3u);
    for (int Y = 0; Y < 128; ++Y) {
      for (int X = 0; X < 160; ++X) {
        const int columns = (X < 32 || X >= 128) ? 1 : 2;
        const int rows = (Y < 32 || Y >= 96) ? 1 : 2;
        ASSERT_EQ(TilesHolding(render, picture, grid, X, Y), c.exactly_one ? 1 : columns * rows)
            << X << ", " << Y;
      }
    }
  }
  // In between, every pixel is in at least one tile, and some in several.
  const Render render = RunEffect(picture, grid, 0.3, 0.15, 3u);
  int shared = 0;
  for (int Y = 0; Y < 128; ++Y) {
    for (int X = 0; X < 160; ++X) {
      const int holding = TilesHolding(render, picture, grid, X, Y);
      ASSERT_GE(holding, 1) << X << ", " << Y;
      shared += holding > 1;
    }
  }
  EXPECT_GT(shared, 0);
}

TEST(TileEffect, BasePatternDoesNotDependOnThePieceDensity) {
  const Raster picture = Picture(128, 96);
  const Raster base_low = RunEffect(picture, Grid{3, 2}, 0.0, 0.4, 5u).canvas.base;
  const Raster base_high = RunEffect(picture, Grid{3, 2}, 1.0, 0.4, 5u).canvas.base;
  EXPECT_EQ(base_low, base_high);
  EXPECT_NE(base_low, RunEffect(picture, Grid{3, 2}, 0.0, 0.4, 6u).canvas.base);
}

TEST(TileEffect, BackgroundDensityBounds) {
  const Raster picture = Picture(128, 96);
  struct Case {
    double background;
    bool all_picture;  // else all white
  };
  const Case cases[] = {{0.0, false}, {-1.0, false}, {1.0, true}, {1.5, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.background);
    const Raster base = RunEffect(picture, Grid{3, 2}, 0.3, c.background, 9u).canvas.base;
    EXPECT_EQ(base, c.all_picture ? picture : Raster::Filled(128, 96, kWhite));
  }
}

TEST(TileEffect, GridsWithZeroOrNegativeCountsAndPicturesSmallerThanTheGrid) {
  {
    // 40 x 100: grid 0 x 2, no tile surface; the copies to tiles are skipped.
    const Raster picture = Picture(40, 100);
    const Render render = RunEffect(picture, Grid{0, 2}, 0.3, 1.0, 1u);
    EXPECT_TRUE(render.canvas.tiles.empty());
    for (int y = 0; y < 100; ++y) {
      for (int x = 0; x < 40; ++x) ASSERT_EQ(render.canvas.base.At(x, y), picture.At(x, y));
    }
  }
  {
    // -1 x 3: no cell column, no draw, nothing changes.
    const Raster picture = Picture(20, 128);
    const Render render = RunEffect(picture, Grid{-1, 3}, 0.3, 1.0, 1u);
    EXPECT_EQ(render.draws, 0u);
    EXPECT_EQ(render.canvas.base, PrepareWorkCanvas(picture, Grid{-1, 3}, 13).base);
  }
  {
    // 305 x 305 rounds up to 9 x 9 (320 x 320): pixels beyond the picture keep the
    // background in the tiles, and the base keeps the picture's own size.
    const Raster picture = Picture(305, 305);
    const Render render = RunEffect(picture, Grid{9, 9}, 1.0, 1.0, 1u);
    const Raster& last = render.canvas.tiles[80];
    EXPECT_EQ(last.At(48, 48), picture.At(304, 304));
    EXPECT_EQ(last.At(49, 48), kBackground);
    EXPECT_EQ(last.At(63, 63), kBackground);
    EXPECT_EQ(render.canvas.base, picture);
  }
}

}  // namespace
}  // namespace klv
