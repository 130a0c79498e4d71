// The photo the web page holds: the browser's decoded pixels, kept whole so that a new
// crop needs no new decode, and what the page shows of its fit (where on the photo the
// puzzle's picture comes from, its grid and the status line) before the make cuts it.
#ifndef KLV_WEB_PAGE_PHOTO_H_
#define KLV_WEB_PAGE_PHOTO_H_

#include <cstdint>
#include <optional>
#include <string>

#include "language/language.h"
#include "maker/browser_picture.h"
#include "maker/grid.h"
#include "maker/raster.h"

namespace klv::web {

// The fit of the photo as the page draws it over the photo.
struct PhotoView {
  bool usable = false;  // the make button may be pressed
  std::string status;   // the status line
  // The part of the photo the puzzle shows, in the photo's pixels, and the size there of
  // one 32-pixel cell of the puzzle's picture: (xMax + 1) by (yMax + 1) cells.
  double keptX = 0, keptY = 0, keptWidth = 0, keptHeight = 0;
  double cellWidth = 0, cellHeight = 0;
  Grid grid;
};

class PagePhoto {
 public:
  // A width x height photo whose pixels the browser writes at PixelBytes() (straight-alpha
  // RGBA, four bytes a pixel) before Finish. Nothing, with *cause set, for a size that a
  // decoded picture may not have or when memory is short.
  static std::optional<PagePhoto> Allocate(int width, int height, std::string* cause);

  uint8_t* PixelBytes() { return reinterpret_cast<uint8_t*>(photo_.pixels.data()); }
  // Lays the written pixels over white.
  void Finish() { LayRgbaOverWhite(photo_); }

  int width() const { return photo_.width; }
  int height() const { return photo_.height; }

  // The fit of the photo, or of `crop` of it, in `language`: usable with the grid's
  // status line, or not with the reason ("画像が小さすぎです" for an area under 64
  // pixels a side).
  PhotoView View(const std::optional<CropRect>& crop, WindowLanguage language) const;

  // The make's picture: the crop and the fit of View. Nothing, with *error set, where
  // View is not usable or memory is short.
  std::optional<Raster> Fitted(const std::optional<CropRect>& crop, SourceError* error) const;

 private:
  explicit PagePhoto(Raster photo) : photo_(std::move(photo)) {}
  Raster photo_;
};

}  // namespace klv::web

#endif  // KLV_WEB_PAGE_PHOTO_H_
