// Picture files for the tests, benchmarks and fuzz seeds, encoded with the same libraries
// the maker decodes with (libpng, libjpeg-turbo, libwebp), so that every picture a test
// reads is made by the project from a known raster or known samples.
#ifndef KLV_KLVTEST_PICTURE_FILES_H_
#define KLV_KLVTEST_PICTURE_FILES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "maker/raster.h"

namespace klv::test {

using Bytes = std::vector<uint8_t>;

// A TIFF-structured EXIF block whose first directory holds the orientation tag (and one
// other tag before it), in little- or big-endian order.
Bytes ExifBlock(int orientation, bool big_endian = false);

// What a PNG file holds beyond its samples.
struct PngExtras {
  bool interlaced = false;
  std::vector<uint32_t> palette;        // 0xRRGGBB entries, for colour type 3
  std::vector<uint8_t> paletteAlpha;    // tRNS alpha of the first entries, for type 3
  std::optional<uint16_t> transparent;  // tRNS: the grey level (type 0) or, for type 2,
                                        // the one level every channel has
  Bytes exif;                           // an eXIf chunk before the image data when not empty
};

// A PNG file of colour type `color_type` (0 grey, 2 RGB, 3 palette, 4 grey + alpha,
// 6 RGBA) and `bit_depth`, from `samples`: each pixel's channels in order, row after row,
// one number per sample in the bit depth's range (palette indexes for type 3).
Bytes EncodePng(int width, int height, int color_type, int bit_depth,
                const std::vector<uint16_t>& samples, const PngExtras& extras = {});

// An 8-bit RGB PNG of `raster`.
Bytes EncodePngRaster(const Raster& raster, const PngExtras& extras = {});

struct JpegOptions {
  int quality = 95;
  bool progressive = false;
  bool grey = false;  // one channel: each pixel's red level
  Bytes exif;         // an APP1 "Exif" segment when not empty
};

// A JPEG file of `raster`, with 4:4:4 sampling.
Bytes EncodeJpeg(const Raster& raster, const JpegOptions& options = {});

// A JPEG file of four-channel samples (C, M, Y, K per pixel, as stored), written as YCCK
// or as plain CMYK, with or without Adobe's marker (whose writers store CMYK inverted).
Bytes EncodeCmykJpeg(int width, int height, const std::vector<uint8_t>& cmyk, bool ycck,
                     bool adobe_marker);

// A still WebP file of RGBA bytes (four per pixel), lossless or lossy at `quality`.
Bytes EncodeWebp(int width, int height, const std::vector<uint8_t>& rgba, bool lossless,
                 int quality = 90);

// Hostile files: a few bytes whose headers claim far more than they hold.
// A 64 x 64 PNG whose first chunk after the header is of `type` ("tEXt", "zTXt", ...) and
// claims 2 GiB - 1 bytes of data: the file ends after the chunk's type.
Bytes PngChunkBomb(const char* type);
// A small JPEG, baseline or progressive, whose frame header claims width x height.
Bytes JpegClaiming(uint16_t width, uint16_t height, bool progressive = false);
// A small lossy WebP whose frame header claims width x height (each below 16384).
Bytes WebpClaiming(int width, int height);

// The RGBA bytes of `raster`, every pixel opaque.
std::vector<uint8_t> RgbaOf(const Raster& raster);

// A photo-like picture: smooth colour ramps and rings with a few solid blocks whose sharp
// edges a reduction must keep. The same for the same size.
Raster TestPhoto(int width, int height);

// The mean absolute difference of two equally sized rasters' channel levels (0 to 255);
// a huge value when their sizes differ.
double MeanLevelDifference(const Raster& a, const Raster& b);

// A sound package of an x_max by y_max grid with the background colour magenta: a white
// base as large as the grid covers, the puzzle name `puzzle_name` (code page 932), and
// tiles all magenta but for an 8 x 8 square of a colour of their own at (28, 28), where a
// person can take them in the trial play. Requires x_max * y_max <= 144.
Bytes TestPackage(int x_max, int y_max, const std::string& puzzle_name);

}  // namespace klv::test

#endif  // KLV_KLVTEST_PICTURE_FILES_H_
