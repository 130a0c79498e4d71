// Reading the BMP headers field by field from a byte span: every field is taken only
// when all its bytes lie inside the span, so a short or hostile file reads as zeros,
// never past its end.
#include "format/bmp_header.h"

#include "base/bytes.h"

namespace klv {
namespace {

uint32_t Field32(std::span<const uint8_t> bytes, size_t offset) {
  return offset + 4 <= bytes.size() ? GetLe32(bytes.data() + offset) : 0;
}

uint16_t Field16(std::span<const uint8_t> bytes, size_t offset) {
  return offset + 2 <= bytes.size() ? GetLe16(bytes.data() + offset) : 0;
}

int32_t Field32Signed(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int32_t>(Field32(bytes, offset));
}

// The fields that both readings take at a 40-byte header's places.
BmpInfoHeader ReadFullInfoHeader(std::span<const uint8_t> info) {
  BmpInfoHeader header;
  header.size = Field32(info, 0);
  header.width = Field32Signed(info, kInfoWidthField);
  header.height = Field32Signed(info, kInfoHeightField);
  header.bitCount = Field16(info, kInfoBitCountField);
  header.compression = Field32(info, kInfoCompressionField);
  header.imageSize = Field32(info, kInfoImageSizeField);
  header.colorsUsed = Field32(info, kInfoColorsUsedField);
  return header;
}

}  // namespace

BmpFileHeader ReadBmpFileHeader(std::span<const uint8_t> file) {
  BmpFileHeader header;
  header.signature = file.size() >= 2 && file[0] == 'B' && file[1] == 'M';
  header.fileSize = Field32(file, kBmpFileSizeField);
  header.reserved = Field32(file, kBmpReservedField);
  header.pixelOffset = Field32(file, kBmpPixelOffsetField);
  return header;
}

BmpInfoHeader ReadDecoderInfoHeader(std::span<const uint8_t> info) {
  if (Field32(info, 0) != kBmpCoreHeaderSize) return ReadFullInfoHeader(info);
  BmpInfoHeader header;
  header.size = kBmpCoreHeaderSize;
  header.core = true;
  header.width = Field16(info, 4);
  header.height = Field16(info, 6);
  header.bitCount = Field16(info, 10);
  return header;
}

BmpInfoHeader ReadLibraryInfoHeader(std::span<const uint8_t> info) {
  BmpInfoHeader header = ReadFullInfoHeader(info);
  if (header.size != kBmpInfoHeaderSize) {
    header.width = Field16(info, 4);
    header.height = Field16(info, 6);
  }
  return header;
}

uint32_t BmpColorCount(const BmpInfoHeader& header) {
  if (header.colorsUsed != 0) return header.colorsUsed;
  switch (header.bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

uint64_t BmpRowStride(uint64_t width, uint64_t bit_count) {
  return (bit_count * width + 31) / 32 * 4;
}

}  // namespace klv
