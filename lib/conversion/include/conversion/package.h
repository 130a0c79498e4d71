// The puzzle package: a RIFF form "DATA" holding the 592-byte header record
// (chunk "KLVZ"), the base picture (chunk "KLVB") and one chunk "KLVP" per tile in row
// order. This module builds the header field by field, scrambles its texts, rebuilds each
// picture as a complete BMP file image and names the package file.
#ifndef KLV_CONVERSION_PACKAGE_H_
#define KLV_CONVERSION_PACKAGE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/platform.h"
#include "base/work_folder.h"
#include "conversion/bitmap.h"
#include "conversion/messages.h"

namespace klv {

inline constexpr size_t kPackageHeaderSize = 592;
inline constexpr int16_t kTileSide = 64;

// Offsets and widths of the header's text fields. A field holds its text (at most the
// bytes Puzzle.ini's value keeps), a zero terminator and zero bytes to its end.
inline constexpr size_t kPassWordOffset = 24, kPassWordWidth = kPassWordBytes + 1;
inline constexpr size_t kPrevPassWordOffset = 35, kPrevPassWordWidth = kPrevPassWordBytes + 1;
inline constexpr size_t kPuzzleSetNameOffset = 46, kPuzzleSetNameWidth = kPuzzleSetNameBytes + 1;
inline constexpr size_t kPuzzleNameOffset = 57, kPuzzleNameWidth = kPuzzleNameBytes + 1;
inline constexpr size_t kLongPuzzleNameOffset = 73, kLongPuzzleNameWidth = kLongPuzzleNameBytes + 1;

// The values of the header record. Texts are code page 932 bytes, not yet scrambled.
struct PackageHeader {
  int32_t fileVersion = 0;
  int16_t xMax = 0;
  int16_t yMax = 0;
  int16_t tileWidth = 0;
  int16_t tileHeight = 0;
  int16_t pictureWidth = 0;
  int16_t pictureHeight = 0;
  int16_t Difficulty = 0;
  std::array<uint8_t, 3> backColor{};
  std::string PassWord;
  std::string PrevPassWord;
  std::string PuzzleSetName;
  std::string PuzzleName;
  std::string LongPuzzleName;
};

using PackageHeaderBytes = std::array<uint8_t, kPackageHeaderSize>;

// A header for a grid of x_max by y_max tiles: the low 16 bits of each, tiles of 64 by
// 64, and the picture size (x_max + 1) x 32 by (y_max + 1) x 32 kept to 16 bits.
// Everything else is zero.
PackageHeader NewPackageHeader(int32_t x_max, int32_t y_max);

// The colour bytes of a backColor text read as "%02X%02X%02X": up to three groups of at
// most two hexadecimal digits from the start (blanks before a group are skipped); the
// first group is byte 0. Groups that are absent, or follow a character that is not a
// digit, are 0.
std::array<uint8_t, 3> ParseBackColor(std::string_view text);

// Scrambles the bytes of `field` in place up to its first zero byte (or its end): each
// byte b becomes the two 4-bit halves of 255 - b swapped. Its own inverse; 0xFF gives 0.
void ScrambleText(std::span<uint8_t> field);

// The 592 bytes of the record: every field little-endian at its offset, each text cut
// to its field's width less one byte (never inside a double-byte character) and at a
// zero byte, then scrambled; every other byte 0.
PackageHeaderBytes EncodePackageHeader(const PackageHeader& header);

// Writes one picture chunk with the id `id` from `slot`: the chunk holds a 14-byte BMP
// file header (file size 54 + T + S, offset to pixels 54 + T) and the block's first
// 40 + T + S bytes, with the image-size field set to S unless the picture is run-length
// encoded (compression 1 or 2 keep their stored size). Odd chunks get a pad byte.
// Returns kNone when written; kPictureMissing for an empty slot, kHeaderNot40,
// kPictureTruncated when 40 + T + S exceeds the block (nothing is read past it), and
// kWriteFailed when the file refused a step. Nothing is written unless the checks pass.
SaveCause WriteBitmapChunk(RiffFile& out, FourCC id, const PictureSlot& slot);

// The outcome of WritePackage: `cause` kNone when the whole form was written; otherwise
// why it stopped and at which picture (kBasePicture, a tile index, or kNoPicture).
struct PackageWriteResult {
  static constexpr int kNoPicture = -2;
  static constexpr int kBasePicture = -1;
  SaveCause cause = SaveCause::kNone;
  int picture = kNoPicture;
  bool ok() const { return cause == SaveCause::kNone; }
};

// Writes the whole form front to back: RIFF "DATA", chunk "KLVZ" with the encoded
// header, chunk "KLVB" from `base`, one chunk "KLVP" per entry of `tiles` in order, then
// closes the form. Stops at the first failure. Does not commit `out`.
PackageWriteResult WritePackage(RiffFile& out, const PackageHeader& header, const PictureSlot& base,
                                std::span<const PictureSlot> tiles);

// The package's file name for the PuzzleName text `puzzle_name` (code page 932 bytes):
// the name followed by ".klv", with every "/" and "\" replaced by "_" so that the file
// always lies in the work folder. On Linux the name is converted to UTF-8; a byte that
// does not start a valid code page 932 character becomes "%XX" (its hexadecimal value).
// On Windows the bytes are kept and only single-byte separators are replaced (a
// double-byte character's second byte may be 0x5C).
std::string PackageFileName(const std::string& puzzle_name);

}  // namespace klv

#endif  // KLV_CONVERSION_PACKAGE_H_
