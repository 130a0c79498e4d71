// Writes the pictures the browser tests choose on the page into the folder named by the
// one argument (made when missing): photo.png, an opaque 8-bit RGB picture without colour
// chunks, which klvmake reads to the same pixels as the browser; exif6.jpg, stored 128 x 64
// with its left half red and its right half blue, and EXIF orientation 6 (upright it is
// 64 x 128, red on top); damaged.png, a PNG whose picture data is cut short by noise.
#include <cstdio>
#include <filesystem>
#include <string>

#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  using namespace klv;
  const std::string folder = argv[1];
  std::filesystem::create_directories(folder);
  test::WriteDiskFile(folder + "/photo.png", test::EncodePngRaster(test::TestPhoto(640, 480)));

  Raster halves = Raster::Filled(128, 64, 0x0000FF);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) halves.Set(x, y, 0xFF0000);
  }
  test::WriteDiskFile(folder + "/exif6.jpg",
                      test::EncodeJpeg(halves, {.exif = test::ExifBlock(6)}));

  test::Bytes damaged = test::EncodePngRaster(test::TestPhoto(200, 150));
  damaged.resize(damaged.size() / 2);
  const test::Bytes noise = test::PatternBytes(400, 7);
  damaged.insert(damaged.end(), noise.begin(), noise.end());
  test::WriteDiskFile(folder + "/damaged.png", damaged);
  return 0;
}
