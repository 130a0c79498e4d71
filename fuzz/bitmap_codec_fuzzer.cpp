// Fuzz target for the maker's bitmap decoder: any bytes as a source picture. A picture
// either decodes into a consistent raster that survives a 24-bit round trip, or is
// refused with a cause; it never reads past the file or allocates without bound.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "maker/bitmap_codec.h"
#include "maker/raster.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "bitmap_codec_fuzzer: %s\n", what);
    abort();
  }
}

// Checking pixels is linear in their count; larger pictures are checked for shape only.
constexpr size_t kRoundTripPixels = 1 << 16;

// A run-length picture of a few bytes may legitimately decode into a raster of up to
// kMaxDecodedPixels, which takes a quarter of a second to fill; such inputs would slow
// the search a hundredfold. They are left out when their size is within the limits (the
// size checks themselves still run for every claim beyond them).
bool IsLargeRunLengthPicture(const uint8_t* data, size_t size) {
  if (size < 34) return false;
  auto le32 = [&](size_t at) {
    return static_cast<uint32_t>(data[at]) | (static_cast<uint32_t>(data[at + 1]) << 8) |
           (static_cast<uint32_t>(data[at + 2]) << 16) |
           (static_cast<uint32_t>(data[at + 3]) << 24);
  };
  const uint32_t compression = le32(30);
  if (le32(14) < 40 || (compression != 1 && compression != 2)) return false;
  const int64_t width = static_cast<int32_t>(le32(18));
  const int64_t height = static_cast<int32_t>(le32(22));
  const int64_t pixels = width * (height < 0 ? -height : height);
  return pixels > (int64_t{1} << 20) && width <= klv::kMaxDecodedSide &&
         (height < 0 ? -height : height) <= klv::kMaxDecodedSide &&
         static_cast<uint64_t>(pixels) <= klv::kMaxDecodedPixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (IsLargeRunLengthPicture(data, size)) return 0;
  const std::vector<uint8_t> file(data, data + size);
  const klv::StatusOr<klv::Raster> raster = klv::DecodeBitmap(file);
  if (!raster.ok()) {
    Check(!raster.status().reason().empty(), "a refused picture has no cause");
    return 0;
  }
  Check(raster->width >= 0 && raster->height >= 0, "negative raster size");
  Check(raster->width <= klv::kMaxDecodedSide && raster->height <= klv::kMaxDecodedSide,
        "a picture over the size limit was decoded");
  Check(raster->pixels.size() ==
            static_cast<size_t>(raster->width) * static_cast<size_t>(raster->height),
        "pixel count does not match the size");
  if (raster->pixels.empty() || raster->pixels.size() > kRoundTripPixels) return 0;

  for (uint32_t pixel : raster->pixels) Check((pixel >> 24) == 0, "pixel is not 0xRRGGBB");
  const std::vector<uint8_t> encoded = klv::EncodeBitmap24(*raster);
  const klv::StatusOr<klv::Raster> again = klv::DecodeBitmap(encoded);
  Check(again.ok(), "an encoded picture does not decode");
  Check(*again == *raster, "a 24-bit round trip changed the picture");
  return 0;
}
