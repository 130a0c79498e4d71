// Tests of the page's photo: the view of its fit says where on the photo the puzzle's
// picture comes from, with its cells and the status line (the fit itself is the core's,
// tested there).
#include "web/page_photo.h"

#include <gtest/gtest.h>

namespace klv::web {
namespace {

TEST(PagePhoto, ViewShowsWhereTheFitTakesThePuzzleFrom) {
  const struct {
    int width, height;
    std::optional<CropRect> crop;
    PhotoView expected;
  } cases[] = {
      // Fitted to 320 x 256 of the photo scaled to 341 x 256, cut 10 pixels from the left:
      // one fitted pixel is 4000 / 341 photo pixels across and 3000 / 256 down.
      {4000,
       3000,
       std::nullopt,
       {true, "Pieces: x = 9 , y = 7", 10 * 4000.0 / 341, 0, 320 * 4000.0 / 341, 3000,
        32 * 4000.0 / 341, 32 * 3000.0 / 256, Grid{9, 7}}},
      // A crop of 200 x 150 at (50, 40) is only cut, to 192 x 128 at 4 and 11 in it.
      {4000,
       3000,
       CropRect{200, 150, 50, 40},
       {true, "Pieces: x = 5 , y = 3", 54, 51, 192, 128, 32, 32, Grid{5, 3}}},
      {4000, 3000, CropRect{63, 1000, 0, 0}, {false, "The picture is too small"}},
      {60, 60, std::nullopt, {false, "The picture is too small"}},
  };
  for (const auto& c : cases) {
    std::string cause;
    const std::optional<PagePhoto> photo = PagePhoto::Allocate(c.width, c.height, &cause);
    ASSERT_TRUE(photo) << cause;
    const PhotoView view = photo->View(c.crop, WindowLanguage::kEnglish);
    EXPECT_EQ(view.usable, c.expected.usable) << view.status;
    EXPECT_EQ(view.status, c.expected.status);
    EXPECT_DOUBLE_EQ(view.keptX, c.expected.keptX) << view.status;
    EXPECT_DOUBLE_EQ(view.keptY, c.expected.keptY) << view.status;
    EXPECT_DOUBLE_EQ(view.keptWidth, c.expected.keptWidth) << view.status;
    EXPECT_DOUBLE_EQ(view.keptHeight, c.expected.keptHeight) << view.status;
    EXPECT_DOUBLE_EQ(view.cellWidth, c.expected.cellWidth) << view.status;
    EXPECT_DOUBLE_EQ(view.cellHeight, c.expected.cellHeight) << view.status;
    EXPECT_EQ(view.grid, c.expected.grid) << view.status;
  }
}

}  // namespace
}  // namespace klv::web
