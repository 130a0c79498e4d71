// Pictures a browser decodes: the size limits and the laying over white of the picture
// decoders, then the crop and the fit of ReadSourcePicture.
#include "maker/browser_picture.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "picture_decoders.h"

namespace klv {

StatusOr<Raster> AllocateBrowserPicture(int width, int height) {
  Status checked = CheckPictureSize(width, height);
  if (!checked.ok()) return checked;
  try {
    return Raster::Filled(width, height, 0);
  } catch (const std::bad_alloc&) {
    return Status::Invalid("not enough memory for the picture");
  }
}

void LayRgbaOverWhite(Raster& raster) {
  for (uint32_t& pixel : raster.pixels) {
    uint8_t rgba[4];
    std::memcpy(rgba, &pixel, 4);
    pixel = OverWhite(rgba[0], rgba[1], rgba[2], rgba[3]);
  }
}

std::optional<BrowserFit> PlanBrowserFit(int width, int height, const std::optional<CropRect>& crop,
                                         SourceError* error) {
  const auto fail = [&](SourceProblem problem, std::string cause, int w, int h) {
    if (error != nullptr) *error = SourceError{problem, std::move(cause), w, h};
    return std::nullopt;
  };
  BrowserFit fit;
  fit.area = crop.value_or(CropRect{width, height, 0, 0});
  if (crop && !CropFits(*crop, width, height)) {
    return fail(SourceProblem::kCropOutside,
                "the crop " + CropText(*crop) + " reaches outside the " + std::to_string(width) +
                    " x " + std::to_string(height) + " picture",
                width, height);
  }
  const StatusOr<FitPlan> plan = PlanFit(fit.area.width, fit.area.height);
  if (!plan.ok()) {
    return fail(SourceProblem::kTooSmallToFit, plan.status().reason(), fit.area.width,
                fit.area.height);
  }
  fit.plan = *plan;
  return fit;
}

std::optional<Raster> ApplyBrowserFit(const Raster& picture, const BrowserFit& fit,
                                      SourceError* error) {
  try {
    if (fit.area == CropRect{picture.width, picture.height, 0, 0})
      return ApplyFit(picture, fit.plan);
    return ApplyFit(CropRaster(picture, fit.area), fit.plan);
  } catch (const std::bad_alloc&) {
    if (error != nullptr) {
      *error = SourceError{SourceProblem::kUnreadable, "not enough memory for the picture",
                           picture.width, picture.height};
    }
    return std::nullopt;
  }
}

}  // namespace klv
