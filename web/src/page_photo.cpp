// The page's photo and the view of its fit, in the photo's pixels.
#include "web/page_photo.h"

#include <utility>

#include "form/source_form.h"

namespace klv::web {

std::optional<PagePhoto> PagePhoto::Allocate(int width, int height, std::string* cause) {
  StatusOr<Raster> photo = AllocateBrowserPicture(width, height);
  if (!photo.ok()) {
    if (cause != nullptr) *cause = photo.status().reason();
    return std::nullopt;
  }
  return PagePhoto(std::move(*photo));
}

PhotoView PagePhoto::View(const std::optional<CropRect>& crop, WindowLanguage language) const {
  PhotoView view;
  SourceError error;
  const std::optional<BrowserFit> fit = PlanBrowserFit(photo_.width, photo_.height, crop, &error);
  if (!fit) {
    view.status = form::PictureProblemText(language, error.problem);
    return view;
  }
  const FitPlan& plan = fit->plan;
  const double x_scale = static_cast<double>(fit->area.width) / plan.scaledWidth;
  const double y_scale = static_cast<double>(fit->area.height) / plan.scaledHeight;
  view.keptX = fit->area.x + plan.cutX * x_scale;
  view.keptY = fit->area.y + plan.cutY * y_scale;
  view.keptWidth = plan.coveredWidth * x_scale;
  view.keptHeight = plan.coveredHeight * y_scale;
  view.cellWidth = kTilePitch * x_scale;
  view.cellHeight = kTilePitch * y_scale;
  view.grid = GridForPicture(plan.coveredWidth, plan.coveredHeight);
  view.usable = true;
  view.status = form::StatusLineText(language, view.grid);
  return view;
}

std::optional<Raster> PagePhoto::Fitted(const std::optional<CropRect>& crop,
                                        SourceError* error) const {
  const std::optional<BrowserFit> fit = PlanBrowserFit(photo_.width, photo_.height, crop, error);
  if (!fit) return std::nullopt;
  return ApplyBrowserFit(photo_, *fit, error);
}

}  // namespace klv::web
