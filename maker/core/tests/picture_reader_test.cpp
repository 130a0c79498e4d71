// Tests of the picture reader: PNG of every colour type and depth, JPEG (baseline,
// progressive, grey, CMYK, YCCK, reduced in the DCT) and WebP decoded against known
// rasters; transparency over white; the eight EXIF orientations; the file list's
// extensions; how much of a file is read.
#include "maker/picture_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"

namespace klv {
namespace {

using test::Bytes;

// The whole picture, or nothing with *cause (when not null) set to the reason.
std::optional<Raster> Decode(const Bytes& file, std::string* cause = nullptr) {
  const StatusOr<PictureInfo> info = InspectPicture(file);
  StatusOr<Raster> raster =
      info.ok() ? DecodePicture(file, *info, info->width, info->height) : info.status();
  if (raster.ok()) return *std::move(raster);
  if (cause != nullptr) *cause = raster.status().reason();
  return std::nullopt;
}

Raster Row(std::vector<uint32_t> pixels) {
  Raster r;
  r.width = static_cast<int>(pixels.size());
  r.height = 1;
  r.pixels = std::move(pixels);
  return r;
}

TEST(PictureReader, PngOfEveryColourTypeAndDepthDecodesToKnownPixels) {
  // Alpha 128 over white: 200 -> 0xE3, 100 -> 0xB1, 1 -> 0x80, 0 -> 0x7F, 255 -> 0xFF.
  const struct {
    const char* name;
    int colorType, depth;
    std::vector<uint16_t> samples;
    test::PngExtras extras;
    std::vector<uint32_t> expected;
  } cases[] = {
      {"grey 1", 0, 1, {0, 1}, {}, {0x000000, 0xFFFFFF}},
      {"grey 2", 0, 2, {1, 2}, {}, {0x555555, 0xAAAAAA}},
      {"grey 4", 0, 4, {3, 15}, {}, {0x333333, 0xFFFFFF}},
      {"grey 8", 0, 8, {7, 200}, {}, {0x070707, 0xC8C8C8}},
      {"grey 16 rounded",
       0,
       16,
       {0x0080, 0x0081, 0x7FBF, 0xFFFF},
       {},
       {0x000000, 0x010101, 0x7F7F7F, 0xFFFFFF}},
      {"grey 8, one level transparent",
       0,
       8,
       {200, 100},
       {.transparent = 200},
       {0xFFFFFF, 0x646464}},
      {"RGB 8", 2, 8, {1, 2, 3, 250, 128, 0}, {}, {0x010203, 0xFA8000}},
      {"RGB 16 rounded",
       2,
       16,
       {0x1234, 0x8000, 0xFFFF, 0x0101, 0x00FF, 0},
       {},
       {0x1280FF, 0x010100}},
      {"RGB 8, one colour transparent",
       2,
       8,
       {10, 10, 10, 10, 10, 11},
       {.transparent = 10},
       {0xFFFFFF, 0x0A0A0B}},
      {"palette 1", 3, 1, {1, 0}, {.palette = {0x102030, 0xA0B0C0}}, {0xA0B0C0, 0x102030}},
      {"palette 4",
       3,
       4,
       {2, 0},
       {.palette = {0x010101, 0x020202, 0x334455}},
       {0x334455, 0x010101}},
      {"palette 8 with transparency",
       3,
       8,
       {0, 1, 2},
       {.palette = {0xFF0000, 0x00FF00, 0x0000FF}, .paletteAlpha = {0, 128}},
       {0xFFFFFF, 0x7FFF7F, 0x0000FF}},
      {"grey + alpha 8", 4, 8, {200, 128, 50, 255}, {}, {0xE3E3E3, 0x323232}},
      {"grey + alpha 16", 4, 16, {0xC8C8, 0x8080, 0, 0}, {}, {0xE3E3E3, 0xFFFFFF}},
      {"RGBA 8", 6, 8, {200, 100, 1, 128, 0, 0, 0, 0}, {}, {0xE3B180, 0xFFFFFF}},
      {"RGBA 16", 6, 16, {0xFFFF, 0, 0, 0xFFFF, 0, 0, 0xFFFF, 0x8080}, {}, {0xFF0000, 0x7F7FFF}},
  };
  for (const auto& c : cases) {
    const Raster expected = Row(c.expected);
    const Bytes file =
        test::EncodePng(expected.width, 1, c.colorType, c.depth, c.samples, c.extras);
    std::string cause;
    const std::optional<Raster> got = Decode(file, &cause);
    ASSERT_TRUE(got) << c.name << ": " << cause;
    EXPECT_EQ(*got, expected) << c.name;
  }
}

TEST(PictureReader, InterlacedPngDecodesToItsRaster) {
  const Raster photo = test::TestPhoto(37, 29);  // odd sizes leave Adam7 passes partial
  EXPECT_EQ(Decode(test::EncodePngRaster(photo, {.interlaced = true})), photo);
}

TEST(PictureReader, JpegDecodesCloseToItsRaster) {
  const Raster photo = test::TestPhoto(64, 48);
  Raster grey = photo;
  for (uint32_t& p : grey.pixels) p = ((p >> 16) & 0xFF) * 0x010101;
  const struct {
    const char* name;
    const Raster& raster;
    test::JpegOptions options;
  } cases[] = {
      {"baseline", photo, {}},
      {"progressive", photo, {.progressive = true}},
      {"grey", grey, {.grey = true}},
  };
  for (const auto& c : cases) {
    const std::optional<Raster> got = Decode(test::EncodeJpeg(c.raster, c.options));
    ASSERT_TRUE(got) << c.name;
    EXPECT_LT(test::MeanLevelDifference(*got, c.raster), 2.0) << c.name;
  }
}

TEST(PictureReader, CmykAndYcckJpegsAreConvertedToRgb) {
  // Two 16 x 16 blocks: full cyan, and full magenta with half black. Adobe's writers store
  // the inks inverted.
  const uint8_t inks[2][4] = {{255, 0, 0, 0}, {0, 255, 0, 128}};
  const uint32_t expected[2] = {0x00FFFF, 0x7F007F};
  for (const bool ycck : {false, true}) {
    for (const bool adobe : {false, true}) {
      if (ycck && !adobe) continue;  // YCCK is only ever written with Adobe's marker
      std::vector<uint8_t> samples;
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
          for (uint8_t ink : inks[x / 16]) samples.push_back(adobe ? 255 - ink : ink);
        }
      }
      const std::optional<Raster> got = Decode(test::EncodeCmykJpeg(32, 16, samples, ycck, adobe));
      ASSERT_TRUE(got) << ycck << adobe;
      for (int block = 0; block < 2; ++block) {
        const Raster want = Raster::Filled(1, 1, expected[block]);
        const Raster pixel = Raster::Filled(1, 1, got->At(block * 16 + 8, 8));
        EXPECT_LT(test::MeanLevelDifference(pixel, want), 4.0)
            << "ycck " << ycck << " adobe " << adobe << " block " << block;
      }
    }
  }
}

