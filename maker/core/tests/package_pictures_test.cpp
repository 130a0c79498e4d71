// Tests of the package pictures: decoding a read package's chunks into rasters in their
// grid places, the solved picture with the background colour transparent, and the sheet.
#include "maker/package_pictures.h"

#include <gtest/gtest.h>

#include "maker/bitmap_codec.h"

namespace klv {
namespace {

constexpr uint32_t kMagenta = 0xFF00FF;

PackagePicture Chunk(int64_t index, int row, int column, const Raster& raster) {
  return {static_cast<uint64_t>(1000 + index), index, row, column, EncodeBitmap24(raster)};
}

// A 64 x 64 tile of background colour with one square of `color` at (x, y), 2 x 2.
Raster Tile(int x, int y, uint32_t color) {
  Raster tile = Raster::Filled(64, 64, kMagenta);
  for (int v = 0; v < 2; ++v) {
    for (int u = 0; u < 2; ++u) tile.Set(x + u, y + v, color);
  }
  return tile;
}

PackageHeader Grid(int16_t x_max, int16_t y_max) {
  PackageHeader header = NewPackageHeader(x_max, y_max);
  header.backColor = {0xFF, 0x00, 0xFF};
  return header;
}

TEST(PackagePictures, DecodesTheChunksInTheirGridPlaces) {
  Package package;
  package.header = Grid(2, 1);
  package.base = PackagePicture{612, -1, -1, -1, EncodeBitmap24(Raster::Filled(96, 64, 0xFFFFFF))};
  package.tiles = {Chunk(0, 0, 0, Tile(0, 0, 1)), Chunk(1, 0, 1, Tile(0, 0, 2)),
                   Chunk(2, -1, -1, Tile(0, 0, 3))};  // beyond the grid: left out
  package.tiles[1].bmp.resize(60);                    // cut short: reported
  const PackagePictures pictures = DecodePackagePictures(package);
  ASSERT_TRUE(pictures.base);
  EXPECT_EQ(*pictures.base, Raster::Filled(96, 64, 0xFFFFFF));
  ASSERT_EQ(pictures.tiles.size(), 1u);
  EXPECT_EQ(pictures.tiles[0].raster, Tile(0, 0, 1));
  ASSERT_EQ(pictures.problems.size(), 1u);
  EXPECT_EQ(pictures.problems[0].chunk, "KLVP 1 (row 0, column 1)");
  EXPECT_EQ(pictures.problems[0].offset, 1001u);
  EXPECT_NE(pictures.problems[0].what.find("does not decode"), std::string::npos);
}

TEST(PackagePictures, PicturesPastThePixelBudgetAreProblemsNotDecoded) {
  Package package;
  package.header = Grid(2, 1);
  package.tiles = {Chunk(0, 0, 0, Tile(0, 0, 1)), Chunk(1, 0, 1, Tile(0, 0, 2)),
                   Chunk(2, 1, 0, Tile(0, 0, 3))};
  // The second tile takes the decoded pixels past the budget: the third is not decoded.
  const PackagePictures pictures = DecodePackagePictures(package, 64 * 64 * 2 - 1);
  EXPECT_EQ(pictures.tiles.size(), 2u);
  ASSERT_EQ(pictures.problems.size(), 1u);
  EXPECT_EQ(pictures.problems[0].chunk, "KLVP 2 (row 1, column 0)");
  EXPECT_NE(pictures.problems[0].what.find("together pass 8191 pixels"), std::string::npos);
}

TEST(PackagePictures, SolvedPictureLaysTilesWithTheBackgroundTransparent) {
  const PackageHeader header = Grid(2, 2);
  // Tile (0, 1) lies at (32, 0): its square at (32, 32) of its own covers (64, 32) to
  // (65, 33). Tile (1, 1) lies at (32, 32): its square at (33, 0) covers (65, 32) to
  // (66, 33). Where both have colour the later one wins.
  const std::vector<TileRaster> tiles = {
      {0, 0, 0, Tile(0, 0, 0x000001)},
      {1, 0, 1, Tile(32, 32, 0x000002)},
      {3, 1, 1, Tile(33, 0, 0x000003)},
      {2, 1, 0, Tile(0, 0, kMagenta)},  // all background: changes nothing
  };
  const StatusOr<Raster> picture = ReassemblePicture(header, tiles);
  ASSERT_TRUE(picture.ok()) << picture.status().reason();
  EXPECT_EQ(picture->width, 96);
  EXPECT_EQ(picture->height, 96);
  struct Pixel {
    int x, y;
    uint32_t color;
  } pixels[] = {
      {0, 0, 0x000001},   {1, 1, 0x000001},   {2, 2, kMagenta},   {64, 32, 0x000002},
      {64, 33, 0x000002}, {65, 32, 0x000003}, {66, 33, 0x000003}, {67, 32, kMagenta},
      {0, 32, kMagenta},  {95, 95, kMagenta},
  };
  for (const Pixel& p : pixels) {
    EXPECT_EQ(picture->At(p.x, p.y), p.color) << p.x << ", " << p.y;
  }
}

TEST(PackagePictures, PicturesThatCannotBeMadeSayWhy) {
  struct Case {
    PackageHeader header;
    const char* cause;
  } cases[] = {
      {Grid(0, 3), "the grid holds no tile"},
      {Grid(-1, 8), "the grid holds no tile"},
      {Grid(32767, 32767), "the picture would be 1048576 x 1048576 pixels"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReassemblePicture(c.header, {}).status().reason(), c.cause);
  }
  PackagePictures one_tile;
  one_tile.tiles = {{0, 0, 0, Tile(0, 0, 1)}};
  EXPECT_EQ(PackageSheet(Grid(32767, 32767), one_tile).status().reason(),
            "the sheet would be 2359232 x 2359232 pixels");
}

TEST(PackagePictures, SheetShowsTheBaseAndEveryTileInItsCell) {
  PackagePictures pictures;
  pictures.base = Raster::Filled(100, 70, 0x111111);
  pictures.tiles = {{0, 0, 0, Raster::Filled(64, 64, 0x222222)},
                    {5, 1, 2, Raster::Filled(64, 64, 0x333333)}};
  const StatusOr<Raster> sheet = PackageSheet(Grid(3, 2), pictures);
  ASSERT_TRUE(sheet.ok()) << sheet.status().reason();
  // 8 + 100 + 8, then three cells of 64 + 8; 8 + two cells of 64 + 8.
  EXPECT_EQ(sheet->width, 116 + 3 * 72);
  EXPECT_EQ(sheet->height, 8 + 2 * 72);
  struct Pixel {
    int x, y;
    uint32_t color;
  } pixels[] = {
      {7, 7, kSheetColor},         {8, 8, 0x111111},          {107, 77, 0x111111},
      {108, 78, kSheetColor},      {116, 8, 0x222222},        {179, 71, 0x222222},
      {180, 8, kSheetColor},       {116 + 144, 80, 0x333333}, {116 + 144 + 63, 143, 0x333333},
      {116 + 72, 80, kSheetColor},
  };
  for (const Pixel& p : pixels) {
    EXPECT_EQ(sheet->At(p.x, p.y), p.color) << p.x << ", " << p.y;
  }
}

}  // namespace
}  // namespace klv
