// The tile effect: copies every picture pixel of the grid's covered area into the tiles
// that cover it (all of them with the piece density as probability, otherwise exactly
// one), and sprinkles the picture onto the base surface with the background density.
#ifndef KLV_MAKER_TILE_EFFECT_H_
#define KLV_MAKER_TILE_EFFECT_H_

#include "maker/grid.h"
#include "maker/make_values.h"
#include "maker/raster.h"
#include "maker/work_canvas.h"

namespace klv {

// Renders into `canvas` (prepared by PrepareWorkCanvas for `grid`) from `source`. Cells
// are walked row by row, column by column, and each cell column by column; a corner
// pixel takes one draw (the base step), every other pixel two (tile step, then base
// step). A copy from outside the source picture, or to a tile index or base pixel that
// does not exist, is skipped: the destination keeps its colour. Densities are used as
// given, without clamping.
void RenderTileEffect(const Raster& source, WorkCanvas& canvas, Grid grid, double piece_density,
                      double background_density, UniformSource& random);

}  // namespace klv

#endif  // KLV_MAKER_TILE_EFFECT_H_