// Decoded at the smallest scale of eighths, each side rounded up, at which the picture
// still covers the minimum.
TEST(PictureReader, JpegAndWebpAreDecodedAtTheSmallestScaleThatStaysLargeEnough) {
  const Raster photo = test::TestPhoto(256, 128);
  const Bytes file = test::EncodeJpeg(photo);
  const Bytes turned = test::EncodeJpeg(photo, {.exif = test::ExifBlock(6)});
  const Bytes odd = test::EncodeJpeg(test::TestPhoto(100, 75));
  const Bytes webp = test::EncodeWebp(256, 128, test::RgbaOf(photo), false);
  const struct {
    const char* name;
    const Bytes& file;
    int minWidth, minHeight;
    int width, height;
  } cases[] = {
      {"whole", file, 256, 128, 256, 128},
      {"7/8", file, 200, 100, 224, 112},
      {"4/8", file, 100, 50, 128, 64},
      {"3/8", file, 64, 33, 96, 48},
      {"2/8", file, 64, 32, 64, 32},
      {"1/8", file, 1, 1, 32, 16},
      {"turned 2/8", turned, 32, 64, 32, 64},
      {"turned 3/8", turned, 33, 64, 48, 96},
      {"rounded up to 1/8", odd, 13, 10, 13, 10},
      {"rounded up to 2/8", odd, 14, 10, 25, 19},
      {"WebP 3/8", webp, 64, 33, 96, 48},
  };
  for (const auto& c : cases) {
    const StatusOr<PictureInfo> info = InspectPicture(c.file);
    ASSERT_TRUE(info.ok()) << c.name;
    const StatusOr<Raster> got = DecodePicture(c.file, *info, c.minWidth, c.minHeight);
    ASSERT_TRUE(got.ok()) << c.name;
    EXPECT_EQ(got->width, c.width) << c.name;
    EXPECT_EQ(got->height, c.height) << c.name;
  }
}

