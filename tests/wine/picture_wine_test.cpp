// The source picture of the Linux build (libpng, libjpeg-turbo) against that of the
// Windows build (the Windows Imaging Component, under Wine): PNG and BMP pictures must give
// byte-identical rasters, fitted or not, so that their packages are identical; a JPEG may
// differ by a level here and there; TIFF is read by the Windows build alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "klvtest/picture_files.h"
#include "maker/bitmap_codec.h"
#include "wine_support.h"

namespace klv::winetest {
namespace {

// Both builds' rasters of `picture` (a file in `folder`), as 24-bit bitmap files.
struct BothRasters {
  RunResult linuxRun, windowsRun;
  Bytes linuxBmp, windowsBmp;
};

BothRasters ReadWithBoth(const TempFolder& folder, const std::string& picture, bool fit) {
  BothRasters both;
  std::vector<std::string> linux_args = {folder.File(picture), folder.File("linux.bmp")};
  std::vector<std::string> windows_args = {WindowsPath(folder.File(picture)),
                                           WindowsPath(folder.File("windows.bmp"))};
  if (fit) {
    linux_args.push_back("--fit");
    windows_args.push_back("--fit");
  }
  both.linuxRun = RunLinux("picture_probe", linux_args);
  both.windowsRun = RunWine("picture_probe", windows_args);
  both.linuxBmp = ReadDiskFile(folder.File("linux.bmp")).value_or(Bytes{});
  both.windowsBmp = ReadDiskFile(folder.File("windows.bmp")).value_or(Bytes{});
  return both;
}

TEST(PictureOnWine, PngAndBmpGiveTheSameRasterInBothBuilds) {
  const Raster photo = test::TestPhoto(400, 300);
  const std::vector<uint16_t> deep(40 * 30 * 4, 0x8123);
  const struct {
    const char* name;
    Bytes file;
    bool fit;
  } cases[] = {
      {"photo.bmp", EncodeBitmap24(photo), true},
      {"small.bmp", EncodeBitmap24(test::TestPhoto(300, 200)), false},
      {"photo.png", test::EncodePngRaster(photo), true},
      {"interlaced.png", test::EncodePngRaster(photo, {.interlaced = true}), true},
      {"turned.png", test::EncodePngRaster(photo, {.exif = test::ExifBlock(6)}), true},
      {"deep.png", test::EncodePng(40, 30, 6, 16, deep), false},
      {"grey2.png", test::EncodePng(4, 1, 0, 2, {0, 1, 2, 3}), false},
      {"palette.png",
       test::EncodePng(3, 1, 3, 8, {0, 1, 2},
                       {.palette = {0xFF0000, 0x00FF00, 0x0000FF}, .paletteAlpha = {0, 128}}),
       false},
      {"rgba.png", test::EncodePng(2, 1, 6, 8, {200, 100, 1, 128, 0, 0, 0, 0}), false},
  };
  TempFolder folder;
  for (const auto& c : cases) {
    WriteDiskFile(folder.File(c.name), c.file);
    const BothRasters both = ReadWithBoth(folder, c.name, c.fit);
    ASSERT_EQ(both.linuxRun.exit_code, 0) << c.name << Describe(both.linuxRun);
    ASSERT_EQ(both.windowsRun.exit_code, 0) << c.name << Describe(both.windowsRun);
    EXPECT_FALSE(both.linuxBmp.empty()) << c.name;
    EXPECT_TRUE(both.linuxBmp == both.windowsBmp) << c.name;
  }
}

TEST(PictureOnWine, JpegDiffersByAFewLevelsAtMost) {
  TempFolder folder;
  WriteDiskFile(folder.File("small.jpg"), test::EncodeJpeg(test::TestPhoto(300, 200)));
  WriteDiskFile(folder.File("large.jpg"), test::EncodeJpeg(test::TestPhoto(1600, 1200)));
  for (const bool fit : {false, true}) {
    const BothRasters both = ReadWithBoth(folder, fit ? "large.jpg" : "small.jpg", fit);
    ASSERT_EQ(both.linuxRun.exit_code, 0) << Describe(both.linuxRun);
    ASSERT_EQ(both.windowsRun.exit_code, 0) << Describe(both.windowsRun);
    const StatusOr<Raster> linux_raster = DecodeBitmap(both.linuxBmp);
    const StatusOr<Raster> windows_raster = DecodeBitmap(both.windowsBmp);
    ASSERT_TRUE(linux_raster.ok() && windows_raster.ok());
    EXPECT_LT(test::MeanLevelDifference(*linux_raster, *windows_raster), 2.0) << fit;
  }
}

// An uncompressed 3 x 2 RGB TIFF whose pixels are 0x100000 to 0x600000 in stored order,
// with the orientation tag.
Bytes Tiff(int orientation) {
  Bytes out = {'I', 'I', 42, 0, 8, 0, 0, 0};
  const auto u16 = [&](uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  const auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
    u16(tag);
    u16(type);
    u16(1);
    u16(0);
    u16(value);
    u16(type == 4 ? value >> 16 : 0);
  };
  constexpr uint32_t kBitsAt = 8 + 2 + 11 * 12 + 4, kPixelsAt = kBitsAt + 6;
  u16(11);
  entry(256, 3, 3);                                        // width
  entry(257, 3, 2);                                        // height
  u16(258), u16(3), u16(3), u16(0), u16(kBitsAt), u16(0);  // 8 bits a sample, at kBitsAt
  entry(259, 3, 1);                                        // no compression
  entry(262, 3, 2);                                        // RGB
  entry(273, 4, kPixelsAt);                                // the strip's offset
  entry(274, 3, orientation);
  entry(277, 3, 3);             // samples a pixel
  entry(278, 3, 2);             // rows a strip
  entry(279, 4, 18);            // the strip's bytes
  entry(284, 3, 1);             // chunky
  out.insert(out.end(), 4, 0);  // no next directory
  u16(8), u16(8), u16(8);
  for (uint8_t red = 0x10; red <= 0x60; red += 0x10) out.insert(out.end(), {red, 0, 0});
  return out;
}

TEST(PictureOnWine, WindowsBuildReadsTiffUpright) {
  TempFolder folder;
  WriteDiskFile(folder.File("turned.tif"), Tiff(6));
  const RunResult run = RunWine("picture_probe", {WindowsPath(folder.File("turned.tif")),
                                                  WindowsPath(folder.File("out.bmp"))});
  ASSERT_EQ(run.exit_code, 0) << Describe(run);
  const StatusOr<Raster> raster = DecodeBitmap(*ReadDiskFile(folder.File("out.bmp")));
  ASSERT_TRUE(raster.ok());
  // Stored a b c / d e f, turned a quarter clockwise: d a / e b / f c.
  EXPECT_EQ(raster->pixels,
            (std::vector<uint32_t>{0x400000, 0x100000, 0x500000, 0x200000, 0x600000, 0x300000}));
}

}  // namespace
}  // namespace klv::winetest
