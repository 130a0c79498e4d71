// The headers of a BMP file image, read over a byte span in this one place for every
// reader: the 14-byte file header and the info header after it. The package library and
// the maker's picture decoder read an info header that is not 40 bytes long differently;
// both readings are here side by side, each under its name.
#ifndef KLV_FORMAT_BMP_HEADER_H_
#define KLV_FORMAT_BMP_HEADER_H_

#include <cstddef>
#include <cstdint>
#include <span>

namespace klv {

// A 14-byte file header starting with "BM", then the info header: 40 bytes in every
// picture the package holds.
inline constexpr size_t kBmpFileHeaderSize = 14;
inline constexpr uint32_t kBmpInfoHeaderSize = 40;

// Offsets of the file header's fields from the file's first byte ("BM" at 0).
inline constexpr size_t kBmpFileSizeField = 2;
inline constexpr size_t kBmpReservedField = 6;  // two 16-bit fields
inline constexpr size_t kBmpPixelOffsetField = 10;

// Offsets of the info header's fields from its first byte (its size field), as a
// 40-byte header holds them.
inline constexpr size_t kInfoWidthField = 4;
inline constexpr size_t kInfoHeightField = 8;
inline constexpr size_t kInfoPlanesField = 12;
inline constexpr size_t kInfoBitCountField = 14;
inline constexpr size_t kInfoCompressionField = 16;
inline constexpr size_t kInfoImageSizeField = 20;
inline constexpr size_t kInfoColorsUsedField = 32;

// The 12-byte core header: unsigned 16-bit sides, no compression, no colour count.
inline constexpr uint32_t kBmpCoreHeaderSize = 12;

// The compression field's values.
inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiRle8 = 1;
inline constexpr uint32_t kBiRle4 = 2;
inline constexpr uint32_t kBiBitfields = 3;
inline constexpr uint32_t kBiJpeg = 4;
inline constexpr uint32_t kBiPng = 5;
inline constexpr uint32_t kBiAlphaBitfields = 6;

struct BmpFileHeader {
  bool signature = false;  // the file starts with "BM"
  uint32_t fileSize = 0;
  uint32_t reserved = 0;  // both reserved fields together
  uint32_t pixelOffset = 0;
};

// The file header at the start of `file`. Fields that lie past the end of `file` read as
// 0 (and the signature as absent).
BmpFileHeader ReadBmpFileHeader(std::span<const uint8_t> file);

struct BmpInfoHeader {
  uint32_t size = 0;  // the header's own size field
  bool core = false;  // read as the 12-byte core header
  int64_t width = 0;
  int64_t height = 0;  // negative for rows stored top down
  uint16_t bitCount = 0;
  uint32_t compression = kBiRgb;
  uint32_t imageSize = 0;
  uint32_t colorsUsed = 0;

  friend bool operator==(const BmpInfoHeader&, const BmpInfoHeader&) = default;
};

// The maker's picture decoder's reading of the info header `info` (from its size field):
// a 12-byte core header holds unsigned 16-bit sides at 4 and 6 and the bit count at 10,
// and no other field; a header of any other size holds the signed 32-bit sides at 4 and
// 8 and the other fields at a 40-byte header's places. Fields that lie past the end of
// `info` read as 0.
BmpInfoHeader ReadDecoderInfoHeader(std::span<const uint8_t> info);

// The package library's reading of the info header `info`, on which the pictures it
// writes into a package rest: only a 40-byte header holds signed 32-bit sides (at 4 and
// 8); a header of any other size is read for unsigned 16-bit sides at 4 and 6. Every
// other field is read at a 40-byte header's place, whatever the size. Fields that lie
// past the end of `info` read as 0.
BmpInfoHeader ReadLibraryInfoHeader(std::span<const uint8_t> info);

// The entries of the colour table after a 40-byte header: the used-colours field when it
// is not 0, else 2, 16 or 256 for 1, 4 or 8 bits per pixel, else 0.
uint32_t BmpColorCount(const BmpInfoHeader& header);

// The bytes of one stored row of `width` pixels of `bit_count` bits, padded to four
// bytes. Exact for any width and bit count below 2^32.
uint64_t BmpRowStride(uint64_t width, uint64_t bit_count);

}  // namespace klv

#endif  // KLV_FORMAT_BMP_HEADER_H_
