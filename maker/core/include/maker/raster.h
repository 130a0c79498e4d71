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
  uint32_t At(int x, int y) const { return pixels[Index(x, y)]; }
  void Set(int x, int y, uint32_t color) { pixels[Index(x, y)] = color; }
  // The place of pixel (x, y) in `pixels`; requires 0 <= x <= width and 0 <= y <= height
  // (Index(0, y) is where row y starts).
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
  }

  friend bool operator==(const Raster&, const Raster&) = default;
};

}  // namespace klv

#endif  // KLV_MAKER_RASTER_H_
