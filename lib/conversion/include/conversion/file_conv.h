// The package conversion: reads a work folder (Puzzle.ini, the tile pictures
// "res%02d%02d.bmp" and base.bmp), loads and checks every picture, and writes the
// package "<PuzzleName>.klv" beside them, all through the platform seam so that tests
// can run it over an in-memory folder.
#ifndef KLV_CONVERSION_FILE_CONV_H_
#define KLV_CONVERSION_FILE_CONV_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "conversion/bitmap.h"
#include "conversion/package.h"

namespace klv {

class Env;

// The tile table holds 144 slots (12 rows of 12), used as one run of slots: tile (r, c)
// lives in slot r x xMax + c, so any grid of up to 144 tiles fits.
inline constexpr size_t kTileSlots = kMaxPackageTiles;

// The library's state between calls: the header of the last call and the heads (info
// headers) of its pictures that passed the checks, kept until the next call releases
// them. A picture's body is held only while its chunk is written.
struct ConversionState {
  PackageHeader header;
  int32_t xMax = 0;
  int32_t yMax = 0;
  std::array<PictureSlot, kTileSlots> tiles;
  PictureSlot base;
};

// The number of tiles of an x_max by y_max grid: 0 when either is zero or negative,
// otherwise the product (which cannot overflow 64 bits).
int64_t TileCount(int32_t x_max, int32_t y_max);

// The path of `name` in `folder` (given without a trailing separator).
std::string JoinPath(const std::string& folder, const std::string& name);

// Converts the work folder `folder` (without a trailing separator) into its package
// "<PuzzleName>.klv" in the same folder. Releases the pictures of the previous call
// first. Puzzle.ini is read once, from the file held open until the end. Every file is
// opened by its exact name, and by another spelling (FindWorkFile) only when that name
// is absent. Every picture is checked before any is loaded, and then loaded one at a time
// while it is written, so memory stays near one picture whatever the grid. Returns 1
// when the package was written completely and committed, 0 otherwise: also when
// Puzzle.ini or a picture changed (or Puzzle.ini appeared) while the package was made.
// Shows through `env`: message 4 and 5 for each picture that is invalid or cannot be
// loaded (loading always goes on), the grid message for a grid of more than 144 tiles
// (refused before anything is loaded), and the save-failure message naming the package
// and the cause whenever 0 is returned for any other reason. A failed write leaves no
// file behind and an earlier package of the same name untouched.
int16_t ConvertWorkFolder(Env& env, ConversionState& state, const std::string& folder);

}  // namespace klv

#endif  // KLV_CONVERSION_FILE_CONV_H_
