// The tile grid of a picture and the puzzle name proposed from the picture's file name:
// what a click on a picture file decides.
#include "maker/grid.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "base/codepage.h"

namespace klv {
namespace {

// side / 32 - 1, rounded to the nearest integer with a tie going to the even neighbour.
// The result is kept within the 16-bit window value; anything that large fails the fit
// check anyway.
int16_t GridCount(int side) {
  const double exact = static_cast<double>(side) / kTilePitch - 1.0;
  double rounded = std::floor(exact);
  const double fraction = exact - rounded;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;
  if (rounded > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  if (rounded < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  return static_cast<int16_t>(rounded);
}

}  // namespace

Grid GridForPicture(int width, int height) { return Grid{GridCount(width), GridCount(height)}; }

bool GridFits(Grid grid) { return grid.xMax <= kMaxGridSide && grid.yMax <= kMaxGridSide; }

bool GridHasTiles(Grid grid) { return grid.xMax >= 1 && grid.yMax >= 1; }

std::string ProposePuzzleName(const std::string& file_name) {
  // A dot never occurs inside a double-byte character of code page 932 (trail bytes are
  // 0x40 and up), so the byte search finds the first dot character.
  const std::string stem = file_name.substr(0, file_name.find('.'));
  return std::string(FirstCharacters(stem, kProposedNameCharacters));
}

}  // namespace klv
