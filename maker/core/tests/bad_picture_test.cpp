// Pictures of every kind, damaged, hostile or unusual, through the core's source-picture
// entry point: each case names the cause its message must give, or the upright pixels it
// must read.
#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>
#include <string>
#include <vector>

#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"
#include "maker/raster.h"
#include "maker/source_picture.h"

namespace klv {
namespace {

// A PNG chunk with its CRC.
std::vector<uint8_t> PngChunk(const char* type, std::vector<uint8_t> data) {
  std::vector<uint8_t> out = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(data.size() >> (24 - 8 * i));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(crc >> (24 - 8 * i)));
  return out;
}

// A PNG whose header claims width x height RGB pixels, with a few bytes of image data.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
  std::vector<uint8_t> ihdr(13, 0);
  for (int i = 0; i < 4; ++i) {
    ihdr[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    ihdr[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  ihdr[8] = 8;  // bit depth
  ihdr[9] = 2;  // RGB
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const auto& chunk :
       {PngChunk("IHDR", ihdr), PngChunk("IDAT", {0x78, 0x9C, 0x03, 0x00}), PngChunk("IEND", {})}) {
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

std::vector<uint8_t> FirstHalf(std::vector<uint8_t> file) {
  file.resize(file.size() / 2);
  return file;
}

struct PictureCase {
  const char* name;  // also the file's name
  std::vector<uint8_t> file;
  bool fit = false;
};

std::string SourceMessage(const PictureCase& c, std::optional<Raster>* got) {
  test::FakeEnv env;
  env.AddFile(c.name, c.file);
  SourceError error;
  *got = ReadSourcePicture(env, c.name, SourceOptions{.fit = c.fit}, &error);
  return *got ? "" : SourceErrorMessage(c.name, error);
}

TEST(BadPicture, DamagedOrHostilePicturesAreRefusedWithTheirCause) {
  const Raster photo = test::TestPhoto(80, 64);
  const std::vector<uint8_t> png = test::EncodePngRaster(photo);
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(photo);
  std::vector<uint8_t> damaged = png;
  damaged[damaged.size() - 20] ^= 0x55;  // inside the image data
  const std::string unknown =
      ": cannot read the picture: not a picture of a kind this program "
      "reads (BMP, PNG, JPEG, WebP)";
  const struct {
    PictureCase picture;
    std::string said;  // the message starts with it
  } cases[] = {
      {{"cut.png", FirstHalf(png)},
       "cut.png: cannot read the picture: unreadable PNG picture (the file ends early)"},
      {{"damaged.png", damaged},
       "damaged.png: cannot read the picture: unreadable PNG picture (IDAT: "},
      {{"cut.jpg", FirstHalf(jpeg)},
       "cut.jpg: cannot read the picture: damaged JPEG picture (Premature end of JPEG file)"},
      {{"cut.jpeg", FirstHalf(test::EncodeJpeg(photo, {.progressive = true}))},
       "cut.jpeg: cannot read the picture: damaged JPEG picture (Premature end of JPEG file)"},
      {{"head.jpg", {jpeg.begin(), jpeg.begin() + 30}},
       "head.jpg: cannot read the picture: damaged JPEG picture (Premature end of JPEG file)"},
      {{"cut.webp", FirstHalf(test::EncodeWebp(80, 64, test::RgbaOf(photo), false))},
       "cut.webp: cannot read the picture: unreadable WebP picture (the file ends early)"},
      {{"notes.png", {'h', 'e', 'l', 'l', 'o'}}, "notes.png" + unknown},
      {{"empty.jpg", {}}, "empty.jpg" + unknown},
      {{"notes.bmp", std::vector<uint8_t>(20, 'h')},
       "notes.bmp: cannot read the picture: not a bitmap file"},
      // Bombs: a few bytes that claim gigapixels are refused before any pixel is decoded.
      {{"bomb.png", PngClaiming(20000, 20000)},
       "bomb.png: cannot read the picture: picture too large (20000 x 20000 pixels; a picture "
       "may have at most 100 million pixels and 65536 on a side)"},
      {{"fit.png", PngClaiming(20000, 20000), true},
       "fit.png: cannot read the picture: picture too large (20000 x 20000 pixels"},
      {{"wide.png", PngClaiming(70000, 1)},
       "wide.png: cannot read the picture: picture too large (70000 x 1 pixels"},
      {{"bomb.jpg", test::JpegClaiming(60000, 60000), true},
       "bomb.jpg: cannot read the picture: picture too large (60000 x 60000 pixels"},
  };
  for (const auto& c : cases) {
    std::optional<Raster> got;
    const std::string message = SourceMessage(c.picture, &got);
    EXPECT_FALSE(got) << c.picture.name;
    EXPECT_EQ(message.rfind(c.said, 0), 0u) << c.picture.name << ": " << message;
  }
}

TEST(BadPicture, UnusualPicturesAreReadUpright) {
  const Raster photo = test::TestPhoto(80, 64);
  const std::vector<uint16_t> rgba16(80 * 64 * 4, 0x8123);
  const std::vector<uint8_t> exif_garbage = {'M', 'M', 0, '*', 0xFF, 0xFF, 0xFF, 0xF0, 1, 2};
  const struct {
    PictureCase picture;
    int width, height;
    uint32_t corner;  // the top-left pixel
  } cases[] = {
      {{"png.jpg", test::EncodePngRaster(photo)}, 80, 64, photo.At(0, 0)},
      {{"jpeg.bmp", test::EncodeJpeg(Raster::Filled(80, 64, 0x808080))}, 80, 64, 0x808080},
      // Adobe-inverted inks of 0: white.
      {{"cmyk.jpg",
        test::EncodeCmykJpeg(64, 64, std::vector<uint8_t>(64 * 64 * 4, 255), false, true)},
       64,
       64,
       0xFFFFFF},
      // Every channel 0x8123 rounds to 0x81, laid over white at alpha 0x81.
      {{"deep.png", test::EncodePng(80, 64, 6, 16, rgba16)}, 80, 64, 0xBFBFBF},
      {{"palette.png", test::EncodePng(64, 64, 3, 8, std::vector<uint16_t>(64 * 64, 0),
                                       {.palette = {0x102030, 0x405060}, .paletteAlpha = {0}})},
       64,
       64,
       0xFFFFFF},
      {{"garbage.jpg", test::EncodeJpeg(photo, {.exif = exif_garbage})}, 80, 64, 0},
      {{"nine.png", test::EncodePngRaster(photo, {.exif = test::ExifBlock(9)})},
       80,
       64,
       photo.At(0, 0)},
      {{"turned.png", test::EncodePngRaster(photo, {.exif = test::ExifBlock(6)})},
       64,
       80,
       photo.At(0, 63)},
  };
  for (const auto& c : cases) {
    std::optional<Raster> got;
    const std::string message = SourceMessage(c.picture, &got);
    ASSERT_TRUE(got) << c.picture.name << ": " << message;
    EXPECT_EQ(got->width, c.width) << c.picture.name;
    EXPECT_EQ(got->height, c.height) << c.picture.name;
    // A lossy picture's corner is left unchecked (0).
    if (c.corner != 0) {
      EXPECT_EQ(got->At(0, 0), c.corner) << c.picture.name;
    }
  }
}

}  // namespace
}  // namespace klv
