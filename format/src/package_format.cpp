// The package header record, field by field: building it for a grid, encoding it into
// its 592 bytes with the texts scrambled, and decoding those bytes back; and the
// package's file name.
#include "format/package_format.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "base/bytes.h"
#include "base/codepage.h"
#include "base/platform.h"
#include "base/text.h"

namespace klv {
namespace {

void PutText(uint8_t* record, const TextField& field, const std::string& text) {
  std::string_view value(text);
  value = value.substr(0, value.find('\0'));
  value = CutToByteLimit(value, field.width - 1);
  std::memcpy(record + field.offset, value.data(), value.size());
  ScrambleText(std::span<uint8_t>(record + field.offset, field.width));
}

std::string GetText(const uint8_t* record, const TextField& field) {
  const uint8_t* begin = record + field.offset;
  const uint8_t* end = begin;
  while (end != begin + field.width && *end != 0) ++end;
  std::string text(begin, end);
  ScrambleText(std::span<uint8_t>(reinterpret_cast<uint8_t*>(text.data()), text.size()));
  // A stored 0xFF unscrambles to a zero byte, which ends a text as the terminator does.
  return text.substr(0, text.find('\0'));
}

int16_t GetLe16Signed(const uint8_t* p) { return static_cast<int16_t>(GetLe16(p)); }

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

int64_t PackageTileCount(int32_t x_max, int32_t y_max) {
  if (x_max <= 0 || y_max <= 0) return 0;
  return int64_t{x_max} * y_max;
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
  PutLe32(p + kFileVersionOffset, static_cast<uint32_t>(header.fileVersion));
  PutLe16(p + kXMaxOffset, static_cast<uint16_t>(header.xMax));
  PutLe16(p + kYMaxOffset, static_cast<uint16_t>(header.yMax));
  PutLe16(p + kTileWidthOffset, static_cast<uint16_t>(header.tileWidth));
  PutLe16(p + kTileHeightOffset, static_cast<uint16_t>(header.tileHeight));
  PutLe16(p + kPictureWidthOffset, static_cast<uint16_t>(header.pictureWidth));
  PutLe16(p + kPictureHeightOffset, static_cast<uint16_t>(header.pictureHeight));
  PutLe16(p + kDifficultyOffset, static_cast<uint16_t>(header.Difficulty));
  std::memcpy(p + kBackColorOffset, header.backColor.data(), header.backColor.size());
  for (const TextField& field : kTextFields) PutText(p, field, header.*field.member);
  return bytes;
}

PackageHeader DecodePackageHeader(const PackageHeaderBytes& bytes) {
  const uint8_t* p = bytes.data();
  PackageHeader header;
  header.fileVersion = GetLe32Signed(p + kFileVersionOffset);
  header.xMax = GetLe16Signed(p + kXMaxOffset);
  header.yMax = GetLe16Signed(p + kYMaxOffset);
  header.tileWidth = GetLe16Signed(p + kTileWidthOffset);
  header.tileHeight = GetLe16Signed(p + kTileHeightOffset);
  header.pictureWidth = GetLe16Signed(p + kPictureWidthOffset);
  header.pictureHeight = GetLe16Signed(p + kPictureHeightOffset);
  header.Difficulty = GetLe16Signed(p + kDifficultyOffset);
  std::memcpy(header.backColor.data(), p + kBackColorOffset, header.backColor.size());
  for (const TextField& field : kTextFields) header.*field.member = GetText(p, field);
  return header;
}

std::string PackageFileName(const std::string& text) {
  // A zero byte ends the text, as it ends the header field; the library reads the value
  // cut to its field.
  const std::string puzzle_name(
      CutToByteLimit(std::string_view(text).substr(0, text.find('\0')), kPuzzleNameBytes));
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
