// The fit to the grid: choosing the covered area, parsing and applying a crop, and the
// area-averaging reduction. All of it is integer arithmetic, so the Linux and Windows
// builds cut and scale a picture to the same pixels.
#include "maker/picture_fit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace klv {
namespace {

void SetCause(std::string* cause, std::string text) {
  if (cause != nullptr) *cause = std::move(text);
}

// Reads the digits at `pos`; nothing when there are none, or (with *too_long set) more
// than nine.
std::optional<int> ParseNumber(std::string_view text, size_t& pos, bool* too_long) {
  const size_t start = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
  *too_long = pos - start > 9;
  if (pos == start || *too_long) return std::nullopt;
  int value = 0;
  for (size_t i = start; i < pos; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// One candidate area and the share of the scaled picture its centred cut keeps, as the
// fraction keepNum / keepDen.
struct Candidate {
  int width = 0;
  int height = 0;
  int64_t keepNum = 0;
  int64_t keepDen = 1;
  int64_t Area() const { return int64_t{width} * height; }
  bool KeepsEnough() const { return 100 * keepNum >= kFitKeptPercent * keepDen; }
  // Comparisons of the kept shares, exact.
  bool KeepsMoreThan(const Candidate& o) const { return keepNum * o.keepDen > o.keepNum * keepDen; }
  bool KeepsAsMuchAs(const Candidate& o) const {
    return keepNum * o.keepDen == o.keepNum * keepDen;
  }
};

// True when `c` is a better choice than `best` by the fit's order.
bool Better(const Candidate& c, const Candidate& best) {
  if (c.KeepsEnough() != best.KeepsEnough()) return c.KeepsEnough();
  if (c.KeepsEnough()) {
    if (c.Area() != best.Area()) return c.Area() > best.Area();
    return c.KeepsMoreThan(best);
  }
  if (!c.KeepsAsMuchAs(best)) return c.KeepsMoreThan(best);
  return c.Area() > best.Area();
}

// For an axis of `in` pixels reduced to `out`: output pixel o covers the input from
// o * in / out to (o + 1) * in / out. Measured in units of 1 / out input pixel, input
// pixel i spans [i * out, (i + 1) * out) and output pixel o spans [o * in, (o + 1) * in),
// so every overlap is a whole number and each output pixel's weights add up to `in`.
struct Weights {
  int first = 0;                 // the first input pixel that output pixel covers
  std::vector<uint32_t> weight;  // the overlaps of input pixels first, first + 1, ...
};

std::vector<Weights> AreaWeights(int in, int out) {
  std::vector<Weights> all(static_cast<size_t>(out));
  for (int o = 0; o < out; ++o) {
    const int64_t begin = int64_t{o} * in;
    const int64_t end = begin + in;
    Weights& w = all[static_cast<size_t>(o)];
    w.first = static_cast<int>(begin / out);
    const int last = static_cast<int>((end - 1) / out);
    for (int i = w.first; i <= last; ++i) {
      const int64_t from = std::max(begin, int64_t{i} * out);
      const int64_t to = std::min(end, int64_t{i + 1} * out);
      w.weight.push_back(static_cast<uint32_t>(to - from));
    }
  }
  return all;
}

}  // namespace

std::optional<CropRect> ParseCrop(std::string_view text, std::string* cause) {
  const std::string expected = "expected WxH+X+Y in whole pixels, such as 640x480+100+50";
  size_t pos = 0;
  CropRect crop;
  int* fields[] = {&crop.width, &crop.height, &crop.x, &crop.y};
  const char separators[] = {'x', '+', '+'};
  for (int i = 0; i < 4; ++i) {
    const size_t start = pos;
    bool too_long = false;
    const std::optional<int> value = ParseNumber(text, pos, &too_long);
    if (too_long) {
      SetCause(cause, "the number " + std::string(text.substr(start, pos - start)) +
                          " is too large: a crop's numbers have at most nine digits");
      return std::nullopt;
    }
    if (!value) {
      SetCause(cause, expected);
      return std::nullopt;
    }
    *fields[i] = *value;
    if (i < 3) {
      if (pos >= text.size() || text[pos] != separators[i]) {
        SetCause(cause, expected);
        return std::nullopt;
      }
      ++pos;
    }
  }
  if (pos != text.size()) {
    SetCause(cause, expected);
    return std::nullopt;
  }
  if (crop.width == 0 || crop.height == 0) {
    SetCause(cause, "the crop's width and height must be at least 1 pixel");
    return std::nullopt;
  }
  return crop;
}

std::string CropText(const CropRect& crop) {
  return std::to_string(crop.width) + "x" + std::to_string(crop.height) + "+" +
         std::to_string(crop.x) + "+" + std::to_string(crop.y);
}

bool CropFits(const CropRect& crop, int width, int height) {
  return crop.width >= 1 && crop.height >= 1 && crop.x >= 0 && crop.y >= 0 &&
         int64_t{crop.x} + crop.width <= width && int64_t{crop.y} + crop.height <= height;
}

Raster CropRaster(const Raster& raster, const CropRect& crop) {
  Raster out = Raster::Filled(crop.width, crop.height, 0);
  for (int y = 0; y < crop.height; ++y) {
    const auto row =
        raster.pixels.begin() + static_cast<ptrdiff_t>(raster.Index(crop.x, crop.y + y));
    std::copy(row, row + crop.width, out.pixels.begin() + static_cast<ptrdiff_t>(out.Index(0, y)));
  }
  return out;
}

std::optional<FitPlan> PlanFit(int width, int height, std::string* cause) {
  if (width < kMinFitSide || height < kMinFitSide) {
    SetCause(cause, "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels; fitting it to the grid needs at least " +
                        std::to_string(kMinFitSide) + " x " + std::to_string(kMinFitSide));
    return std::nullopt;
  }
  FitPlan plan;
  if (width <= kMaxFitSide && height <= kMaxFitSide) {
    plan.scaledWidth = width;
    plan.scaledHeight = height;
    plan.coveredWidth = width / kFitStep * kFitStep;
    plan.coveredHeight = height / kFitStep * kFitStep;
  } else {
    std::optional<Candidate> best;
    for (int a = kMinFitSide; a <= kMaxFitSide; a += kFitStep) {
      for (int b = kMinFitSide; b <= kMaxFitSide; b += kFitStep) {
        if (a > width || b > height) continue;  // only an enlargement would cover it
        // The scale a / width covers a x b when a * height >= b * width; the centred
        // cut then keeps b / (height * a / width) of the scaled picture.
        const int64_t a_h = int64_t{a} * height;
        const int64_t b_w = int64_t{b} * width;
        Candidate c{a, b, std::min(a_h, b_w), std::max(a_h, b_w)};
        if (!best || Better(c, *best)) best = c;
      }
    }
    const int a = best->width;
    const int b = best->height;
    plan.coveredWidth = a;
    plan.coveredHeight = b;
    if (int64_t{a} * height >= int64_t{b} * width) {
      plan.scaledWidth = a;
      plan.scaledHeight =
          static_cast<int>((int64_t{2} * height * a + width) / (int64_t{2} * width));
    } else {
      plan.scaledHeight = b;
      plan.scaledWidth =
          static_cast<int>((int64_t{2} * width * b + height) / (int64_t{2} * height));
    }
  }
  plan.cutX = (plan.scaledWidth - plan.coveredWidth) / 2;
  plan.cutY = (plan.scaledHeight - plan.coveredHeight) / 2;
  return plan;
}

Raster ReduceRaster(const Raster& raster, int width, int height) {
  if (width == raster.width && height == raster.height) return raster;
  const std::vector<Weights> across = AreaWeights(raster.width, width);
  const std::vector<Weights> down = AreaWeights(raster.height, height);

  // Across: every input row becomes `width` sums of weighted channels, each at most
  // 255 * raster.width (under 2^24 for any side the decoders allow).
  const size_t row_length = static_cast<size_t>(width) * 3;
  std::vector<uint32_t> rows(static_cast<size_t>(raster.height) * row_length);
  for (int y = 0; y < raster.height; ++y) {
    const uint32_t* in = &raster.pixels[raster.Index(0, y)];
    uint32_t* out = &rows[static_cast<size_t>(y) * row_length];
    for (size_t x = 0; x < across.size(); ++x) {
      uint32_t r = 0, g = 0, b = 0;
      const Weights& w = across[x];
      for (size_t k = 0; k < w.weight.size(); ++k) {
        const uint32_t pixel = in[static_cast<size_t>(w.first) + k];
        r += w.weight[k] * ((pixel >> 16) & 0xFF);
        g += w.weight[k] * ((pixel >> 8) & 0xFF);
        b += w.weight[k] * (pixel & 0xFF);
      }
      out[3 * x] = r;
      out[3 * x + 1] = g;
      out[3 * x + 2] = b;
    }
  }

  // Down: the weighted rows, divided by the whole area an output pixel covers.
  const uint64_t area =
      uint64_t{static_cast<uint32_t>(raster.width)} * static_cast<uint32_t>(raster.height);
  Raster result = Raster::Filled(width, height, 0);
  std::vector<uint64_t> sums(row_length);
  for (int y = 0; y < height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    const Weights& w = down[static_cast<size_t>(y)];
    for (size_t k = 0; k < w.weight.size(); ++k) {
      const uint32_t* row = &rows[(static_cast<size_t>(w.first) + k) * row_length];
      for (size_t i = 0; i < sums.size(); ++i) sums[i] += uint64_t{w.weight[k]} * row[i];
    }
    for (int x = 0; x < width; ++x) {
      const auto level = [&](size_t channel) {
        return static_cast<uint32_t>((sums[3 * static_cast<size_t>(x) + channel] + area / 2) /
                                     area);
      };
      result.Set(x, y, (level(0) << 16) | (level(1) << 8) | level(2));
    }
  }
  return result;
}

Raster ApplyFit(const Raster& raster, const FitPlan& plan) {
  const Raster scaled = ReduceRaster(raster, plan.scaledWidth, plan.scaledHeight);
  return CropRaster(scaled, CropRect{plan.coveredWidth, plan.coveredHeight, plan.cutX, plan.cutY});
}

}  // namespace klv
