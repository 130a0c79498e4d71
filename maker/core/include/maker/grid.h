// The tile grid of a picture: how many 64 x 64 tiles on a 32-pixel pitch it gets, and the
// puzzle name proposed from the file name. The front ends word the grid in their language.
#ifndef KLV_MAKER_GRID_H_
#define KLV_MAKER_GRID_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace klv {

inline constexpr int kTileSize = 64;
inline constexpr int kTilePitch = 32;
inline constexpr int kMaxGridSide = 9;
// The longest side whose grid still fits: 335 / 32 - 1 rounds to 9, 336 / 32 - 1 to 10.
inline constexpr int kMaxPictureSide = 335;
// The shortest side whose grid holds a tile: 49 / 32 - 1 rounds to 1, 48 / 32 - 1 to 0.
inline constexpr int kMinPictureSide = 49;

struct Grid {
  int16_t xMax = 0;  // tile columns
  int16_t yMax = 0;  // tile rows
  friend bool operator==(const Grid&, const Grid&) = default;
};

// side / 32 - 1 rounded to the nearest integer, a tie going to the even neighbour,
// for width and height.
Grid GridForPicture(int width, int height);

// True when neither count exceeds 9 (there is no lower bound).
bool GridFits(Grid grid);

// True when the grid holds at least one tile: both counts at least 1.
bool GridHasTiles(Grid grid);

// The puzzle name proposed for the picture file `file_name` (code page 932, no folder):
// the characters before its first "." (all of it when it has none), at most
// kProposedNameCharacters of them.
inline constexpr size_t kProposedNameCharacters = 15;
std::string ProposePuzzleName(const std::string& file_name);

}  // namespace klv

#endif  // KLV_MAKER_GRID_H_
