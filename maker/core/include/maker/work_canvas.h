// The work canvas of a make: the tile surfaces, painted in the background colour, and the
// base surface, the picture painted white over the grid's covered area. The tile effect
// draws into them and the make output saves them.
#ifndef KLV_MAKER_WORK_CANVAS_H_
#define KLV_MAKER_WORK_CANVAS_H_

#include <cstdint>
#include <vector>

#include "maker/grid.h"
#include "maker/raster.h"

namespace klv {

// The canvas holds this many tile surfaces; a grid that fits (9 x 9) uses at most 81.
inline constexpr int kTileSurfaceCount = 115;

struct WorkCanvas {
  std::vector<Raster> tiles;  // tile index r * xMax + c; WorkTileCount of them
  Raster base;
};

// How many tile surfaces a canvas for `grid` has: the window's 16-bit product
// xMax x yMax, none when that is 0 or less (so a -1 x -1 grid has one).
int WorkTileCount(Grid grid);

// Prepares the surfaces for `grid`: xMax x yMax tile surfaces of 64 x 64 pixels in
// palette colour `back_color_index`, and the base surface of the picture's own size,
// white from (0, 0) to ((xMax + 1) x 32, (yMax + 1) x 32), cut at its edge; pixels beyond
// keep the picture. Requires xMax x yMax <= kTileSurfaceCount.
WorkCanvas PrepareWorkCanvas(const Raster& source, Grid grid, int back_color_index);

}  // namespace klv

#endif  // KLV_MAKER_WORK_CANVAS_H_
