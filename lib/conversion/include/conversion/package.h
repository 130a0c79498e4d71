// Writing the puzzle package (its bytes and its file name are laid out in
// format/package_format.h): the colour text of Puzzle.ini, each picture rebuilt as a
// complete BMP file image in its chunk, and the whole RIFF form through the platform's
// writer.
#ifndef KLV_CONVERSION_PACKAGE_H_
#define KLV_CONVERSION_PACKAGE_H_

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "base/platform.h"
#include "conversion/bitmap.h"
#include "conversion/messages.h"
#include "format/package_format.h"

namespace klv {

// The colour bytes of a backColor text read as "%02X%02X%02X": up to three groups of at
// most two hexadecimal digits from the start (blanks before a group are skipped); the
// first group is byte 0. Groups that are absent, or follow a character that is not a
// digit, are 0.
std::array<uint8_t, 3> ParseBackColor(std::string_view text);

// Writes one picture chunk with the id `id` from `slot`: the chunk holds a 14-byte BMP
// file header (file size 54 + T + S, offset to pixels 54 + T) and the block's first
// 40 + T + S bytes, with the image-size field set to S unless the picture is run-length
// encoded (compression 1 or 2 keep their stored size). Odd chunks get a pad byte.
// Returns kNone when written; kPictureMissing for an empty slot, kHeaderNot40,
// kPictureTruncated when 40 + T + S exceeds the block (nothing is read past it), and
// kWriteFailed when the file refused a step (its error then goes to *error unless that is
// null). Nothing is written unless the checks pass.
SaveCause WriteBitmapChunk(RiffFile& out, FourCC id, const PictureSlot& slot,
                           Status* error = nullptr);

// The outcome of WritePackage: `cause` kNone when the whole form was written; otherwise
// why it stopped and at which picture (kBasePicture, a tile index, or kNoPicture), and
// for kWriteFailed the writer's error with the system's reason.
struct PackageWriteResult {
  static constexpr int kNoPicture = -2;
  static constexpr int kBasePicture = -1;
  SaveCause cause = SaveCause::kNone;
  int picture = kNoPicture;
  Status error;
  bool ok() const { return cause == SaveCause::kNone; }
};

// Writes the whole form front to back: RIFF "DATA", chunk "KLVZ" with the encoded
// header, chunk "KLVB" from `base`, one chunk "KLVP" per entry of `tiles` in order, then
// closes the form. Stops at the first failure. Does not commit `out`.
PackageWriteResult WritePackage(RiffFile& out, const PackageHeader& header, const PictureSlot& base,
                                std::span<const PictureSlot> tiles);

// The same with each picture asked for only when its chunk is due: `picture` is called
// with kBasePicture, then each tile index below `tile_count`, and returns the slot to
// write, which must stay valid until the next call (so the caller need hold only one
// picture at a time). An empty slot stops writing with kPictureMissing.
using PictureSupplier = std::function<const PictureSlot&(int picture)>;
PackageWriteResult WritePackage(RiffFile& out, const PackageHeader& header, size_t tile_count,
                                const PictureSupplier& picture);

}  // namespace klv

#endif  // KLV_CONVERSION_PACKAGE_H_
