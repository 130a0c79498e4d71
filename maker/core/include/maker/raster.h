// Raster: the maker's in-memory picture, the plain type that the core passes around for
// the source picture, the tile surfaces and the base surface. Pixels are 0xRRGGBB,
// row-major, origin top-left.
#ifndef KLV_MAKER_RASTER_H_
#define KLV_MAKER_RASTER_H_

#include <cstdint>
#include <vector>

namespace klv {

struct Raster {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height entries

  // A width x height raster of one colour. Requires width, height >= 0.
  static Raster Filled(int width, int height, uint32_t color) {
    Raster r;
    r.width = width;
    r.height = height;
    r.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), color);
    return r;
  }

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  // Requires Contains(x, y).
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  void Set(int x, int y, uint32_t color) { pixels[static_cast<size_t>(y) * width + x] = color; }

  friend bool operator==(const Raster&, const Raster&) = default;
};

}  // namespace klv

#endif  // KLV_MAKER_RASTER_H_
