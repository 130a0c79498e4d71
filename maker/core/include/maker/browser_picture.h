// Pictures that a browser decodes: the web page hands the core the picture as the browser
// gives it (upright, straight-alpha RGBA bytes) instead of a file, and the core lays it
// over white and fits it to the grid by the rules every other build applies to a file.
#ifndef KLV_MAKER_BROWSER_PICTURE_H_
#define KLV_MAKER_BROWSER_PICTURE_H_

#include <optional>
#include <string>

#include "base/status_or.h"
#include "maker/picture_fit.h"
#include "maker/raster.h"
#include "maker/source_picture.h"

namespace klv {

// A width x height raster whose pixel memory the browser fills with its RGBA bytes, four
// per pixel in memory order, for LayRgbaOverWhite. An Invalid status for a size that a
// decoded picture may not have (empty, over 100 million pixels) or when memory is short.
StatusOr<Raster> AllocateBrowserPicture(int width, int height);

// Turns every pixel of `raster`, whose memory holds straight-alpha RGBA bytes, into
// 0xRRGGBB laid over white, as the decoders of the other builds lay a picture.
void LayRgbaOverWhite(Raster& raster);

// Where the fit of a width x height picture takes the make's picture from: `area` (the
// crop, or the whole picture) scaled and cut by `plan`.
struct BrowserFit {
  CropRect area;
  FitPlan plan;
};

// The fit that ReadSourcePicture makes with fit and `crop`: nothing, with *error set,
// when the crop reaches outside the picture (kCropOutside) or the area is too small to
// fit (kTooSmallToFit).
std::optional<BrowserFit> PlanBrowserFit(int width, int height, const std::optional<CropRect>& crop,
                                         SourceError* error);

// The make's picture from the upright `picture` by `fit` (from PlanBrowserFit for its size).
// Nothing, with *error set, when memory is short.
std::optional<Raster> ApplyBrowserFit(const Raster& picture, const BrowserFit& fit,
                                      SourceError* error);

}  // namespace klv

#endif  // KLV_MAKER_BROWSER_PICTURE_H_
