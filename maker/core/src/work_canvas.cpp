// The work canvas of a make: tile surfaces painted in the background colour and the base
// surface, which takes the picture and is painted white over the grid's covered area.
#include "maker/work_canvas.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "maker/colors.h"

namespace klv {

int WorkTileCount(Grid grid) {
  const auto tile_count = static_cast<int16_t>(grid.xMax * grid.yMax);
  return tile_count > 0 ? tile_count : 0;
}

WorkCanvas PrepareWorkCanvas(const Raster& source, Grid grid, int back_color_index) {
  WorkCanvas canvas;
  if (const int tile_count = WorkTileCount(grid); tile_count > 0) {
    canvas.tiles.assign(static_cast<size_t>(tile_count),
                        Raster::Filled(kTileSize, kTileSize, QBColor(back_color_index)));
  }

  // The base surface takes the picture at its own size; the white rectangle covers the
  // grid's area (x from 0 to (xMax + 1) x 32, exclusive) and is cut at the surface's edge.
  canvas.base = source;
  const int white_width = std::clamp((grid.xMax + 1) * kTilePitch, 0, canvas.base.width);
  const int white_height = std::clamp((grid.yMax + 1) * kTilePitch, 0, canvas.base.height);
  const uint32_t white = QBColor(kWhiteIndex);
  for (int y = 0; y < white_height; ++y) {
    uint32_t* row = canvas.base.pixels.data() + canvas.base.Index(0, y);
    std::fill(row, row + white_width, white);
  }
  return canvas;
}

}  // namespace klv
