// Writing the puzzle package: the encoded header record, the picture chunks rebuilt
// from the loaded blocks, and the colour text.
#include "conversion/package.h"

#include <algorithm>
#include <cstring>

#include "base/bytes.h"
#include "base/codepage.h"
#include "base/text.h"
#include "base/work_folder.h"
#include "format/bmp_header.h"

namespace klv {
namespace {

FourCC ToFourCC(const ChunkId& id) { return FourCC{{id[0], id[1], id[2], id[3]}}; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::array<uint8_t, 3> ParseBackColor(std::string_view text) {
  std::array<uint8_t, 3> color{};
  size_t at = 0;
  for (uint8_t& byte : color) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    int value = 0;
    int digits = 0;
    while (digits < 2 && at < text.size() && HexDigit(text[at]) >= 0) {
      value = value * 16 + HexDigit(text[at]);
      ++at;
      ++digits;
    }
    if (digits == 0) break;  // the scan stops at the first group that does not match
    byte = static_cast<uint8_t>(value);
  }
  return color;
}

SaveCause WriteBitmapChunk(RiffFile& out, FourCC id, const PictureSlot& slot, Status* error) {
  if (!slot) return SaveCause::kPictureMissing;
  const PictureBlock& block = *slot;
  const BmpInfoHeader info =
      ReadLibraryInfoHeader(std::span<const uint8_t>(block.data(), block.size()));
  if (info.size != kBmpInfoHeaderSize) return SaveCause::kHeaderNot40;
  if (block.size() < kBmpInfoHeaderSize) return SaveCause::kPictureTruncated;

  const uint64_t table_size = uint64_t{4} * BmpColorCount(info);
  const bool run_length = info.compression == kBiRle8 || info.compression == kBiRle4;
  uint64_t pixel_size = info.imageSize;
  if (!run_length) {
    if (info.width < 0 || info.height < 0) return SaveCause::kPictureTruncated;
    // bits x width stays below 2^47; only the product with the height can overflow.
    const uint64_t row_size = BmpRowStride(static_cast<uint64_t>(info.width), info.bitCount);
    std::optional<uint64_t> size = CheckedMul(row_size, static_cast<uint64_t>(info.height));
    if (!size) return SaveCause::kPictureTruncated;
    pixel_size = *size;
  }
  std::optional<uint64_t> data_size = CheckedAdd(kBmpInfoHeaderSize, table_size);
  if (data_size) data_size = CheckedAdd(*data_size, pixel_size);
  // The block is at most kMaxPictureFileBytes long, so a size that passes fits 32 bits.
  if (!data_size || *data_size > block.size()) return SaveCause::kPictureTruncated;

  uint8_t head[kBmpFileHeaderSize + kBmpInfoHeaderSize] = {};
  head[0] = 'B';
  head[1] = 'M';
  PutLe32(head + kBmpFileSizeField, static_cast<uint32_t>(kBmpFileHeaderSize + *data_size));
  PutLe32(head + kBmpPixelOffsetField,
          static_cast<uint32_t>(kBmpFileHeaderSize + kBmpInfoHeaderSize + table_size));
  std::memcpy(head + kBmpFileHeaderSize, block.data(), kBmpInfoHeaderSize);
  if (!run_length) {
    PutLe32(head + kBmpFileHeaderSize + kInfoImageSizeField, static_cast<uint32_t>(pixel_size));
  }
  const size_t rest = static_cast<size_t>(*data_size) - kBmpInfoHeaderSize;
  Status status = out.CreateChunk(id, static_cast<uint32_t>(kBmpFileHeaderSize + *data_size));
  if (status.ok()) status = out.Write(head, sizeof head);
  if (status.ok()) status = out.Write(block.data() + kBmpInfoHeaderSize, rest);
  if (status.ok()) status = out.Ascend();
  if (status.ok()) return SaveCause::kNone;
  if (error != nullptr) *error = status;
  return SaveCause::kWriteFailed;
}

PackageWriteResult WritePackage(RiffFile& out, const PackageHeader& header, const PictureSlot& base,
                                std::span<const PictureSlot> tiles) {
  return WritePackage(out, header, tiles.size(), [&](int picture) -> const PictureSlot& {
    return picture == PackageWriteResult::kBasePicture ? base : tiles[static_cast<size_t>(picture)];
  });
}

PackageWriteResult WritePackage(RiffFile& out, const PackageHeader& header, size_t tile_count,
                                const PictureSupplier& picture) {
  PackageWriteResult result;
  const PackageHeaderBytes record = EncodePackageHeader(header);
  Status status = out.CreateRiff(ToFourCC(kPackageFormType));
  if (status.ok()) status = out.CreateChunk(ToFourCC(kHeaderChunkId), kPackageHeaderSize);
  if (status.ok()) status = out.Write(record.data(), record.size());
  if (status.ok()) status = out.Ascend();
  if (!status.ok()) {
    result.cause = SaveCause::kWriteFailed;
    result.error = status;
    return result;
  }
  result.cause = WriteBitmapChunk(out, ToFourCC(kBaseChunkId),
                                  picture(PackageWriteResult::kBasePicture), &result.error);
  if (!result.ok()) {
    result.picture = PackageWriteResult::kBasePicture;
    return result;
  }
  for (size_t i = 0; i < tile_count; ++i) {
    result.cause =
        WriteBitmapChunk(out, ToFourCC(kTileChunkId), picture(static_cast<int>(i)), &result.error);
    if (!result.ok()) {
      result.picture = static_cast<int>(i);
      return result;
    }
  }
  status = out.Ascend();
  if (!status.ok()) {
    result.cause = SaveCause::kWriteFailed;
    result.error = status;
  }
  return result;
}

}  // namespace klv