TEST(PictureReader, WebpDecodesToItsRaster) {
  const Raster photo = test::TestPhoto(40, 30);
  EXPECT_EQ(Decode(test::EncodeWebp(40, 30, test::RgbaOf(photo), true)), photo);
  const std::optional<Raster> lossy = Decode(test::EncodeWebp(40, 30, test::RgbaOf(photo), false));
  ASSERT_TRUE(lossy);
  EXPECT_LT(test::MeanLevelDifference(*lossy, photo), 6.0);  // chroma is halved in lossy WebP
  const Bytes translucent = test::EncodeWebp(2, 1, {200, 100, 0, 128, 0, 0, 0, 0}, true);
  EXPECT_EQ(Decode(translucent), Row({0xE3B17F, 0xFFFFFF}));
}

TEST(PictureReader, AnimatedWebpIsRefused) {
  // A VP8X header with the animation flag and a 2 x 2 canvas, then an empty animation.
  Bytes file = {'R', 'I', 'F', 'F', 0, 0,    0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8',
                'X', 10,  0,   0,   0, 0x02, 0, 0, 0,   1,   0,   0,   1,   0,   0,
                'A', 'N', 'I', 'M', 6, 0,    0, 0, 0,   0,   0,   0,   0,   0};
  file[4] = static_cast<uint8_t>(file.size() - 8);
  std::string cause;
  EXPECT_FALSE(Decode(file, &cause));
  EXPECT_EQ(cause, "animated WebP picture (only still pictures are read)");
}

TEST(PictureReader, ExifOrientationTurnsThePictureUpright) {
  // Stored:  a b c    a..f are distinct colours.
  //          d e f
  const uint32_t a = 0x100000, b = 0x200000, c = 0x300000, d = 0x400000, e = 0x500000, f = 0x600000;
  Raster stored = Raster::Filled(3, 2, 0);
  stored.pixels = {a, b, c, d, e, f};
  const struct {
    int orientation;
    int width;
    std::vector<uint32_t> upright;
  } cases[] = {
      {1, 3, {a, b, c, d, e, f}}, {2, 3, {c, b, a, f, e, d}}, {3, 3, {f, e, d, c, b, a}},
      {4, 3, {d, e, f, a, b, c}}, {5, 2, {a, d, b, e, c, f}}, {6, 2, {d, a, e, b, f, c}},
      {7, 2, {f, c, e, b, d, a}}, {8, 2, {c, f, b, e, a, d}},
  };
  for (const auto& cs : cases) {
    const Bytes file = test::EncodePngRaster(stored, {.exif = test::ExifBlock(cs.orientation)});
    Raster expected;
    expected.width = cs.width;
    expected.height = 6 / cs.width;
    expected.pixels = cs.upright;
    EXPECT_EQ(Decode(file), expected) << "orientation " << cs.orientation;
  }
}

