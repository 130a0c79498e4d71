// Tests of the fit to the grid: the covered area and scale chosen for photos of every
// shape, the crop's syntax and bounds, the area-averaging reduction's exact levels, and
// the same reduction computed row by row for a kept rectangle alone.
#include "maker/picture_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace klv {
namespace {

TEST(PictureFit, CoveredAreaIsTheLargestThatKeeps90PercentAndScalesDownOnly) {
  const struct {
    const char* name;
    int width, height;
    FitPlan plan;  // scaled, covered, cut
  } cases[] = {
      {"4:3 photo", 4000, 3000, {341, 256, 320, 256, 10, 0}},
      {"3:4 photo", 3000, 4000, {256, 341, 256, 320, 0, 10}},
      {"wide banner", 1280, 400, {320, 100, 320, 96, 0, 2}},
      {"square", 1000, 1000, {320, 320, 320, 320, 0, 0}},
      {"just over the grid", 336, 336, {320, 320, 320, 320, 0, 0}},
      {"only 288 x 64 keeps 90%", 1280, 300, {288, 68, 288, 64, 0, 2}},
      {"panorama: none keeps 90%, the one that keeps most", 4000, 500, {512, 64, 320, 64, 96, 0}},
      {"small: only cut", 200, 150, {200, 150, 192, 128, 4, 11}},
      {"small, exact", 320, 320, {320, 320, 320, 320, 0, 0}},
      {"smallest", 64, 64, {64, 64, 64, 64, 0, 0}},
  };
  for (const auto& c : cases) {
    const StatusOr<FitPlan> plan = PlanFit(c.width, c.height);
    ASSERT_TRUE(plan.ok()) << c.name << ": " << plan.status().reason();
    EXPECT_EQ(*plan, c.plan) << c.name;
  }
}

TEST(PictureFit, PictureUnder64PixelsOnASideCannotBeFitted) {
  for (const auto& [width, height] : {std::pair{63, 500}, {4000, 63}, {1, 1}}) {
    EXPECT_EQ(PlanFit(width, height).status().reason(),
              "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels; fitting it to the grid needs at least 64 x 64");
  }
}

TEST(PictureFit, CropIsParsedStrictly) {
  const struct {
    const char* text;
    std::optional<CropRect> crop;
  } cases[] = {
      {"640x480+100+50", CropRect{640, 480, 100, 50}},
      {"1x1+0+0", CropRect{1, 1, 0, 0}},
      {"999999999x1+0+999999999", CropRect{999999999, 1, 0, 999999999}},
      {"", std::nullopt},
      {"640x480", std::nullopt},
      {"640x480+1", std::nullopt},
      {"640X480+1+1", std::nullopt},
      {"-1x5+0+0", std::nullopt},
      {"640x480+-1+0", std::nullopt},
      {" 640x480+0+0", std::nullopt},
      {"640x480+0+0 ", std::nullopt},
      {"640x480+0+0+0", std::nullopt},
      {"6.5x4+0+0", std::nullopt},
      {"1000000000x1+0+0", std::nullopt},
      {"0x5+0+0", std::nullopt},
  };
  for (const auto& c : cases) {
    const StatusOr<CropRect> crop = ParseCrop(c.text);
    EXPECT_EQ(crop.ok(), c.crop.has_value()) << c.text;
    if (c.crop) {
      EXPECT_EQ(crop.value_or(CropRect{}), *c.crop) << c.text;
    } else {
      EXPECT_FALSE(crop.status().reason().empty()) << c.text;
    }
  }
  EXPECT_EQ(ParseCrop("0x5+0+0").status().reason(),
            "the crop's width and height must be at least 1 pixel");
  EXPECT_EQ(ParseCrop("640x480+99999999999+0").status().reason(),
            "the number 99999999999 is too large: a crop's numbers have at most nine digits");
}

TEST(PictureFit, CropMustLieInsideThePicture) {
  const struct {
    CropRect crop;
    bool fits;
  } cases[] = {
      {{100, 80, 0, 0}, true},
      {{1, 1, 99, 79}, true},
      {{1, 1, 100, 0}, false},
      {{101, 1, 0, 0}, false},
      {{50, 50, 60, 0}, false},
      {{10, 10, 0, 71}, false},
      {{999999999, 1, 999999999, 0}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(CropFits(c.crop, 100, 80), c.fits) << CropText(c.crop);
}

Raster Red(int width, int height, std::vector<uint32_t> levels) {
  Raster r = Raster::Filled(width, height, 0);
  for (size_t i = 0; i < levels.size(); ++i) r.pixels[i] = levels[i] << 16;
  return r;
}

TEST(PictureFit, ReductionAveragesTheAreaEachPixelCovers) {
  const struct {
    const char* name;
    Raster in;
    Raster out;
  } cases[] = {
      {"2 x 2 blocks", Red(4, 2, {0, 100, 200, 50, 20, 40, 60, 90}), Red(2, 1, {40, 100})},
      {"a pixel shared by two", Red(3, 1, {0, 90, 180}), Red(2, 1, {30, 150})},
      {"shared down", Red(1, 3, {0, 90, 180}), Red(1, 2, {30, 150})},
      {"half rounds up", Red(2, 1, {0, 1}), Red(1, 1, {1})},
      {"a third rounds down", Red(3, 1, {0, 0, 1}), Red(1, 1, {0})},
      {"channels apart", Raster{2, 1, {0xFF0000, 0x0000FF}}, Raster{1, 1, {0x800080}}},
      {"one colour stays", Raster::Filled(7, 5, 0x123456), Raster::Filled(3, 2, 0x123456)},
      {"same size", Red(2, 1, {5, 6}), Red(2, 1, {5, 6})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReduceRaster(c.in, c.out.width, c.out.height), c.out) << c.name;
  }
}

// A raster whose pixels all differ in every channel.
Raster Pattern(int width, int height) {
  Raster r = Raster::Filled(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      r.Set(x, y,
            static_cast<uint32_t>(((x * 7 + y * 3) & 0xFF) << 16 | ((x * 5 + y * 11) & 0xFF) << 8 |
                                  ((x * y + 13) & 0xFF)));
    }
  }
  return r;
}

// The rows arrive one by one, with a top byte set as some decoders leave it; only the
// kept rectangle is computed, and it has the pixels of the whole reduction cut.
TEST(PictureFit, RowByRowFitOfAKeptRectangleGivesTheWholeReductionsPixels) {
  const Raster picture = Pattern(50, 40);
  const struct {
    const char* name;
    CropRect from;
    int scaledWidth, scaledHeight;
    CropRect keep;
  } cases[] = {
      {"all of it", {50, 40, 0, 0}, 17, 13, {17, 13, 0, 0}},
      {"centre cut", {50, 40, 0, 0}, 21, 16, {16, 16, 2, 0}},
      {"from a rectangle, cut at the bottom right", {31, 23, 12, 9}, 10, 7, {4, 3, 6, 4}},
      {"one pixel", {50, 40, 0, 0}, 3, 3, {1, 1, 1, 2}},
      {"kept at its size: copied", {20, 10, 5, 30}, 20, 10, {7, 4, 13, 6}},
      {"halved", {50, 40, 0, 0}, 25, 20, {25, 20, 0, 0}},
      {"the top rows only", {50, 40, 0, 0}, 25, 20, {10, 5, 3, 0}},
  };
  for (const auto& c : cases) {
    AreaFit fit(c.from, c.scaledWidth, c.scaledHeight, c.keep);
    EXPECT_FALSE(fit.Done()) << c.name;
    std::vector<uint32_t> row(static_cast<size_t>(picture.width));
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        row[static_cast<size_t>(x)] = picture.At(x, y) | 0xFF000000u;
      }
      fit.AddRow(row.data());
    }
    ASSERT_TRUE(fit.Done()) << c.name;
    const Raster whole = ReduceRaster(CropRaster(picture, c.from), c.scaledWidth, c.scaledHeight);
    EXPECT_EQ(fit.Take(), CropRaster(whole, c.keep)) << c.name;
  }
}

}  // namespace
}  // namespace klv
