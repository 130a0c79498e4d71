// klvsample: draws the project's own sample picture, a colourful 320 x 320 24-bit bitmap
// (a colour wheel with rings, discs and a chequered band), so that a first make needs no
// picture from anywhere else. Usage: klvsample OUT.bmp [WIDTH HEIGHT].
#include <cmath>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>

#include "base/platform.h"
#include "maker/bitmap_codec.h"
#include "maker/raster.h"

namespace {

constexpr int kDefaultSide = 320;
constexpr int kMaxSide = 4096;
constexpr double kPi = 3.14159265358979323846;

uint32_t Rgb(double r, double g, double b) {
  auto channel = [](double v) {
    const double clamped = v < 0 ? 0 : (v > 1 ? 1 : v);
    return static_cast<uint32_t>(std::lround(clamped * 255));
  };
  return (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

// Hue in turns (0 to 1), full saturation, value `v`.
uint32_t Hue(double turns, double v) {
  const double h = (turns - std::floor(turns)) * 6;
  const double x = 1 - std::fabs(std::fmod(h, 2.0) - 1);
  const int sector = static_cast<int>(h) % 6;
  static constexpr int kOrder[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1},
                                       {2, 1, 0}, {1, 2, 0}, {0, 2, 1}};
  double rgb[3] = {0, 0, 0};
  rgb[kOrder[sector][0]] = 1;  // the strongest channel
  rgb[kOrder[sector][1]] = x;  // the rising or falling one
  return Rgb(rgb[0] * v, rgb[1] * v, rgb[2] * v);
}

klv::Raster DrawSample(int width, int height) {
  klv::Raster picture = klv::Raster::Filled(width, height, 0);
  const double cx = width / 2.0;
  const double cy = height / 2.0;
  const double scale = std::fmin(width, height) / 320.0;
  struct Disc {
    double x, y, radius, hue;
  };
  const Disc discs[] = {{70, 70, 38, 0.0},
                        {250, 70, 32, 0.33},
                        {70, 250, 30, 0.66},
                        {250, 250, 40, 0.15},
                        {160, 160, 28, 0.5}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double dx = x + 0.5 - cx;
      const double dy = y + 0.5 - cy;
      const double distance = std::sqrt(dx * dx + dy * dy) / scale;
      const double angle = std::atan2(dy, dx) / (2 * kPi);
      // A colour wheel, darker in rings every 24 pixels from the centre.
      const double ring = 0.75 + 0.25 * std::cos(distance * 2 * kPi / 24);
      uint32_t color = Hue(angle + distance / 400, ring);
      // A chequered band across the middle.
      const double band = (y - cy) / scale;
      if (band > -20 && band < 20 &&
          ((static_cast<int>(x / (10 * scale)) + static_cast<int>((band + 20) / 10)) % 2 == 0)) {
        color = ((x / 10) % 3 == 0) ? 0xFFFFFF : 0x202020;
      }
      for (const Disc& disc : discs) {
        const double ddx = x / scale - disc.x;
        const double ddy = y / scale - disc.y;
        const double d = std::sqrt(ddx * ddx + ddy * ddy);
        if (d < disc.radius - 3)
          color = Hue(disc.hue + d / 200, 1.0);
        else if (d < disc.radius)
          color = 0x000000;
      }
      picture.Set(x, y, color);
    }
  }
  return picture;
}

std::optional<int> ParseSide(const std::string& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxSide) return std::nullopt;
  return value;
}

}  // namespace

constexpr char kUsage[] =
    "usage: klvsample OUT.bmp [WIDTH HEIGHT]\n"
    "Draws the sample picture (320 x 320 pixels unless given) as a 24-bit bitmap.\n";

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  // A first argument that looks like an option is a mistake, never a file name to write.
  if ((argc != 2 && argc != 4) || argv[1][0] == '-') {
    std::cerr << kUsage;
    return 2;
  }
  int width = kDefaultSide;
  int height = kDefaultSide;
  if (argc == 4) {
    const std::optional<int> w = ParseSide(argv[2]);
    const std::optional<int> h = ParseSide(argv[3]);
    if (!w || !h) {
      std::cerr << "klvsample: WIDTH and HEIGHT must be whole numbers from 1 to " << kMaxSide
                << "\n";
      return 2;
    }
    width = *w;
    height = *h;
  }
  const std::string path = argv[1];
  const klv::Status written =
      klv::Env::Default().WriteWholeFile(path, klv::EncodeBitmap24(DrawSample(width, height)));
  if (!written.ok()) {
    std::cerr << "klvsample: " << path << ": cannot write the picture: " << written.reason()
              << "\n";
    return 1;
  }
  return 0;
}
