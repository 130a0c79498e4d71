// Tests of the make's source picture: a small bitmap stays exactly as it was, a large
// picture is refused without fit and fitted with it, crops are made in upright pixels,
// and the fitted picture agrees with ImageMagick's resize of the same file.
#include "maker/source_picture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"

namespace klv {
namespace {

using test::Bytes;

// A raster whose every pixel is distinct: 0x00YYXX (row and column, each below 256).
Raster Numbered(int width, int height) {
  Raster r = Raster::Filled(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) r.Set(x, y, static_cast<uint32_t>((y << 8) | x));
  }
  return r;
}

TEST(SourcePicture, SmallBitmapGivesExactlyItsDecodedPixels) {
  const Raster photo = test::TestPhoto(335, 300);
  test::FakeEnv env;
  env.AddFile("p.BMP", EncodeBitmap24(photo));
  SourceError error;
  EXPECT_EQ(ReadSourcePicture(env, "p.BMP", {}, &error), photo) << error.cause;
}

TEST(SourcePicture, SizesCropsAndFitsGiveTheirOutcome) {
  const Bytes numbered = test::EncodePngRaster(Numbered(200, 150));
  const Bytes big = test::EncodeJpeg(test::TestPhoto(1000, 750));
  // Stored 96 x 72, upright 72 x 96.
  const Bytes turned = test::EncodeJpeg(test::TestPhoto(96, 72), {.exif = test::ExifBlock(8)});
  const struct {
    const char* name;
    Bytes file;
    SourceOptions options;
    int width = 0;  // of the result; 0 for a failure
    int height = 0;
    SourceProblem problem = SourceProblem::kUnreadable;
    const char* message = "";
  } cases[] = {
      {"336 wide without fit",
       EncodeBitmap24(Raster::Filled(336, 10, 0)),
       {},
       0,
       0,
       SourceProblem::kTooLarge,
       "p: the picture is too large: 336 x 10 pixels; a picture may be at most 335 x 335 "
       "pixels"},
      {"large photo without fit",
       big,
       {},
       0,
       0,
       SourceProblem::kTooLarge,
       "p: the picture is too large: 1000 x 750 pixels"},
      {"large photo fitted", big, {.fit = true}, 320, 256},
      {"small picture fitted: only cut", numbered, {.fit = true}, 192, 128},
      {"crop taller than the photo",
       big,
       {.fit = true, .crop = CropRect{600, 751, 0, 0}},
       0,
       0,
       SourceProblem::kCropOutside,
       "p: the crop 600x751+0+0 reaches outside the 1000 x 750 picture"},
      {"crop of a large photo, then fit",
       big,
       {.fit = true, .crop = CropRect{600, 750, 400, 0}},
       256,
       320},
      {"crop in upright pixels", turned, {.crop = CropRect{64, 90, 8, 4}}, 64, 90},
      {"crop outside",
       numbered,
       {.crop = CropRect{50, 50, 160, 0}},
       0,
       0,
       SourceProblem::kCropOutside,
       "p: the crop 50x50+160+0 reaches outside the 200 x 150 picture"},
      {"too small to fit",
       test::EncodePngRaster(Raster::Filled(50, 80, 0)),
       {.fit = true},
       0,
       0,
       SourceProblem::kTooSmallToFit,
       "p: the picture is 50 x 80 pixels; fitting it to the grid needs at least 64 x 64"},
  };
  for (const auto& c : cases) {
    test::FakeEnv env;
    env.AddFile("p", c.file);
    SourceError error;
    const std::optional<Raster> got = ReadSourcePicture(env, "p", c.options, &error);
    if (c.width == 0) {
      ASSERT_FALSE(got) << c.name;
      EXPECT_EQ(error.problem, c.problem) << c.name;
      EXPECT_EQ(SourceErrorMessage("p", error).rfind(c.message, 0), 0u)
          << c.name << ": " << SourceErrorMessage("p", error);
    } else {
      ASSERT_TRUE(got) << c.name << ": " << error.cause;
      EXPECT_EQ(got->width, c.width) << c.name;
      EXPECT_EQ(got->height, c.height) << c.name;
    }
  }
}

TEST(SourcePicture, CropTakesThePixelsItNames) {
  test::FakeEnv env;
  env.AddFile("n.png", test::EncodePngRaster(Numbered(200, 150)));
  const std::optional<Raster> got =
      ReadSourcePicture(env, "n.png", {.crop = CropRect{64, 65, 5, 7}}, nullptr);
  ASSERT_TRUE(got);
  ASSERT_EQ(got->width, 64);
  ASSERT_EQ(got->height, 65);
  EXPECT_EQ(got->At(0, 0), 0x0705u);
  EXPECT_EQ(got->At(1, 0), 0x0706u);
  EXPECT_EQ(got->At(0, 1), 0x0805u);
  EXPECT_EQ(got->At(63, 64), 0x4744u);
}

TEST(SourcePicture, FittedPictureAgreesWithImageMagicksResize) {
  constexpr const char* kConvert = "/usr/bin/convert";  // Debian's ImageMagick itself
  if (access(kConvert, X_OK) != 0) GTEST_SKIP() << kConvert << " is not installed";
  const Raster photo = test::TestPhoto(2000, 1500);
  const struct {
    const char* name;
    Bytes file;
  } cases[] = {
      {"photo.png", test::EncodePngRaster(photo)},
      {"photo.jpg", test::EncodeJpeg(photo)},  // decoded at 2/8 in the DCT, then averaged
      // Decoded at 3/8 (375 x 282), the smallest scale that covers 341 x 256.
      {"smaller.jpg", test::EncodeJpeg(test::TestPhoto(1000, 750))},
  };
  test::TempFolder folder;
  for (const auto& c : cases) {
    const std::string in = folder.File(c.name);
    const std::string out = folder.File("magick.bmp");
    test::WriteDiskFile(in, c.file);
    // 2000 x 1500 fits as 320 x 256: scaled to 341 x 256, 10 columns cut on the left.
    const std::string command = std::string(kConvert) + " " + in +
                                " -resize 341x256! -crop 320x256+10+0 +repage BMP3:" + out;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const StatusOr<Raster> magick = DecodeBitmap(*test::ReadDiskFile(out));
    ASSERT_TRUE(magick.ok());
    const std::optional<Raster> ours =
        ReadSourcePicture(Env::Default(), in, {.fit = true}, nullptr);
    ASSERT_TRUE(ours);
    EXPECT_LT(test::MeanLevelDifference(*ours, *magick), 3.0) << c.name;
  }
}

}  // namespace
}  // namespace klv
