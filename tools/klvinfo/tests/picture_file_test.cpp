// Tests of klvinfo's picture files: the format chosen by the name, every pixel kept, and
// the background colour transparent in PNG (BMP files are the maker's own encoder's).
#include "klvinfo/picture_file.h"

#include <gtest/gtest.h>
#include <png.h>

namespace klv {
namespace {

TEST(PictureFile, NamesEndingInPngArePng) {
  struct Case {
    const char* name;
    bool png;
  } cases[] = {{"a.png", true},  {"A.PNG", true}, {"x.Png", true},      {".png", true},
               {"a.bmp", false}, {"png", false},  {"a.png.bmp", false}, {"apng", false}};
  for (const Case& c : cases) EXPECT_EQ(IsPngName(c.name), c.png) << c.name;
}

TEST(PictureFile, PngKeepsEveryPixelAndHidesTheBackground) {
  Raster raster = Raster::Filled(3, 2, 0x102030);
  raster.Set(1, 0, 0xFF00FF);
  raster.Set(2, 1, 0xFFFFFF);
  std::string cause;
  const std::vector<uint8_t> file = EncodePictureFile("out.png", raster, 0xFF00FF, &cause);
  ASSERT_FALSE(file.empty()) << cause;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, file.data(), file.size()));
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
  ASSERT_EQ(image.width, 3u);
  ASSERT_EQ(image.height, 2u);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      const uint8_t* p = &rgba[(y * 3 + x) * 4];
      const uint32_t pixel = uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
      EXPECT_EQ(pixel, raster.At(x, y)) << x << ", " << y;
      EXPECT_EQ(p[3], raster.At(x, y) == 0xFF00FF ? 0 : 255) << x << ", " << y;
    }
  }
}

}  // namespace
}  // namespace klv
