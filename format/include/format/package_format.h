// The puzzle package's bytes, shared by the writer (KLVUtils) and every reader (klvinfo,
// the package window): a RIFF form "DATA" holding the 592-byte header record (chunk
// "KLVZ"), the base picture (chunk "KLVB") and one chunk "KLVP" per tile in row order.
// Here: the header's layout, its text scramble, its encoding and decoding, and the
// package's file name.
#ifndef KLV_FORMAT_PACKAGE_FORMAT_H_
#define KLV_FORMAT_PACKAGE_FORMAT_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/work_folder.h"

namespace klv {

// Four-character identifiers of the RIFF framing, first character first as stored.
using ChunkId = std::array<char, 4>;
inline constexpr ChunkId kRiffId{'R', 'I', 'F', 'F'};
inline constexpr ChunkId kPackageFormType{'D', 'A', 'T', 'A'};
inline constexpr ChunkId kHeaderChunkId{'K', 'L', 'V', 'Z'};
inline constexpr ChunkId kBaseChunkId{'K', 'L', 'V', 'B'};
inline constexpr ChunkId kTileChunkId{'K', 'L', 'V', 'P'};

inline constexpr size_t kPackageHeaderSize = 592;
inline constexpr int16_t kTileSide = 64;
// The most tiles the converter puts in one package: its tile table has 144 slots (12
// rows of 12, used as one run), so any grid of up to 144 tiles fits.
inline constexpr int64_t kMaxPackageTiles = 144;

// Offsets of the header's number fields (little-endian, signed).
inline constexpr size_t kFileVersionOffset = 0;  // 32 bits
inline constexpr size_t kXMaxOffset = 4;         // 16 bits from here to kDifficultyOffset
inline constexpr size_t kYMaxOffset = 6;
inline constexpr size_t kTileWidthOffset = 8;
inline constexpr size_t kTileHeightOffset = 10;
inline constexpr size_t kPictureWidthOffset = 12;
inline constexpr size_t kPictureHeightOffset = 14;
inline constexpr size_t kDifficultyOffset = 16;
// Three colour bytes (red, green, blue), then a zero byte.
inline constexpr size_t kBackColorOffset = 20;

// Offsets and widths of the header's text fields. A field holds its text (at most the
// bytes Puzzle.ini's value keeps), a zero terminator and zero bytes to its end.
inline constexpr size_t kPassWordOffset = 24, kPassWordWidth = kPassWordBytes + 1;
inline constexpr size_t kPrevPassWordOffset = 35, kPrevPassWordWidth = kPrevPassWordBytes + 1;
inline constexpr size_t kPuzzleSetNameOffset = 46, kPuzzleSetNameWidth = kPuzzleSetNameBytes + 1;
inline constexpr size_t kPuzzleNameOffset = 57, kPuzzleNameWidth = kPuzzleNameBytes + 1;
inline constexpr size_t kLongPuzzleNameOffset = 73, kLongPuzzleNameWidth = kLongPuzzleNameBytes + 1;
// Every byte from here to the record's end is 0.
inline constexpr size_t kReservedTailOffset = kLongPuzzleNameOffset + kLongPuzzleNameWidth;

// The values of the header record. Texts are code page 932 bytes, not scrambled.
struct PackageHeader {
  int32_t fileVersion = 0;
  int16_t xMax = 0;
  int16_t yMax = 0;
  int16_t tileWidth = 0;
  int16_t tileHeight = 0;
  int16_t pictureWidth = 0;
  int16_t pictureHeight = 0;
  int16_t Difficulty = 0;
  std::array<uint8_t, 3> backColor{};  // red, green, blue
  std::string PassWord;
  std::string PrevPassWord;
  std::string PuzzleSetName;
  std::string PuzzleName;
  std::string LongPuzzleName;

  friend bool operator==(const PackageHeader&, const PackageHeader&) = default;
};

using PackageHeaderBytes = std::array<uint8_t, kPackageHeaderSize>;

// One text field of the record: its name as the header calls it, where it lies, and the
// member of PackageHeader that holds it.
struct TextField {
  const char* name;
  size_t offset;
  size_t width;
  std::string PackageHeader::*member;
};
// The five text fields in record order.
inline constexpr std::array<TextField, 5> kTextFields{{
    {"PassWord", kPassWordOffset, kPassWordWidth, &PackageHeader::PassWord},
    {"PrevPassWord", kPrevPassWordOffset, kPrevPassWordWidth, &PackageHeader::PrevPassWord},
    {"PuzzleSetName", kPuzzleSetNameOffset, kPuzzleSetNameWidth, &PackageHeader::PuzzleSetName},
    {"PuzzleName", kPuzzleNameOffset, kPuzzleNameWidth, &PackageHeader::PuzzleName},
    {"LongPuzzleName", kLongPuzzleNameOffset, kLongPuzzleNameWidth, &PackageHeader::LongPuzzleName},
}};

// A header for a grid of x_max by y_max tiles: the low 16 bits of each, tiles of 64 by
// 64, and the picture size (x_max + 1) x 32 by (y_max + 1) x 32 kept to 16 bits.
// Everything else is zero.
PackageHeader NewPackageHeader(int32_t x_max, int32_t y_max);

// The number of tile chunks a grid of x_max by y_max holds: 0 when either is zero or
// negative, otherwise the product.
int64_t PackageTileCount(int32_t x_max, int32_t y_max);

// Scrambles the bytes of `field` in place up to its first zero byte (or its end): each
// byte b becomes the two 4-bit halves of 255 - b swapped. Its own inverse; 0xFF gives 0.
void ScrambleText(std::span<uint8_t> field);

// The 592 bytes of the record: every field little-endian at its offset, each text cut
// to its field's width less one byte (never inside a double-byte character) and at a
// zero byte, then scrambled; every other byte 0.
PackageHeaderBytes EncodePackageHeader(const PackageHeader& header);

// The values of a record: every number field as stored, the colour bytes, and each text
// unscrambled up to its terminator (the field's first zero byte as stored; the whole
// field when it has none) or up to a byte that unscrambles to zero (a stored 0xFF, which
// no text byte scrambles to). The inverse of EncodePackageHeader for every header whose
// texts fit their fields and hold no byte 0xFF (which the scramble turns into the
// terminator). Reserved bytes and bytes after a terminator are not looked at.
PackageHeader DecodePackageHeader(const PackageHeaderBytes& bytes);

// The package's file name for the PuzzleName value `puzzle_name` (code page 932 bytes),
// the one rule by which the library names the package it writes and a puzzle set plans
// its packages' names: the text up to a zero byte, cut to kPuzzleNameBytes bytes as the
// library reads the value (never inside a double-byte character), followed by ".klv",
// with every "/" and "\" replaced by "_" so that the file always lies in the work folder.
// On Linux the name is converted to UTF-8; a byte that does not start a valid code page
// 932 character becomes "%XX" (its hexadecimal value). On Windows the bytes are kept and
// only single-byte separators are replaced (a double-byte character's second byte may be
// 0x5C).
std::string PackageFileName(const std::string& puzzle_name);

}  // namespace klv

#endif  // KLV_FORMAT_PACKAGE_FORMAT_H_
