// Tests of pictures a browser decodes: their pixels laid over white as the decoders lay
// them, the size limits of a decoded picture, and a crop and fit that give exactly what
// klvmake's --fit and --crop give for the same picture in a file.
#include "maker/browser_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

TEST(BrowserPicture, RgbaBytesAreLaidOverWhite) {
  const struct {
    uint8_t rgba[4];
    uint32_t expected;
  } cases[] = {
      {{0x12, 0x34, 0x56, 255}, 0x123456},  // opaque: as it is
      {{0x12, 0x34, 0x56, 0}, 0xFFFFFF},    // transparent: white
      // Half covered: c x 128 / 255 + 127, rounded: black gives 127.5 - 0.5 = 127, full
      // red 255 (the white and the red add up).
      {{0, 0, 0, 128}, 0x7F7F7F},
      {{255, 0, 0, 128}, 0xFF7F7F},
  };
  Raster raster = Raster::Filled(static_cast<int>(std::size(cases)), 1, 0);
  for (size_t i = 0; i < std::size(cases); ++i) {
    std::memcpy(&raster.pixels[i], cases[i].rgba, 4);
  }
  LayRgbaOverWhite(raster);
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(raster.pixels[i], cases[i].expected) << "case " << i;
  }
}

TEST(BrowserPicture, SizesADecodedPictureMayNotHaveAreRefused) {
  EXPECT_EQ(AllocateBrowserPicture(0, 10).status().reason(), "empty picture (0 x 10)");
  const std::string cause =
      AllocateBrowserPicture(20000, 6000).status().reason();  // 120 million pixels
  EXPECT_EQ(cause.rfind("picture too large (20000 x 6000 pixels", 0), 0u) << cause;
  const StatusOr<Raster> photo = AllocateBrowserPicture(4000, 3000);
  ASSERT_TRUE(photo.ok());
  EXPECT_EQ(photo->pixels.size(), 4000u * 3000u);
}

TEST(BrowserPicture, CropAndFitGiveWhatTheyGiveAPictureFile) {
  const Raster photo = test::TestPhoto(400, 300);
  test::FakeEnv env;
  env.AddFile("p.png", test::EncodePngRaster(photo));
  const Raster small = test::TestPhoto(60, 300);
  env.AddFile("small.png", test::EncodePngRaster(small));
  const struct {
    const char* name;
    const Raster* picture;
    std::optional<CropRect> crop;
  } cases[] = {
      {"p.png", &photo, std::nullopt},
      {"p.png", &photo, CropRect{200, 150, 10, 20}},
      {"p.png", &photo, CropRect{100, 300, 300, 0}},  // to the right edge
      {"p.png", &photo, CropRect{101, 300, 300, 0}},  // one pixel beyond it
      {"p.png", &photo, CropRect{63, 200, 0, 0}},     // too narrow to fit
      {"small.png", &small, std::nullopt},
  };
  for (const auto& c : cases) {
    SourceOptions options;
    options.fit = true;
    options.crop = c.crop;
    SourceError file_error;
    const std::optional<Raster> expected = ReadSourcePicture(env, c.name, options, &file_error);

    SourceError error;
    const std::optional<BrowserFit> fit =
        PlanBrowserFit(c.picture->width, c.picture->height, c.crop, &error);
    const std::optional<Raster> fitted =
        fit ? ApplyBrowserFit(*c.picture, *fit, &error) : std::nullopt;
    const std::string label = std::string(c.name) + (c.crop ? " " + CropText(*c.crop) : "");
    ASSERT_EQ(fitted.has_value(), expected.has_value()) << label;
    if (expected) {
      EXPECT_EQ(*fitted, *expected) << label;
      EXPECT_EQ(fitted->width, fit->plan.coveredWidth) << label;
    } else {
      EXPECT_EQ(error.problem, file_error.problem) << label;
      EXPECT_EQ(error.cause, file_error.cause) << label;
    }
  }
}

}  // namespace
}  // namespace klv
