// Package pictures as rasters: each chunk's BMP file image goes through the maker's one
// bitmap decoder; the solved picture and the sheet are laid out pixel by pixel on
// rasters whose size is checked before anything is allocated.
#include "maker/package_pictures.h"

#include <algorithm>

#include "maker/bitmap_codec.h"
#include "maker/grid.h"

namespace klv {
namespace {

std::string TileLabel(const PackagePicture& tile) {
  return "KLVP " + std::to_string(tile.index) + " (row " + std::to_string(tile.row) + ", column " +
         std::to_string(tile.column) + ")";
}

// Copies `from` onto `to` with its top-left corner at (x, y), leaving out pixels of the
// colour `transparent` when one is given. Pixels outside `to` are dropped.
void Lay(const Raster& from, int64_t x, int64_t y, std::optional<uint32_t> transparent,
         Raster& to) {
  for (int v = 0; v < from.height; ++v) {
    for (int u = 0; u < from.width; ++u) {
      const int64_t tx = x + u, ty = y + v;
      if (tx < 0 || ty < 0 || tx >= to.width || ty >= to.height) continue;
      const uint32_t pixel = from.At(u, v);
      if (transparent && pixel == *transparent) continue;
      to.Set(static_cast<int>(tx), static_cast<int>(ty), pixel);
    }
  }
}

// A width x height raster of `color`, or an Invalid status when either side is not
// positive or the pixels pass the limit.
StatusOr<Raster> Canvas(int64_t width, int64_t height, uint32_t color, const char* what) {
  if (width <= 0 || height <= 0 ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPackagePicturePixels) {
    return Status::Invalid(std::string("the ") + what + " would be " + std::to_string(width) +
                           " x " + std::to_string(height) + " pixels");
  }
  return Raster::Filled(static_cast<int>(width), static_cast<int>(height), color);
}

}  // namespace

PackagePictures DecodePackagePictures(const Package& package, uint64_t pixel_budget) {
  PackagePictures pictures;
  uint64_t decoded_pixels = 0;
  const auto decode = [&](const std::vector<uint8_t>& bmp) -> StatusOr<Raster> {
    if (decoded_pixels > pixel_budget) {
      return Status::Invalid("the package's pictures together pass " +
                             std::to_string(pixel_budget) + " pixels");
    }
    StatusOr<Raster> raster = DecodeBitmap(bmp);
    if (raster.ok()) {
      decoded_pixels +=
          static_cast<uint64_t>(raster->width) * static_cast<uint64_t>(raster->height);
    }
    return raster;
  };
  if (package.base) {
    StatusOr<Raster> base = decode(package.base->bmp);
    if (base.ok()) {
      pictures.base = *std::move(base);
    } else {
      pictures.problems.push_back(
          {"KLVB", package.base->offset, "the picture does not decode: " + base.status().reason()});
    }
  }
  for (const PackagePicture& tile : package.tiles) {
    if (tile.row < 0) continue;  // beyond the grid: no place to show it
    StatusOr<Raster> raster = decode(tile.bmp);
    if (!raster.ok()) {
      pictures.problems.push_back({TileLabel(tile), tile.offset,
                                   "the picture does not decode: " + raster.status().reason()});
      continue;
    }
    pictures.tiles.push_back({tile.index, tile.row, tile.column, std::move(*raster)});
  }
  return pictures;
}

uint32_t BackColorRgb(const PackageHeader& header) {
  return uint32_t{header.backColor[0]} << 16 | uint32_t{header.backColor[1]} << 8 |
         header.backColor[2];
}

StatusOr<Raster> ReassemblePicture(const PackageHeader& header,
                                   const std::vector<TileRaster>& tiles) {
  if (PackageTileCount(header.xMax, header.yMax) == 0) {
    return Status::Invalid("the grid holds no tile");
  }
  const uint32_t back = BackColorRgb(header);
  StatusOr<Raster> picture = Canvas((int64_t{header.xMax} + 1) * kTilePitch,
                                    (int64_t{header.yMax} + 1) * kTilePitch, back, "picture");
  if (!picture.ok()) return picture;
  for (const TileRaster& tile : tiles) {
    Lay(tile.raster, int64_t{tile.column} * kTilePitch, int64_t{tile.row} * kTilePitch, back,
        *picture);
  }
  return picture;
}

StatusOr<Raster> PackageSheet(const PackageHeader& header, const PackagePictures& pictures) {
  const int64_t columns = PackageTileCount(header.xMax, header.yMax) > 0 ? header.xMax : 0;
  const int64_t rows = columns > 0 ? header.yMax : 0;
  int64_t cell_width = 0, cell_height = 0;
  for (const TileRaster& tile : pictures.tiles) {
    cell_width = std::max<int64_t>(cell_width, tile.raster.width);
    cell_height = std::max<int64_t>(cell_height, tile.raster.height);
  }
  const int64_t base_width = pictures.base ? pictures.base->width : 0;
  const int64_t base_height = pictures.base ? pictures.base->height : 0;
  // The tiles' grid starts after the base and its gap.
  const int64_t grid_x = kSheetGap + (base_width > 0 ? base_width + kSheetGap : 0);
  const int64_t width = grid_x + columns * (cell_width + kSheetGap);
  const int64_t height =
      kSheetGap + std::max(base_height + kSheetGap, rows * (cell_height + kSheetGap));
  StatusOr<Raster> sheet = Canvas(width, height, kSheetColor, "sheet");
  if (!sheet.ok()) return sheet;
  if (pictures.base) Lay(*pictures.base, kSheetGap, kSheetGap, std::nullopt, *sheet);
  for (const TileRaster& tile : pictures.tiles) {
    Lay(tile.raster, grid_x + tile.column * (cell_width + kSheetGap),
        kSheetGap + tile.row * (cell_height + kSheetGap), std::nullopt, *sheet);
  }
  return sheet;
}

}  // namespace klv
