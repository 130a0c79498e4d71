// The pictures of a package as rasters, for klvinfo and the package window: the base and
// the tiles decoded in their grid places, the picture put back together from the tiles
// (what the player shows when the puzzle is solved), and a sheet of every picture.
#ifndef KLV_MAKER_PACKAGE_PICTURES_H_
#define KLV_MAKER_PACKAGE_PICTURES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/limits.h"
#include "base/status_or.h"
#include "format/package_reader.h"
#include "maker/raster.h"

namespace klv {

// A decoded tile and its place: tile (row, column) lies at (32 x column, 32 x row) of the
// picture.
struct TileRaster {
  int64_t index = 0;  // the tile slot, row-major
  int row = 0;
  int column = 0;
  Raster raster;
};

struct PackagePictures {
  std::optional<Raster> base;
  // The tiles that decode and lie in the grid, in slot order.
  std::vector<TileRaster> tiles;
  // One entry per picture that does not decode, naming its chunk and offset.
  std::vector<PackageProblem> problems;
};

// Decodes the base and every tile of `package` that has a place in its grid. A run-length
// picture may decode to far more memory than its bytes, so once the decoded pictures
// together pass `pixel_budget` the rest are reported as problems instead of decoded (a
// sound package, at most 320 x 320 and 144 tiles of 64 x 64, never comes near).
PackagePictures DecodePackagePictures(const Package& package,
                                      uint64_t pixel_budget = kMaxPackagePicturePixels);

// The header's background colour as 0xRRGGBB (its bytes are red, green, blue).
uint32_t BackColorRgb(const PackageHeader& header);

// The picture the player shows when the puzzle is solved: (xMax + 1) x 32 by
// (yMax + 1) x 32 pixels of the background colour, on which every tile is laid at its
// place in slot order, its background-colour pixels left out (they are transparent, so
// the background colour marks what no tile covers). An Invalid status when the grid
// holds no tile or the picture would pass kMaxPackagePicturePixels.
StatusOr<Raster> ReassemblePicture(const PackageHeader& header,
                                   const std::vector<TileRaster>& tiles);

// The colour of the sheet's margins and gaps, and their width in pixels.
inline constexpr uint32_t kSheetColor = 0xC0C0C0;
inline constexpr int kSheetGap = 8;

// Every picture on one sheet of kSheetColor: the base at the top left, then the grid of
// xMax by yMax cells (each as large as the largest tile) with each tile, as stored, in
// its cell; kSheetGap pixels around and between them. An Invalid status when the sheet
// would pass kMaxPackagePicturePixels.
StatusOr<Raster> PackageSheet(const PackageHeader& header, const PackagePictures& pictures);

}  // namespace klv

#endif  // KLV_MAKER_PACKAGE_PICTURES_H_
