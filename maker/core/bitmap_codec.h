// The maker's one way into and out of a picture: decoding every common Windows bitmap
// into a Raster, and encoding a Raster as the 24-bit bitmap that the package library
// takes. A corrupt or truncated file is an error, never a read past the data.
#ifndef KLV_MAKER_BITMAP_CODEC_H_
#define KLV_MAKER_BITMAP_CODEC_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "maker/core/raster.h"

namespace klv {

class Env;

// Pictures larger than this in either direction are refused before any pixel memory is
// allocated (the maker's grid never uses more than 335 pixels).
inline constexpr int kMaxDecodedSide = 65536;

// Decodes a BMP file image: 1, 4, 8, 16, 24 and 32 bits per pixel; run-length 4 and 8;
// bit-field masks; bottom-up and top-down rows; the 12-byte core header and the 40, 52,
// 56, 108 and 124-byte info headers. On failure returns nothing and sets *cause to a
// short English description ("truncated pixel data", "unsupported compression 4", ...).
std::optional<Raster> DecodeBitmap(const std::vector<uint8_t>& file, std::string* cause);

// Reads the file at `path` through `env` and decodes it. On failure *cause names the
// problem (the file cannot be read, or why it is not a usable bitmap).
std::optional<Raster> LoadPicture(Env& env, const std::string& path, std::string* cause);

// A 24-bit bottom-up BMP file image of `raster` with the 40-byte info header, image size
// filled in, no colour table, rows padded to four bytes.
std::vector<uint8_t> EncodeBitmap24(const Raster& raster);

}  // namespace klv

#endif  // KLV_MAKER_BITMAP_CODEC_H_
