// The Linux build's decoders, one small file per library (png_decoder.cpp over libpng,
// jpeg_decoder.cpp over libjpeg-turbo, webp_decoder.cpp over libwebp), which
// picture_decoders_linux.cpp puts behind the platform's decoder seam. Each reads a whole
// file image from memory; contracts as in picture_decoders.h.
#ifndef KLV_MAKER_LIBRARY_DECODERS_H_
#define KLV_MAKER_LIBRARY_DECODERS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "maker/raster.h"
#include "picture_decoders.h"

namespace klv {

std::optional<StoredSize> ReadPngSize(const std::vector<uint8_t>& file, std::string* cause);
// Every colour type and depth, palette transparency, 16 bits, interlacing.
std::optional<Raster> DecodePng(const std::vector<uint8_t>& file, std::string* cause);

std::optional<StoredSize> ReadJpegSize(const std::vector<uint8_t>& file, std::string* cause);
// Baseline and progressive; grey, YCbCr, RGB, CMYK and YCCK. `reduction` is 1, 2, 4 or 8:
// the picture is decoded at that fraction in the DCT, each side rounded up.
std::optional<Raster> DecodeJpeg(const std::vector<uint8_t>& file, int reduction,
                                 std::string* cause);

std::optional<StoredSize> ReadWebpSize(const std::vector<uint8_t>& file, std::string* cause);
// Still pictures, lossy or lossless, with or without alpha; animations are refused.
// `reduction` is 1, 2, 4 or 8: the picture is decoded scaled to that fraction, each side
// rounded up.
std::optional<Raster> DecodeWebp(const std::vector<uint8_t>& file, int reduction,
                                 std::string* cause);

// Turns pixels decoded as four bytes each (R, G, B, A in memory order) in place into
// 0xRRGGBB laid over white. The raster's pixel memory holds the bytes on entry.
void RgbaBytesToPixels(Raster& raster);

}  // namespace klv

#endif  // KLV_MAKER_LIBRARY_DECODERS_H_
