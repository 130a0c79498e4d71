// Fitting a picture of any size to the tile grid: the covered area it gets (multiples of
// 32 from 64 to 320 pixels a side), the scale that covers it, the centred cut, a person's
// own crop, and the reducing filter (area averaging, in 8-bit sRGB) that does the scaling.
#ifndef KLV_MAKER_PICTURE_FIT_H_
#define KLV_MAKER_PICTURE_FIT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/status_or.h"
#include "maker/raster.h"

namespace klv {

// The smallest and largest side of a fitted covered area, and its step (a grid cell).
inline constexpr int kMinFitSide = 64;
inline constexpr int kMaxFitSide = 320;
inline constexpr int kFitStep = 32;
// The share of the scaled picture, in percent, that a fit's centred cut keeps at least
// (where any area does).
inline constexpr int kFitKeptPercent = 90;

// A rectangle of a picture, in its upright pixels.
struct CropRect {
  int width = 0;
  int height = 0;
  int x = 0;
  int y = 0;
  friend bool operator==(const CropRect&, const CropRect&) = default;
};

// Parses "WxH+X+Y": four decimal numbers of at most nine digits, no signs or blanks, W
// and H at least 1 ("640x480+100+50"). On failure an Invalid status whose reason says
// what is wrong, in English.
StatusOr<CropRect> ParseCrop(std::string_view text);

// "WxH+X+Y" of `crop`.
std::string CropText(const CropRect& crop);

// True when `crop` lies wholly inside a width x height picture.
bool CropFits(const CropRect& crop, int width, int height);

// Requires CropFits(crop, raster.width, raster.height).
Raster CropRaster(const Raster& raster, const CropRect& crop);

// How a width x height picture is fitted: scaled to scaledWidth x scaledHeight (never
// larger than the picture), then cut to the covered area coveredWidth x coveredHeight at
// (cutX, cutY), which leaves the excess evenly on both sides (the odd pixel on the right
// or at the bottom).
struct FitPlan {
  int scaledWidth = 0;
  int scaledHeight = 0;
  int coveredWidth = 0;
  int coveredHeight = 0;
  int cutX = 0;
  int cutY = 0;
  friend bool operator==(const FitPlan&, const FitPlan&) = default;
};

// The fit of a width x height picture (both at least 1).
// - A picture of at most 320 x 320 pixels is only cut: its covered area is each side
//   rounded down to a multiple of 32.
// - A larger one gets, among the areas of multiples of 32 from 64 to 320 a side that it
//   covers when scaled down (or kept) by the smallest factor that covers them, the
//   largest area whose centred cut keeps at least kFitKeptPercent (90%) of the scaled
//   picture; among equal areas, the one that keeps more. When no area keeps that much (a
//   panorama), the area that keeps most, and among those the largest.
// The side the scale is set by is scaled exactly; the other is rounded to the nearest
// pixel (which never falls short of the area). 4000 x 3000 gives 320 x 256, scaled to
// 341 x 256; 1280 x 400 gives 320 x 96.
// An Invalid status when a side is under 64 pixels: no area fits without enlarging the
// picture.
StatusOr<FitPlan> PlanFit(int width, int height);

// `raster` reduced to width x height by area averaging: every output pixel is the mean
// of the input area it covers, partly covered pixels counting by their share, rounded to
// the nearest level. Exact integer arithmetic, so every build gives the same pixels.
// Requires 1 <= width <= raster.width and 1 <= height <= raster.height.
Raster ReduceRaster(const Raster& raster, int width, int height);

// The whole fit of `raster` by `plan` (which PlanFit made for a picture of this shape,
// perhaps of a larger size: a reduced decode): reduced to the scaled size, then cut.
// Requires raster.width >= plan.scaledWidth and raster.height >= plan.scaledHeight.
Raster ApplyFit(const Raster& raster, const FitPlan& plan);

// Reduction and cut of a picture that arrives one row at a time, top to bottom, as a
// decoder delivers it: the rectangle `from` of the arriving picture is reduced by area
// averaging (ReduceRaster's pixels) to scaled_width x scaled_height, of which the
// rectangle `keep` is kept. Only the kept pixels are computed, from the rows they cover,
// each added in as it arrives: neither the arriving picture nor the reduced one is ever
// held whole. Kept at its size (scaled as large as `from`), the rectangle is copied.
class AreaFit {
 public:
  // Requires from.x, from.y >= 0, 1 <= scaled_width <= from.width,
  // 1 <= scaled_height <= from.height and CropFits(keep, scaled_width, scaled_height).
  AreaFit(const CropRect& from, int scaled_width, int scaled_height, const CropRect& keep);

  // Adds the next row of the arriving picture, whose pixels are 0xRRGGBB (a top byte is
  // ignored) and which reaches at least from.x + from.width pixels across.
  void AddRow(const uint32_t* row);

  // True once every row that the kept pixels cover has arrived.
  bool Done() const;

  // The kept pixels, keep.width x keep.height. Requires Done().
  Raster Take() { return std::move(result_); }

 private:
  struct Weights {
    int first = 0;                 // the first input pixel that an output pixel covers
    std::vector<uint32_t> weight;  // the overlaps of input pixels first, first + 1, ...
  };
  static std::vector<Weights> AreaWeights(int in, int out, int first, int count);
  void SumAcross(const uint32_t* row);
  void FinishRow(int k);

  CropRect from_;
  CropRect keep_;
  bool copy_;                       // kept at its size: rows are copied
  uint64_t area_;                   // the input area each output pixel's sums are divided by
  std::vector<Weights> across_;     // of the kept columns
  std::vector<Weights> down_;       // of the kept rows
  std::vector<uint32_t> row_sums_;  // the arriving row's weighted channels, kept columns
  std::vector<uint64_t> sums_[2];   // the unfinished kept rows, by row number modulo 2
  int next_row_ = 0;                // of the arriving picture
  int finished_ = 0;                // kept rows complete in result_
  Raster result_;
};

}  // namespace klv

#endif  // KLV_MAKER_PICTURE_FIT_H_
