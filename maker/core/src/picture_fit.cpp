// The fit to the grid: choosing the covered area, parsing and applying a crop, and the
// area-averaging reduction. All of it is integer arithmetic, so the Linux and Windows
// builds cut and scale a picture to the same pixels.
#include "maker/picture_fit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace klv {
namespace {

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

}  // namespace

StatusOr<CropRect> ParseCrop(std::string_view text) {
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
      return Status::Invalid("the number " + std::string(text.substr(start, pos - start)) +
                             " is too large: a crop's numbers have at most nine digits");
    }
    if (!value) {
      return Status::Invalid(expected);
    }
    *fields[i] = *value;
    if (i < 3) {
      if (pos >= text.size() || text[pos] != separators[i]) {
        return Status::Invalid(expected);
      }
      ++pos;
    }
  }
  if (pos != text.size()) {
    return Status::Invalid(expected);
  }
  if (crop.width == 0 || crop.height == 0) {
    return Status::Invalid("the crop's width and height must be at least 1 pixel");
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

StatusOr<FitPlan> PlanFit(int width, int height) {
  if (width < kMinFitSide || height < kMinFitSide) {
    return Status::Invalid("the picture is " + std::to_string(width) + " x " +
                           std::to_string(height) +
                           " pixels; fitting it to the grid needs at least " +
                           std::to_string(kMinFitSide) + " x " + std::to_string(kMinFitSide));
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
  const CropRect whole{raster.width, raster.height, 0, 0};
  AreaFit fit(whole, width, height, CropRect{width, height, 0, 0});
  for (int y = 0; y < raster.height; ++y) fit.AddRow(&raster.pixels[raster.Index(0, y)]);
  return fit.Take();
}

Raster ApplyFit(const Raster& raster, const FitPlan& plan) {
  AreaFit fit(CropRect{raster.width, raster.height, 0, 0}, plan.scaledWidth, plan.scaledHeight,
              CropRect{plan.coveredWidth, plan.coveredHeight, plan.cutX, plan.cutY});
  for (int y = 0; y < raster.height && !fit.Done(); ++y) {
    fit.AddRow(&raster.pixels[raster.Index(0, y)]);
  }
  return fit.Take();
}

// For an axis of `in` pixels reduced to `out`: output pixel o covers the input from
// o * in / out to (o + 1) * in / out. Measured in units of 1 / out input pixel, input
// pixel i spans [i * out, (i + 1) * out) and output pixel o spans [o * in, (o + 1) * in),
// so every overlap is a whole number and each output pixel's weights add up to `in`.
// These are the weights of output pixels first to first + count - 1.
std::vector<AreaFit::Weights> AreaFit::AreaWeights(int in, int out, int first, int count) {
  std::vector<Weights> all(static_cast<size_t>(count));
  for (int o = first; o < first + count; ++o) {
    const int64_t begin = int64_t{o} * in;
    const int64_t end = begin + in;
    Weights& w = all[static_cast<size_t>(o - first)];
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

AreaFit::AreaFit(const CropRect& from, int scaled_width, int scaled_height, const CropRect& keep)
    : from_(from),
      keep_(keep),
      copy_(scaled_width == from.width && scaled_height == from.height),
      area_(uint64_t{static_cast<uint32_t>(from.width)} * static_cast<uint32_t>(from.height)),
      result_(Raster::Filled(keep.width, keep.height, 0)) {
  if (copy_) return;
  across_ = AreaWeights(from.width, scaled_width, keep.x, keep.width);
  down_ = AreaWeights(from.height, scaled_height, keep.y, keep.height);
  row_sums_.resize(static_cast<size_t>(keep.width) * 3);
  for (std::vector<uint64_t>& sums : sums_) sums.assign(row_sums_.size(), 0);
}

bool AreaFit::Done() const { return finished_ == keep_.height; }

void AreaFit::AddRow(const uint32_t* row) {
  const int y = next_row_++ - from_.y;  // the row within `from`
  if (y < 0 || y >= from_.height || Done()) return;
  const uint32_t* in = row + from_.x;
  if (copy_) {
    if (y < keep_.y || y >= keep_.y + keep_.height) return;
    uint32_t* out = &result_.pixels[result_.Index(0, y - keep_.y)];
    for (int x = 0; x < keep_.width; ++x) out[x] = in[keep_.x + x] & 0xFFFFFF;
    finished_ = y - keep_.y + 1;
    return;
  }
  // The unfinished kept rows this row reaches; rows that no kept pixel covers are not
  // even summed across.
  bool summed = false;
  for (int k = finished_; k < keep_.height && down_[static_cast<size_t>(k)].first <= y; ++k) {
    const Weights& w = down_[static_cast<size_t>(k)];
    const auto part = static_cast<size_t>(y - w.first);
    if (!summed) {
      SumAcross(in);
      summed = true;
    }
    std::vector<uint64_t>& sums = sums_[k % 2];
    for (size_t i = 0; i < sums.size(); ++i) sums[i] += uint64_t{w.weight[part]} * row_sums_[i];
    if (part + 1 == w.weight.size()) FinishRow(k);
  }
}

// Across: `width` sums of weighted channels for the kept columns, each at most
// 255 * from.width (under 2^24 for any side the decoders allow).
void AreaFit::SumAcross(const uint32_t* in) {
  for (size_t x = 0; x < across_.size(); ++x) {
    uint32_t r = 0, g = 0, b = 0;
    const Weights& w = across_[x];
    for (size_t k = 0; k < w.weight.size(); ++k) {
      const uint32_t pixel = in[static_cast<size_t>(w.first) + k];
      r += w.weight[k] * ((pixel >> 16) & 0xFF);
      g += w.weight[k] * ((pixel >> 8) & 0xFF);
      b += w.weight[k] * (pixel & 0xFF);
    }
    row_sums_[3 * x] = r;
    row_sums_[3 * x + 1] = g;
    row_sums_[3 * x + 2] = b;
  }
}

// Kept row k has all its rows: its sums, divided by the whole area an output pixel covers,
// become its pixels. Rows finish in order, one arriving row at most finishing one.
void AreaFit::FinishRow(int k) {
  std::vector<uint64_t>& sums = sums_[k % 2];
  uint32_t* out = &result_.pixels[result_.Index(0, k)];
  for (size_t x = 0; x < static_cast<size_t>(keep_.width); ++x) {
    const auto level = [&](size_t channel) {
      return static_cast<uint32_t>((sums[3 * x + channel] + area_ / 2) / area_);
    };
    out[x] = (level(0) << 16) | (level(1) << 8) | level(2);
  }
  std::fill(sums.begin(), sums.end(), 0);
  finished_ = k + 1;
}

}  // namespace klv
