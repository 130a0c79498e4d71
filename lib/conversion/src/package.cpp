// Writing the puzzle package: the header record byte by byte, the text scramble, the
// picture chunks rebuilt from the loaded blocks, and the package's file name.
#include "conversion/package.h"

#include <algorithm>
#include <cstring>

#include "base/bytes.h"
#include "base/codepage.h"
#include "base/text.h"
#include "base/work_folder.h"

namespace klv {
namespace {

constexpr FourCC kFormData{{'D', 'A', 'T', 'A'}};
constexpr FourCC kHeaderChunk{{'K', 'L', 'V', 'Z'}};
constexpr FourCC kBaseChunk{{'K', 'L', 'V', 'B'}};
constexpr FourCC kTileChunk{{'K', 'L', 'V', 'P'}};

// Offsets inside the 40-byte info header.
constexpr size_t kBitCountOffset = 14;
constexpr size_t kCompressionOffset = 16;
constexpr size_t kImageSizeOffset = 20;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;

void PutText(uint8_t* record, size_t offset, size_t width, const std::string& text) {
  std::string_view value(text);
  value = value.substr(0, value.find('\0'));
  value = CutToByteLimit(value, width - 1);
  std::memcpy(record + offset, value.data(), value.size());
  ScrambleText(std::span<uint8_t>(record + offset, width));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

PackageHeader NewPackageHeader(int32_t x_max, int32_t y_max) {
  PackageHeader header;
  header.xMax = static_cast<int16_t>(static_cast<uint16_t>(x_max));
  header.yMax = static_cast<int16_t>(static_cast<uint16_t>(y_max));
  header.tileWidth = kTileSide;
  header.tileHeight = kTileSide;
  // Unsigned arithmetic: the picture size wraps to 16 bits for any grid value.
  header.pictureWidth =
      static_cast<int16_t>(static_cast<uint16_t>((static_cast<uint32_t>(x_max) + 1u) * 32u));
  header.pictureHeight =
      static_cast<int16_t>(static_cast<uint16_t>((static_cast<uint32_t>(y_max) + 1u) * 32u));
  return header;
}

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

void ScrambleText(std::span<uint8_t> field) {
  for (uint8_t& byte : field) {
    if (byte == 0) return;
    const uint8_t n = static_cast<uint8_t>(255 - byte);
    byte = static_cast<uint8_t>(((n & 0x0F) << 4) | (n >> 4));
  }
}

PackageHeaderBytes EncodePackageHeader(const PackageHeader& header) {
  PackageHeaderBytes bytes{};
  uint8_t* p = bytes.data();
  PutLe32(p + 0, static_cast<uint32_t>(header.fileVersion));
  PutLe16(p + 4, static_cast<uint16_t>(header.xMax));
  PutLe16(p + 6, static_cast<uint16_t>(header.yMax));
  PutLe16(p + 8, static_cast<uint16_t>(header.tileWidth));
  PutLe16(p + 10, static_cast<uint16_t>(header.tileHeight));
  PutLe16(p + 12, static_cast<uint16_t>(header.pictureWidth));
  PutLe16(p + 14, static_cast<uint16_t>(header.pictureHeight));
  PutLe16(p + 16, static_cast<uint16_t>(header.Difficulty));
  p[20] = header.backColor[0];
  p[21] = header.backColor[1];
  p[22] = header.backColor[2];
  PutText(p, kPassWordOffset, kPassWordWidth, header.PassWord);
  PutText(p, kPrevPassWordOffset, kPrevPassWordWidth, header.PrevPassWord);
  PutText(p, kPuzzleSetNameOffset, kPuzzleSetNameWidth, header.PuzzleSetName);
  PutText(p, kPuzzleNameOffset, kPuzzleNameWidth, header.PuzzleName);
  PutText(p, kLongPuzzleNameOffset, kLongPuzzleNameWidth, header.LongPuzzleName);
  return bytes;
}

SaveCause WriteBitmapChunk(RiffFile& out, FourCC id, const PictureSlot& slot) {
  if (!slot) return SaveCause::kPictureMissing;
  const PictureBlock& block = *slot;
  if (block.size() < 4 || GetLe32(block.data()) != kBmpInfoHeaderSize) {
    return SaveCause::kHeaderNot40;
  }
  if (block.size() < kBmpInfoHeaderSize) return SaveCause::kPictureTruncated;

  const uint64_t table_size = DibColorTableSize(block);
  const uint32_t compression = GetLe32(block.data() + kCompressionOffset);
  const bool run_length = compression == kRle8 || compression == kRle4;
  uint64_t pixel_size = GetLe32(block.data() + kImageSizeOffset);
  if (!run_length) {
    const int32_t width = DibWidth(block);
    const int32_t height = DibHeight(block);
    if (width < 0 || height < 0) return SaveCause::kPictureTruncated;
    const uint64_t bits = GetLe16(block.data() + kBitCountOffset);
    // bits x width stays below 2^47; only the product with the height can overflow.
    const uint64_t row_size = (bits * static_cast<uint64_t>(width) + 31) / 32 * 4;
    std::optional<uint64_t> size = CheckedMul(row_size, static_cast<uint64_t>(height));
    if (!size) return SaveCause::kPictureTruncated;
    pixel_size = *size;
  }
  std::optional<uint64_t> data_size = CheckedAdd(kBmpInfoHeaderSize, table_size);
  if (data_size) data_size = CheckedAdd(*data_size, pixel_size);
  // The block is at most kMaxPictureFileSize long, so a size that passes fits 32 bits.
  if (!data_size || *data_size > block.size()) return SaveCause::kPictureTruncated;

  uint8_t head[kBmpFileHeaderSize + kBmpInfoHeaderSize] = {};
  head[0] = 'B';
  head[1] = 'M';
  PutLe32(head + 2, static_cast<uint32_t>(kBmpFileHeaderSize + *data_size));
  PutLe32(head + 10, static_cast<uint32_t>(kBmpFileHeaderSize + kBmpInfoHeaderSize + table_size));
  std::memcpy(head + kBmpFileHeaderSize, block.data(), kBmpInfoHeaderSize);
  if (!run_length) {
    PutLe32(head + kBmpFileHeaderSize + kImageSizeOffset, static_cast<uint32_t>(pixel_size));
  }
  const size_t rest = static_cast<size_t>(*data_size) - kBmpInfoHeaderSize;
  if (!out.CreateChunk(id, static_cast<uint32_t>(kBmpFileHeaderSize + *data_size)).ok() ||
      !out.Write(head, sizeof head).ok() || !out.Write(block.data() + kBmpInfoHeaderSize, rest).ok() ||
      !out.Ascend().ok()) {
    return SaveCause::kWriteFailed;
  }
  return SaveCause::kNone;
}

PackageWriteResult WritePackage(RiffFile& out, const PackageHeader& header, const PictureSlot& base,
                                std::span<const PictureSlot> tiles) {
  PackageWriteResult result;
  const PackageHeaderBytes record = EncodePackageHeader(header);
  if (!out.CreateRiff(kFormData).ok() || !out.CreateChunk(kHeaderChunk, kPackageHeaderSize).ok() ||
      !out.Write(record.data(), record.size()).ok() || !out.Ascend().ok()) {
    result.cause = SaveCause::kWriteFailed;
    return result;
  }
  result.cause = WriteBitmapChunk(out, kBaseChunk, base);
  if (!result.ok()) {
    result.picture = PackageWriteResult::kBasePicture;
    return result;
  }
  for (size_t i = 0; i < tiles.size(); ++i) {
    result.cause = WriteBitmapChunk(out, kTileChunk, tiles[i]);
    if (!result.ok()) {
      result.picture = static_cast<int>(i);
      return result;
    }
  }
  if (!out.Ascend().ok()) result.cause = SaveCause::kWriteFailed;
  return result;
}

std::string PackageFileName(const std::string& text) {
  // A zero byte ends the text, as it ends the header field.
  const std::string puzzle_name = text.substr(0, text.find('\0'));
  std::string name;
#if defined(_WIN32)
  for (size_t i = 0; i < puzzle_name.size();) {
    const size_t width = Cp932CharacterWidth(puzzle_name, i);
    const char c = puzzle_name[i];
    if (width == 1 && (c == '/' || c == '\\')) {
      name += '_';
    } else {
      name.append(puzzle_name, i, width);
    }
    i += width;
  }
#else
  if (std::optional<std::string> utf8 = Cp932ToUtf8(puzzle_name)) {
    name = *utf8;
  } else {
    // Character by character, so that one bad byte does not hide the rest of the name.
    static constexpr char kHex[] = "0123456789ABCDEF";
    size_t i = 0;
    while (i < puzzle_name.size()) {
      const uint8_t lead = static_cast<uint8_t>(puzzle_name[i]);
      const size_t length = Cp932CharacterWidth(puzzle_name, i);
      std::optional<std::string> part = Cp932ToUtf8(puzzle_name.substr(i, length));
      if (part && !part->empty()) {
        name += *part;
        i += length;
      } else {
        name += '%';
        name += kHex[lead >> 4];
        name += kHex[lead & 0x0F];
        i += 1;
      }
    }
  }
  // UTF-8 never holds these bytes inside a longer character.
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\\', '_');
#endif
  return name + kPackageExtension;
}

}  // namespace klv
