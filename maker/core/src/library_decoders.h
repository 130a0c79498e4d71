// The Linux build's decoders, one small file per library (png_decoder.cpp over libpng,
// jpeg_decoder.cpp over libjpeg-turbo, webp_decoder.cpp over libwebp), which
// picture_decoders_linux.cpp puts behind the platform's decoder seam. Each reads a whole
// file image from memory; contracts as in picture_decoders.h.
#ifndef KLV_MAKER_LIBRARY_DECODERS_H_
#define KLV_MAKER_LIBRARY_DECODERS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "maker/raster.h"
#include "picture_decoders.h"

namespace klv {

StatusOr<StoredSize> ReadPngSize(const std::vector<uint8_t>& file);
// Every colour type and depth, palette transparency, 16 bits, interlacing. A picture that
// is not interlaced is decoded one row at a time; an interlaced one needs all its rows.
Status DecodePngRows(const std::vector<uint8_t>& file, const RowSink& rows);

StatusOr<StoredSize> ReadJpegSize(const std::vector<uint8_t>& file);
// Baseline and progressive; grey, YCbCr, RGB, CMYK and YCCK; decoded at `scale` eighths
// in the DCT, one row at a time.
Status DecodeJpegRows(const std::vector<uint8_t>& file, int scale, const RowSink& rows);

StatusOr<StoredSize> ReadWebpSize(const std::vector<uint8_t>& file);
// Still pictures, lossy or lossless, with or without alpha; animations are refused.
// Decoded at `scale` eighths by libwebp's scaler, whole.
Status DecodeWebpRows(const std::vector<uint8_t>& file, int scale, const RowSink& rows);

// Turns `count` pixels decoded as four bytes each (R, G, B, A in memory order) in place
// into 0xRRGGBB laid over white.
void RgbaBytesToPixels(uint32_t* pixels, size_t count);

}  // namespace klv

#endif  // KLV_MAKER_LIBRARY_DECODERS_H_
