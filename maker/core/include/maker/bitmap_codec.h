// The maker's one way into and out of a picture: decoding every common Windows bitmap
// into a Raster, and encoding a Raster as the 24-bit bitmap that the package library
// takes. A corrupt or truncated file is an error, never a read past the data.
#ifndef KLV_MAKER_BITMAP_CODEC_H_
#define KLV_MAKER_BITMAP_CODEC_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/limits.h"
#include "base/status_or.h"
#include "maker/raster.h"

namespace klv {

// Decodes a BMP file image: 1, 4, 8, 16, 24 and 32 bits per pixel; run-length 4 and 8;
// bit-field masks; bottom-up and top-down rows; the 12-byte core header and the 40, 52,
// 56, 108 and 124-byte info headers. On failure an Invalid status whose reason is a
// short English description ("truncated pixel data", "unsupported compression 4 (JPEG)",
// ...).
// How the unusual cases decode:
// - pixels that run-length data leaves out (delta jumps, end of line, an early end of
//   bitmap) take colour-table entry 0, as do palette indexes beyond the colour table;
//   runs may reach into a row's padding to four bytes (some writers encode it), where
//   their pixels are dropped; a missing end-of-bitmap after the last row is forgiven;
// - the alpha channel of 16- and 32-bit pictures is ignored;
// - masks: BI_BITFIELDS and BI_ALPHABITFIELDS take them from the 12 or 16 bytes after a
//   40-byte header, or from the longer headers themselves; without them 16 bits are
//   5-5-5 and 32 bits 8-8-8. A zero mask gives 0 in its channel; a non-contiguous,
//   overlapping or (for 16 bits) too wide mask is refused. Channels of fewer than 8
//   bits are widened by repeating their high bits (5-bit 31 -> 255), wider ones keep
//   their top 8 bits;
// - a used-colours count above what the depth can index is cut to 2, 16 or 256; the
//   core header's table holds as many entries (up to that) as fit before the pixels;
// - refused: width or height 0 (an empty picture), a negative width, a side above
//   kMaxDecodedSide or more than kMaxDecodedPixels pixels, JPEG or PNG content,
//   run-length data that goes past a row's padding or the last row, and pixel data
//   that is missing or lies outside the file. Only the last row's padding may be absent.
StatusOr<Raster> DecodeBitmap(const std::vector<uint8_t>& file);

// A 24-bit bottom-up BMP file image of `raster` with the 40-byte info header, image size
// filled in, no colour table, rows padded to four bytes. Requires a well-formed raster
// (sides >= 0, width x height pixels); returns an empty vector for a malformed one or
// one whose file would not fit the format's 32-bit size fields.
std::vector<uint8_t> EncodeBitmap24(const Raster& raster);

}  // namespace klv

#endif  // KLV_MAKER_BITMAP_CODEC_H_
