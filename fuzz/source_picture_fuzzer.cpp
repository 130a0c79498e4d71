// Fuzz target for the make's source picture (ReadSourcePicture), the entry point the
// command line and the window share: the first byte chooses fit and crop, a crop's text
// follows it ("WxH+X+Y", up to a zero byte), the rest is the picture file, read through
// the tests' in-memory Env (which reads only as far as the headers say). A result is
// always a size the grid can take.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "klvtest/test_support.h"
#include "maker/grid.h"
#include "maker/picture_reader.h"
#include "maker/source_picture.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "source_picture_fuzzer: %s\n", what);
    std::abort();
  }
}

// As in picture_reader_fuzzer: larger pictures are refused here, after their inspection.
constexpr int64_t kDecodedPixels = int64_t{1} << 22;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  klv::SourceOptions options;
  options.fit = (data[0] & 1) != 0;
  size_t pos = 1;
  if ((data[0] & 2) != 0) {
    std::string text;
    while (pos < size && data[pos] != 0) text += static_cast<char>(data[pos++]);
    ++pos;
    const klv::StatusOr<klv::CropRect> crop = klv::ParseCrop(text);
    if (!crop.ok()) {
      Check(!crop.status().reason().empty(), "a refused crop has no cause");
      return 0;
    }
    options.crop = *crop;
  }
  std::vector<uint8_t> file;
  if (pos < size) file.assign(data + pos, data + size);
  const klv::StatusOr<klv::PictureInfo> info = klv::InspectPicture(file);
  if (info.ok() && int64_t{info->width} * info->height > kDecodedPixels) return 0;

  klv::test::FakeEnv env;
  env.AddFile("picture", file);
  klv::SourceError error;
  const std::optional<klv::Raster> raster = klv::ReadSourcePicture(env, "picture", options, &error);
  if (!raster) {
    Check(!error.cause.empty(), "a refused picture has no cause");
    return 0;
  }
  Check(raster->pixels.size() == static_cast<size_t>(raster->width) * raster->height,
        "pixel count does not match the size");
  if (options.fit) {
    Check(raster->width % 32 == 0 && raster->height % 32 == 0 && raster->width >= 64 &&
              raster->height >= 64 && raster->width <= 320 && raster->height <= 320,
          "a fitted picture is not a covered area");
  } else {
    Check(klv::GridFits(klv::GridForPicture(raster->width, raster->height)),
          "an unfitted picture too large for the grid was read");
    Check(raster->width >= klv::kTileSize && raster->height >= klv::kTileSize,
          "an unfitted picture under one tile was read");
  }
  if (options.crop && !options.fit) {
    Check(raster->width == options.crop->width && raster->height == options.crop->height,
          "a cropped picture is not the crop's size");
  }
  return 0;
}
