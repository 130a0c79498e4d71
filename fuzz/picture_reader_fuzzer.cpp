// Fuzz target for the picture reader around the platform's decoders (libpng,
// libjpeg-turbo, libwebp, and the bitmap decoder): any bytes as a picture file. A picture
// is either refused with a cause or inspected and decoded into a raster of the size its
// headers gave (or, decoded reduced, no smaller than asked), with 0xRRGGBB pixels; fitted
// to the grid as it is decoded, it has the covered size that PlanFit gave.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "maker/picture_fit.h"
#include "maker/picture_reader.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "picture_reader_fuzzer: %s\n", what);
    std::abort();
  }
}

// Pictures larger than this are inspected but not decoded: a few bytes may rightly ask
// for a raster of up to the pixel limit, which takes most of a second to fill and would
// slow the search a hundredfold. Their sizes are still checked by the inspection.
constexpr int64_t kDecodedPixels = int64_t{1} << 22;

void DecodeAndCheck(const std::vector<uint8_t>& file, const klv::PictureInfo& info, int min_width,
                    int min_height) {
  const klv::StatusOr<klv::Raster> raster = klv::DecodePicture(file, info, min_width, min_height);
  if (!raster.ok()) {
    Check(!raster.status().reason().empty(), "a refused picture has no cause");
    return;
  }
  Check(raster->pixels.size() == static_cast<size_t>(raster->width) * raster->height,
        "pixel count does not match the size");
  Check(raster->width <= info.width && raster->height <= info.height,
        "decoded larger than inspected");
  Check(raster->width >= min_width && raster->height >= min_height, "reduced below the minimum");
  if (min_width == info.width && min_height == info.height) {
    Check(raster->width == info.width && raster->height == info.height,
          "full decode of another size than inspected");
  }
  for (uint32_t pixel : raster->pixels) Check((pixel >> 24) == 0, "pixel is not 0xRRGGBB");
}

void FitAndCheck(const std::vector<uint8_t>& file, const klv::PictureInfo& info) {
  const klv::StatusOr<klv::FitPlan> plan = klv::PlanFit(info.width, info.height);
  if (!plan.ok()) return;
  const klv::StatusOr<klv::Raster> fitted =
      klv::DecodeFittedPicture(file, info, std::nullopt, *plan);
  if (!fitted.ok()) {
    Check(!fitted.status().reason().empty(), "a picture that cannot be fitted has no cause");
    return;
  }
  Check(fitted->width == plan->coveredWidth && fitted->height == plan->coveredHeight,
        "fitted to another size than planned");
  Check(fitted->pixels.size() == static_cast<size_t>(fitted->width) * fitted->height,
        "pixel count does not match the fitted size");
  for (uint32_t pixel : fitted->pixels) Check((pixel >> 24) == 0, "fitted pixel is not 0xRRGGBB");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  const klv::StatusOr<klv::PictureInfo> info = klv::InspectPicture(file);
  if (!info.ok()) {
    Check(!info.status().reason().empty(), "a refused picture has no cause");
    return 0;
  }
  Check(info->width > 0 && info->height > 0, "empty picture inspected");
  Check(static_cast<uint64_t>(info->width) * info->height <= klv::kMaxPicturePixels,
        "picture over the pixel limit inspected");
  Check(info->orientation >= 1 && info->orientation <= 8, "orientation out of range");
  if (int64_t{info->width} * info->height > kDecodedPixels) return 0;
  DecodeAndCheck(file, *info, info->width, info->height);
  DecodeAndCheck(file, *info, (info->width + 2) / 3, (info->height + 4) / 5);
  FitAndCheck(file, *info);
  return 0;
}
