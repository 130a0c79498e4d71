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
  std::string cause;
  const std::optional<std::vector<uint8_t>> file = ReadPictureFile(env, path, &cause);
  if (!file) return fail(SourceProblem::kUnreadable, cause);
  const std::optional<PictureInfo> info = InspectPicture(*file, &cause);
  if (!info) {
    // A file named as a bitmap whose content is of no known kind is told what is wrong
    // with it as a bitmap, as it always was.
    if (!SniffPictureKind(*file) && HasBitmapName(path)) DecodeBitmap(*file, &cause);
    return fail(SourceProblem::kUnreadable, cause);
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
    plan = PlanFit(width, height, &cause);
    if (!plan) return fail(SourceProblem::kTooSmallToFit, cause, width, height);
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

  std::optional<Raster> raster = DecodeFittedPicture(*file, *info, options.crop, plan, &cause);
  if (!raster) return fail(SourceProblem::kUnreadable, cause, width, height);
  return raster;
}

std::string SourceErrorMessage(const std::string& display_name, const SourceError& error) {
  if (error.problem == SourceProblem::kUnreadable) {
    return display_name + ": cannot read the picture: " + error.cause;
  }
  return display_name + ": " + error.cause;
}

}  // namespace klv
