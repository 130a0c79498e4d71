// make_picture_corpus FOLDER: writes the seed inputs of the picture fuzz targets into
// FOLDER/<target>/: small pictures of every kind and flavour the reader takes (PNG colour
// types and depths, interlaced, transparent; baseline, progressive, grey, CMYK and YCCK
// JPEG; WebP with and without alpha), some with EXIF orientations, and bombs: a few bytes
// whose headers claim gigabytes (a PNG text chunk, a progressive JPEG, a WebP frame). Run
// it again after changing it; the files are committed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "klvtest/picture_files.h"
#include "maker/bitmap_codec.h"

namespace {

using klv::test::Bytes;

void Write(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_picture_corpus FOLDER\n");
    return 2;
  }
  namespace t = klv::test;
  const std::filesystem::path root = argv[1];
  const klv::Raster photo = t::TestPhoto(12, 9);
  const std::vector<uint16_t> ramp16 = {0, 0x1234, 0x8000, 0xFFFF, 0x7F7F, 0x0101};

  std::vector<std::pair<std::string, Bytes>> pictures = {
      {"grey1.png", t::EncodePng(6, 1, 0, 1, {0, 1, 1, 0, 1, 0})},
      {"grey16_trns.png", t::EncodePng(6, 1, 0, 16, ramp16, {.transparent = 0x8000})},
      {"rgb8.png", t::EncodePngRaster(photo)},
      {"rgb16.png", t::EncodePng(2, 1, 2, 16, ramp16)},
      {"palette4_trns.png",
       t::EncodePng(3, 2, 3, 4, {0, 1, 2, 2, 1, 0},
                    {.palette = {0xFF0000, 0x00FF00, 0x0000FF}, .paletteAlpha = {0, 128}})},
      {"grey_alpha16.png", t::EncodePng(3, 1, 4, 16, ramp16)},
      {"rgba8.png", t::EncodePng(2, 1, 6, 8, {200, 100, 1, 128, 0, 0, 0, 0})},
      {"interlaced.png", t::EncodePngRaster(photo, {.interlaced = true})},
      {"exif6.png", t::EncodePngRaster(photo, {.exif = t::ExifBlock(6, true)})},
      {"baseline.jpg", t::EncodeJpeg(photo)},
      {"progressive.jpg", t::EncodeJpeg(photo, {.progressive = true})},
      {"grey.jpg", t::EncodeJpeg(photo, {.grey = true})},
      {"exif8.jpg", t::EncodeJpeg(photo, {.exif = t::ExifBlock(8)})},
      {"cmyk.jpg", t::EncodeCmykJpeg(4, 4, std::vector<uint8_t>(64, 90), false, true)},
      {"ycck.jpg", t::EncodeCmykJpeg(4, 4, std::vector<uint8_t>(64, 200), true, true)},
      {"lossless.webp", t::EncodeWebp(12, 9, t::RgbaOf(photo), true)},
      {"lossy.webp", t::EncodeWebp(12, 9, t::RgbaOf(photo), false)},
      {"alpha.webp", t::EncodeWebp(2, 1, {200, 100, 1, 128, 0, 0, 0, 0}, true)},
      {"photo.bmp", klv::EncodeBitmap24(photo)},
      {"text_bomb.png", t::PngChunkBomb("tEXt")},
      {"iccp_bomb.png", t::PngChunkBomb("iCCP")},
      {"progressive_bomb.jpg", t::JpegClaiming(10000, 10000, true)},
      {"size_bomb.webp", t::WebpClaiming(10000, 10000)},
  };
  for (const auto& [name, bytes] : pictures) {
    Write(root / "picture_reader_fuzzer", name, bytes);
  }
  // The source picture's inputs: an options byte (1 fit, 2 crop), a crop's text and its
  // terminating zero, then the file. Larger pictures, so that fitting has work to do.
  const klv::Raster large = t::TestPhoto(96, 72);
  const Bytes jpeg = t::EncodeJpeg(large);
  const Bytes png = t::EncodePngRaster(large, {.exif = t::ExifBlock(5)});
  const std::string crop = "80x60+8+6";
  const Bytes crop_prefix = Join({3}, Join(Bytes(crop.begin(), crop.end()), {0}));
  Write(root / "source_picture_fuzzer", "plain.jpg", Join({0}, jpeg));
  Write(root / "source_picture_fuzzer", "fit.jpg", Join({1}, jpeg));
  Write(root / "source_picture_fuzzer", "crop_fit.png", Join(crop_prefix, png));
  Write(root / "source_picture_fuzzer", "fit.webp",
        Join({1}, t::EncodeWebp(96, 72, t::RgbaOf(large), false)));
  Write(root / "source_picture_fuzzer", "plain.bmp", Join({0}, klv::EncodeBitmap24(photo)));
  Write(root / "source_picture_fuzzer", "fit_bomb.webp", Join({1}, t::WebpClaiming(2000, 2000)));

  Write(root / "exif_fuzzer", "little.tif", t::ExifBlock(3, false));
  Write(root / "exif_fuzzer", "big.tif", t::ExifBlock(7, true));
  Write(root / "exif_fuzzer", "exif6.jpg",
        t::EncodeJpeg(t::TestPhoto(8, 8), {.exif = t::ExifBlock(6)}));
  Write(root / "exif_fuzzer", "exif2.png",
        t::EncodePngRaster(t::TestPhoto(2, 2), {.exif = t::ExifBlock(2)}));
  return 0;
}
