// The make's source picture: file, headers, the crop and the fit (or the size check), then
// the pixels, decoded only once every size is known to be acceptable.
#include "maker/source_picture.h"

#include <utility>

#include "base/platform.h"
#include "maker/bitmap_codec.h"
#include "maker/grid.h"
#include "maker/picture_reader.h"

namespace klv {
namespace {

bool HasBitmapName(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return tail == ".bmp";
}

std::string SizeText(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

std::optional<Raster> ReadSourcePicture(Env& env, const std::string& path,
                                        const SourceOptions& options, SourceError* error) {
  const auto fail = [error](SourceProblem problem, std::string cause, int width = 0,
                            int height = 0) -> std::optional<Raster> {
    if (error != nullptr) *error = SourceError{problem, std::move(cause), width, height};
    return std::nullopt;
  };
  const StatusOr<std::vector<uint8_t>> file = ReadPictureFile(env, path);
  if (!file.ok()) return fail(SourceProblem::kUnreadable, file.status().reason());
  const StatusOr<PictureInfo> info = InspectPicture(*file);
  if (!info.ok()) {
    // A file named as a bitmap whose content is of no known kind is told what is wrong
    // with it as a bitmap, as it always was.
    if (!SniffPictureKind(*file) && HasBitmapName(path)) {
      return fail(SourceProblem::kUnreadable, DecodeBitmap(*file).status().reason());
    }
    return fail(SourceProblem::kUnreadable, info.status().reason());
  }

  int width = info->width;
  int height = info->height;
  if (options.crop) {
    if (!CropFits(*options.crop, width, height)) {
      return fail(SourceProblem::kCropOutside,
                  "the crop " + CropText(*options.crop) + " reaches outside the " +
                      SizeText(width, height) + " picture",
                  width, height);
    }
    width = options.crop->width;
    height = options.crop->height;
  }
  std::optional<FitPlan> plan;
  if (options.fit) {
    StatusOr<FitPlan> fitted = PlanFit(width, height);
    if (!fitted.ok()) {
      return fail(SourceProblem::kTooSmallToFit, fitted.status().reason(), width, height);
    }
    plan = *fitted;
  } else if (!options.checkSize) {
    // Taken as it is.
  } else if (!GridFits(GridForPicture(width, height))) {
    return fail(SourceProblem::kTooLarge,
                "the picture is too large: " + SizeText(width, height) +
                    " pixels; a picture may be at most " +
                    SizeText(kMaxPictureSide, kMaxPictureSide) + " pixels",
                width, height);
  } else if (!GridHasTiles(GridForPicture(width, height))) {
    return fail(SourceProblem::kTooSmall,
                "the picture is too small: " + SizeText(width, height) +
                    " pixels; a picture needs at least " +
                    SizeText(kMinPictureSide, kMinPictureSide) + " pixels, one tile",
                width, height);
  }

  StatusOr<Raster> raster = DecodeFittedPicture(*file, *info, options.crop, plan);
  if (!raster.ok())
    return fail(SourceProblem::kUnreadable, raster.status().reason(), width, height);
  return *std::move(raster);
}

std::string SourceErrorMessage(const std::string& display_name, const SourceError& error) {
  if (error.problem == SourceProblem::kUnreadable) {
    return display_name + ": cannot read the picture: " + error.cause;
  }
  return display_name + ": " + error.cause;
}

}  // namespace klv