// A crop and a fit are made in upright pixels while the rows arrive as stored: for every
// orientation, the pixels of the whole upright picture cut and fitted afterwards.
TEST(PictureReader, FittedDecodingGivesThePixelsOfTheWholePictureCutAndFitted) {
  // Over 320 pixels, so that a fit reduces.
  const Raster stored = test::TestPhoto(352, 330);
  const struct {
    const char* name;
    std::optional<CropRect> crop;  // upright pixels of a 352 x 330 or 330 x 352 picture
    bool fit;
  } cases[] = {
      {"fit", std::nullopt, true},
      {"crop", CropRect{70, 65, 9, 17}, false},
      {"crop and fit", CropRect{325, 322, 3, 5}, true},
  };
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const Bytes file = test::EncodePngRaster(stored, {.exif = test::ExifBlock(orientation)});
    const StatusOr<PictureInfo> info = InspectPicture(file);
    ASSERT_TRUE(info.ok());
    const std::optional<Raster> upright = Decode(file);
    ASSERT_TRUE(upright);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", orientation " + std::to_string(orientation));
      const Raster cut = c.crop ? CropRaster(*upright, *c.crop) : *upright;
      std::optional<FitPlan> plan;
      if (c.fit) plan = PlanFit(cut.width, cut.height).value();
      const StatusOr<Raster> got = DecodeFittedPicture(file, *info, c.crop, plan);
      ASSERT_TRUE(got.ok());
      EXPECT_EQ(*got, plan ? ApplyFit(cut, *plan) : cut);
    }
  }
}

TEST(PictureReader, FileListTakesEveryReadableExtensionInAnyCase) {
  const struct {
    const char* name;
    bool readable;
  } cases[] = {
      {"a.bmp", true},    {"PHOTO.JPG", true},    {"x.Jpeg", true},     {"shot.PNG", true},
      {"web.webp", true}, {".png", true},         {"a.bmp.txt", false}, {"png", false},
      {"a.gif", false},   {"noextension", false}, {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsReadablePictureName(c.name), c.readable) << c.name;
}

// A picture at the head of a larger file is read only as far as its headers say; where
// they cannot say, the whole file is read. The fake file delivers no more bytes than the
// case expects to be read, so reading further fails.
TEST(PictureReader, FileIsReadOnlyAsFarAsThePictureNeeds) {
  const Bytes bitmap = EncodeBitmap24(test::TestPhoto(100, 100));  // 54 + 100 x 300 bytes
  const Bytes rle = test::MakeBmp(
      {.width = 4, .height = 2, .bit_count = 8, .compression = 1, .pixels = Bytes{4, 1, 0, 1}});
  const Bytes webp = test::EncodeWebp(40, 40, test::RgbaOf(test::TestPhoto(40, 40)), false);
  const auto padded = [](Bytes file, size_t extra) {
    file.resize(file.size() + extra, 0);
    return file;
  };
  const struct {
    const char* name;
    Bytes file;
    size_t read;  // the bytes expected to be read
  } cases[] = {
      {"bitmap padded by 1 MiB", padded(bitmap, 1 << 20), bitmap.size()},
      {"truncated bitmap: all there is", Bytes(bitmap.begin(), bitmap.begin() + 5000), 5000},
      {"run-length bitmap: the whole file", padded(rle, 9000), rle.size() + 9000},
      {"WebP padded", padded(webp, 9000), webp.size()},
  };
  for (const auto& c : cases) {
    test::FakeEnv env;
    env.AddFile("p", c.file);
    env.read_faults["p"] = test::ReadFault::kShortRead;
    env.short_read_limit = c.read;
    env.read_chunk = 1000;
    const StatusOr<Bytes> got = ReadPictureFile(env, "p");
    ASSERT_TRUE(got.ok()) << c.name << ": " << got.status().ToString();
    EXPECT_EQ(*got, Bytes(c.file.begin(), c.file.begin() + static_cast<long>(c.read))) << c.name;
  }
}

}  // namespace
}  // namespace klv
