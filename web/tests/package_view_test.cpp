// Tests of a package opened on the page: its rows say what its header holds, a damaged
// package opens with its problems, a file that is no package does not open, and the
// canvas bytes of a tile leave its background transparent.
#include "web/package_view.h"

#include <gtest/gtest.h>

#include "base/platform.h"
#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/make_values.h"
#include "web/page_make.h"

namespace klv::web {
namespace {

std::vector<uint8_t> MadePackage() {
  const test::TempFolder folder;
  const PagePackage made = MakePagePuzzle(
      Env::Default(), folder.path(), test::TestPhoto(128, 96),
      {.puzzleSetName = "動物", .puzzleName = "ネコ", .comment = "三毛\n猫", .seed = 5},
      WindowLanguage::kJapanese);
  return made.bytes;
}

TEST(PackageView, RowsSayWhatTheHeaderHolds) {
  const std::vector<uint8_t> bytes = MadePackage();
  RandomSource random(1);
  std::optional<PackageView> view =
      PackageView::Open(bytes, "ネコ.klv", WindowLanguage::kJapanese, random);
  ASSERT_TRUE(view);
  std::vector<std::pair<std::string, std::string>> rows;
  for (const InfoRow& row : view->rows()) rows.emplace_back(row.key, row.value);
  RandomSource seeded(5);  // the make's seed draws its password
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"File", "ネコ.klv"},
      {"fileVersion", "2"},
      {"xMax", "3"},
      {"yMax", "2"},
      {"tileSize", "64 × 64"},
      {"pictureSize", "128 × 96"},
      {"Difficulty", "5"},
      {"backColor", "#FF00FF"},
      {"PassWord", MakePuzzlePassword(seeded)},
      {"PrevPassWord", ""},
      {"PuzzleSetName", "動物"},
      {"PuzzleName", "ネコ"},
      {"LongPuzzleName", "三毛"},
      {"tiles", "6"},
      {"bytes", std::to_string(bytes.size()) + " バイト"},
  };
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(view->rows()[11].label, "パズルの名前");
  EXPECT_EQ(view->problems_heading(), "問題はありません");
  EXPECT_EQ(view->play().TileCount(), 6);
  EXPECT_EQ(view->play().PlacedCount(), 0);  // scattered
}

TEST(PackageView, ADamagedPackageOpensWithItsProblemsAndAnythingElseNot) {
  std::vector<uint8_t> bytes = MadePackage();
  bytes.resize(bytes.size() - 100);
  RandomSource random(1);
  const std::optional<PackageView> view =
      PackageView::Open(bytes, "cut.klv", WindowLanguage::kEnglish, random);
  ASSERT_TRUE(view);
  ASSERT_FALSE(view->problems().empty());
  EXPECT_EQ(view->problems_heading(), std::to_string(view->problems().size()) + " problems");
  EXPECT_EQ(view->rows()[11].value, "ネコ");
  EXPECT_EQ(view->play().TileCount(), 5);  // the last tile is cut

  const test::Bytes png = test::EncodePngRaster(test::TestPhoto(64, 64));
  EXPECT_FALSE(PackageView::Open(png, "photo.png", WindowLanguage::kEnglish, random));
}

TEST(PackageView, CanvasBytesLeaveTheBackgroundTransparent) {
  Raster tile = Raster::Filled(2, 1, 0xFF00FF);
  tile.Set(1, 0, 0x123456);
  EXPECT_EQ(CanvasBytes(tile, 0xFF00FF),
            (std::vector<uint8_t>{0xFF, 0x00, 0xFF, 0, 0x12, 0x34, 0x56, 255}));
  EXPECT_EQ(CanvasBytes(tile, std::nullopt),
            (std::vector<uint8_t>{0xFF, 0x00, 0xFF, 255, 0x12, 0x34, 0x56, 255}));
}

}  // namespace
}  // namespace klv::web
