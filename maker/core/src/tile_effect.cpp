// The tile effect: every picture pixel of the covered area goes into all tiles that cover
// it (with the piece density as probability) or into exactly one of them, and onto the
// base picture with the background density as probability. The order of the draws is
// fixed, so one random sequence always gives the same tiles.
#include "maker/tile_effect.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <typeinfo>

namespace klv {
namespace {

constexpr int kCellSize = kTilePitch;
constexpr int kMaxCandidates = 4;

// A tile that receives the pixels of a cell, and where the cell lies inside it.
struct Candidate {
  int row;
  int column;
  int offsetX;  // 0 or 32: the cell fills the tile's left or right half
  int offsetY;  // 0 or 32: the cell fills the tile's top or bottom half
};

struct CellCandidates {
  Candidate list[kMaxCandidates];
  int count = 0;
};

// The candidate tiles of cell (R, C), by the first of the nine class tests that holds,
// in ascending tile index.
CellCandidates CandidatesOf(int R, int C, int xMax, int yMax) {
  const int half = kCellSize;
  if (C == 0 && R == 0) return {{{0, 0, 0, 0}}, 1};
  if (C == xMax && R == 0) return {{{0, xMax - 1, half, 0}}, 1};
  if (C == 0 && R == yMax) return {{{yMax - 1, 0, 0, half}}, 1};
  if (C == xMax && R == yMax) return {{{yMax - 1, xMax - 1, half, half}}, 1};
  if (C == 0) return {{{R - 1, 0, 0, half}, {R, 0, 0, 0}}, 2};
  if (R == 0) return {{{0, C - 1, half, 0}, {0, C, 0, 0}}, 2};
  if (R == yMax) return {{{yMax - 1, C - 1, half, half}, {yMax - 1, C, 0, half}}, 2};
  if (C == xMax) return {{{R - 1, xMax - 1, half, half}, {R, xMax - 1, half, 0}}, 2};
  return {{{R - 1, C - 1, half, half}, {R - 1, C, 0, half}, {R, C - 1, half, 0}, {R, C, 0, 0}}, 4};
}

// pieceDensity + ((1 - pieceDensity) / k) * j, one operation per statement so that no
// compiler fuses the multiply and the add: every platform gets the same doubles.
double SingleTileThreshold(double piece_density, int k, int j) {
  const double share = (1.0 - piece_density) / k;
  const double step = share * j;
  return piece_density + step;
}

// Where the pixels of one cell go: the tile surfaces of its candidates (null for a tile
// index that has no surface) and the offsets inside them.
struct Destination {
  Raster* tile;
  int offsetX;
  int offsetY;
};

void CopyPixel(const Raster& source, int X, int Y, Raster* destination, int u, int v) {
  if (destination == nullptr || !source.Contains(X, Y) || !destination->Contains(u, v)) return;
  destination->Set(u, v, source.At(X, Y));
}

// True when every copy of the cell whose top-left picture pixel is (X0, Y0) stays inside
// its surfaces, so that the cell can be drawn without a check per pixel.
bool CellIsInside(const Raster& source, const Raster& base, int X0, int Y0,
                  const Destination* destinations, int k) {
  const auto covers = [](const Raster& r, int x, int y) {
    return x >= 0 && y >= 0 && x + kCellSize <= r.width && y + kCellSize <= r.height &&
           r.pixels.size() == static_cast<size_t>(r.width) * static_cast<size_t>(r.height);
  };
  if (!covers(source, X0, Y0) || !covers(base, X0, Y0)) return false;
  for (int i = 0; i < k; ++i) {
    const Destination& d = destinations[i];
    if (d.tile == nullptr || !covers(*d.tile, d.offsetX, d.offsetY)) return false;
  }
  return true;
}

// One cell of K candidates whose copies all land inside their surfaces, drawn column by
// column. `from`, `to` and `base` point at the cell's corner in each surface; `thresholds`
// (entries 1 to K - 1) ascend. Without branches on the random values, which would keep
// being mispredicted: each candidate takes the colour when all do or when it is the
// chosen one, the first whose threshold lies above r1.
template <int K, typename Draw>
void DrawInsideCell(const uint32_t* from, size_t source_stride, uint32_t* const* to,
                    const size_t* to_stride, uint32_t* base, size_t base_stride,
                    double piece_density, double background_density, const double* thresholds,
                    Draw& draw) {
  for (int x = 0; x < kCellSize; ++x) {
    for (int y = 0; y < kCellSize; ++y) {
      const uint32_t color = from[y * source_stride + x];
      if constexpr (K == 1) {
        to[0][y * to_stride[0] + x] = color;
      } else {
        const double r1 = draw();
        const bool all = r1 < piece_density;
        int chosen = 0;  // counted from 0
        for (int j = 1; j < K; ++j) chosen += !(r1 < thresholds[j]);
        for (int i = 0; i < K; ++i) {
          uint32_t& pixel = to[i][y * to_stride[i] + x];
          const uint32_t take = 0u - static_cast<uint32_t>(all | (i == chosen));
          pixel = (pixel & ~take) | (color & take);
        }
      }
      const double r2 = draw();
      uint32_t& pixel = base[y * base_stride + x];
      const uint32_t take = 0u - static_cast<uint32_t>(r2 < background_density);
      pixel = (pixel & ~take) | (color & take);
    }
  }
}

// The product's random source hands out values m x 2^-24 (m < 2^24) in integer form, a
// cell's worth at a time. The test "value < threshold" in double precision then becomes
// "m < IntegerThreshold(threshold)": the number of such values below the threshold.
constexpr int32_t kValueSteps = 1 << 24;

int32_t IntegerThreshold(double threshold) {
  if (!(threshold > 0)) return 0;  // also NaN: no value lies below it
  if (threshold >= 1) return kValueSteps;
  // threshold x 2^24 is exact; the loops only guard the boundary with the very test the
  // per-value path makes.
  auto m = static_cast<int32_t>(std::ceil(threshold * kValueSteps));
  const auto below = [threshold](int32_t v) {
    return static_cast<double>(static_cast<float>(v) * (1.0f / 16777216.0f)) < threshold;
  };
  while (m > 0 && !below(m - 1)) --m;
  while (m < kValueSteps && below(m)) ++m;
  return m;
}

// The draws of one cell in integer form, rearranged into rows: the cell takes its draws
// column by column (for each pixel r1, then r2; r2 only with one candidate), and rows
// let the pixels of one row be decided side by side.
struct CellDraws {
  int32_t tile[kCellSize][kCellSize];  // [y][x]: r1
  int32_t base[kCellSize][kCellSize];  // [y][x]: r2
};

// One row of candidate `i` (counted from 0) of a cell with K candidates: a pixel goes into
// the row when its r1 lies below `piece`, or when candidate i is the chosen one, the
// first whose threshold in `above` (entries 1 to K - 1, ascending) lies above r1. The
// rows, colours and draws never overlap (__restrict lets the compiler rely on it).
template <int K>
void TakeCandidateRow(uint32_t* __restrict row, const uint32_t* __restrict colors,
                      const int32_t* __restrict r1, int32_t piece, const int32_t (&above)[4],
                      int i) {
  const int32_t a1 = above[1];
  const int32_t a2 = above[2];
  const int32_t a3 = above[3];
  for (int x = 0; x < kCellSize; ++x) {
    const int32_t r = r1[x];
    int chosen = r >= a1;  // counted from 0
    if constexpr (K == 4) chosen += (r >= a2) + (r >= a3);
    const bool takes = (r < piece) | (chosen == i);
    const uint32_t take = 0u - static_cast<uint32_t>(takes);
    row[x] = (row[x] & ~take) | (colors[x] & take);
  }
}

// One row of the base surface: a pixel takes the picture when its r2 lies below
// `background`.
void TakeBaseRow(uint32_t* __restrict row, const uint32_t* __restrict colors,
                 const int32_t* __restrict r2, int32_t background) {
  for (int x = 0; x < kCellSize; ++x) {
    const uint32_t take = 0u - static_cast<uint32_t>(r2[x] < background);
    row[x] = (row[x] & ~take) | (colors[x] & take);
  }
}

// One cell of K candidates whose copies all land inside their surfaces, with the draws
// already taken, row by row: the same rule as DrawInsideCell, written so that the
// compiler decides a row's pixels side by side. `piece`, `background` and `above` are
// integer thresholds.
template <int K>
void DrawInsideCellRows(const uint32_t* from, size_t source_stride, uint32_t* const* to,
                        const size_t* to_stride, uint32_t* base, size_t base_stride, int32_t piece,
                        int32_t background, const int32_t (&above)[4], const CellDraws& draws) {
  for (int y = 0; y < kCellSize; ++y) {
    const uint32_t* colors = from + y * source_stride;
    if constexpr (K == 1) {
      std::copy(colors, colors + kCellSize, to[0] + y * to_stride[0]);
    } else {
      for (int i = 0; i < K; ++i) {
        TakeCandidateRow<K>(to[i] + y * to_stride[i], colors, draws.tile[y], piece, above, i);
      }
    }
    TakeBaseRow(base + y * base_stride, colors, draws.base[y], background);
  }
}

// Draws from any source, one value at a time through the virtual function.
class ValueDraws {
 public:
  explicit ValueDraws(UniformSource& random) : random_(random) {}
  void BeginCell(int /*k*/) {}
  double operator()() { return random_.Next(); }
  // Never draws a whole cell at once.
  template <int K>
  bool DrawInside(const uint32_t*, size_t, uint32_t* const*, const size_t*, uint32_t*, size_t,
                  const double*) {
    return false;
  }

 private:
  UniformSource& random_;
};

// Draws from the product's own source a cell's worth at a time, in integer form. An
// inside cell is decided row by row from them; any other cell takes them one by one as
// the same [0, 1) values that RandomSource::Next gives.
class BlockDraws {
 public:
  BlockDraws(RandomSource& random, double piece_density, double background_density)
      : random_(random),
        piece_(IntegerThreshold(piece_density)),
        background_(IntegerThreshold(background_density)) {}

  void BeginCell(int k) {
    count_ = (k == 1 ? 1 : 2) * kCellSize * kCellSize;
    random_.NextRaw24(values_, count_);
    next_ = 0;
  }
  double operator()() {
    // Past the cell's draws only by a fault in the walk; the source goes on as Next would.
    if (next_ == count_) return random_.Next();
    return static_cast<float>(values_[next_++]) * (1.0f / 16777216.0f);
  }
  // Decides a whole inside cell of K candidates; `chosen_above` holds the double
  // thresholds 1 to K - 1, ascending. The cell's draws are all used.
  template <int K>
  bool DrawInside(const uint32_t* from, size_t source_stride, uint32_t* const* to,
                  const size_t* to_stride, uint32_t* base, size_t base_stride,
                  const double* chosen_above) {
    int32_t above[4] = {};
    for (int j = 1; j < K; ++j) above[j] = IntegerThreshold(chosen_above[j]);
    for (int x = 0; x < kCellSize; ++x) {
      for (int y = 0; y < kCellSize; ++y) {
        const size_t p = static_cast<size_t>(x * kCellSize + y);
        if constexpr (K == 1) {
          rows_.base[y][x] = static_cast<int32_t>(values_[p]);
        } else {
          rows_.tile[y][x] = static_cast<int32_t>(values_[2 * p]);
          rows_.base[y][x] = static_cast<int32_t>(values_[2 * p + 1]);
        }
      }
    }
    DrawInsideCellRows<K>(from, source_stride, to, to_stride, base, base_stride, piece_,
                          background_, above, rows_);
    next_ = count_;
    return true;
  }

 private:
  RandomSource& random_;
  int32_t piece_;
  int32_t background_;
  uint32_t values_[2 * kCellSize * kCellSize];
  size_t count_ = 0;
  size_t next_ = 0;
  CellDraws rows_;
};

// The tile effect over all cells; `draw` gives the random values, cell by cell.
template <typename Draws>
void RenderCells(const Raster& source, WorkCanvas& canvas, Grid grid, double piece_density,
                 double background_density, Draws& draw) {
  const int xMax = grid.xMax;
  const int yMax = grid.yMax;

  // Thresholds for k = 2 and k = 4 candidates, j = 1 to k - 1.
  double thresholds[kMaxCandidates + 1][kMaxCandidates] = {};
  for (int k : {2, 4}) {
    for (int j = 1; j < k; ++j) thresholds[k][j] = SingleTileThreshold(piece_density, k, j);
  }
  // With ascending thresholds the first one above r1 is found by counting those not
  // above it. They ascend for every density up to 1; a larger one takes every tile
  // anyway, and a NaN threshold keeps the search loop.
  bool sorted = true;
  for (int k : {2, 4}) {
    for (int j = 1; j < k; ++j) {
      if (!(thresholds[k][j] == thresholds[k][j])) sorted = false;
      if (j > 1 && !(thresholds[k][j - 1] <= thresholds[k][j])) sorted = false;
    }
  }

  for (int R = 0; R <= yMax; ++R) {
    for (int C = 0; C <= xMax; ++C) {
      const CellCandidates cell = CandidatesOf(R, C, xMax, yMax);
      const int k = cell.count;
      draw.BeginCell(k);
      Destination destinations[kMaxCandidates];
      for (int i = 0; i < k; ++i) {
        const Candidate& candidate = cell.list[i];
        const long long index = static_cast<long long>(candidate.row) * xMax + candidate.column;
        Raster* tile = nullptr;
        if (index >= 0 && index < static_cast<long long>(canvas.tiles.size())) {
          tile = &canvas.tiles[static_cast<size_t>(index)];
        }
        destinations[i] = Destination{tile, candidate.offsetX, candidate.offsetY};
      }
      // The chosen candidate (counted from 1) of a pixel that goes into one tile only.
      const auto choose = [&](double r1) {
        for (int j = 1; j < k; ++j) {
          if (r1 < thresholds[k][j]) return j;
        }
        return k;
      };

      const int X0 = kCellSize * C;
      const int Y0 = kCellSize * R;
      if (CellIsInside(source, canvas.base, X0, Y0, destinations, k)) {
        // Every copy lands inside: pointers to the cell's corner in each surface.
        const size_t source_stride = static_cast<size_t>(source.width);
        const size_t base_stride = static_cast<size_t>(canvas.base.width);
        const uint32_t* from = source.pixels.data() + Y0 * source_stride + X0;
        uint32_t* base = canvas.base.pixels.data() + Y0 * base_stride + X0;
        uint32_t* to[kMaxCandidates];
        size_t to_stride[kMaxCandidates];
        for (int i = 0; i < k; ++i) {
          Raster& tile = *destinations[i].tile;
          to_stride[i] = static_cast<size_t>(tile.width);
          to[i] =
              tile.pixels.data() + destinations[i].offsetY * to_stride[i] + destinations[i].offsetX;
        }
        if (k == 1) {
          if (!draw.template DrawInside<1>(from, source_stride, to, to_stride, base, base_stride,
                                           thresholds[1])) {
            DrawInsideCell<1>(from, source_stride, to, to_stride, base, base_stride, piece_density,
                              background_density, thresholds[1], draw);
          }
        } else if (k == 2 && sorted) {
          if (!draw.template DrawInside<2>(from, source_stride, to, to_stride, base, base_stride,
                                           thresholds[2])) {
            DrawInsideCell<2>(from, source_stride, to, to_stride, base, base_stride, piece_density,
                              background_density, thresholds[2], draw);
          }
        } else if (k == 4 && sorted) {
          if (!draw.template DrawInside<4>(from, source_stride, to, to_stride, base, base_stride,
                                           thresholds[4])) {
            DrawInsideCell<4>(from, source_stride, to, to_stride, base, base_stride, piece_density,
                              background_density, thresholds[4], draw);
          }
        } else {
          for (int x = 0; x < kCellSize; ++x) {
            for (int y = 0; y < kCellSize; ++y) {
              const uint32_t color = from[y * source_stride + x];
              const double r1 = draw();
              if (r1 < piece_density) {
                for (int i = 0; i < k; ++i) to[i][y * to_stride[i] + x] = color;
              } else {
                const int i = choose(r1) - 1;
                to[i][y * to_stride[i] + x] = color;
              }
              const double r2 = draw();
              if (r2 < background_density) base[y * base_stride + x] = color;
            }
          }
        }
        continue;
      }

      for (int x = 0; x < kCellSize; ++x) {
        for (int y = 0; y < kCellSize; ++y) {
          const int X = X0 + x;
          const int Y = Y0 + y;

          if (k == 1) {
            CopyPixel(source, X, Y, destinations[0].tile, x + destinations[0].offsetX,
                      y + destinations[0].offsetY);
          } else {
            const double r1 = draw();
            if (r1 < piece_density) {
              for (int i = 0; i < k; ++i) {
                CopyPixel(source, X, Y, destinations[i].tile, x + destinations[i].offsetX,
                          y + destinations[i].offsetY);
              }
            } else {
              const Destination& d = destinations[choose(r1) - 1];
              CopyPixel(source, X, Y, d.tile, x + d.offsetX, y + d.offsetY);
            }
          }

          const double r2 = draw();
          if (r2 < background_density) CopyPixel(source, X, Y, &canvas.base, X, Y);
        }
      }
    }
  }
}

}  // namespace

void RenderTileEffect(const Raster& source, WorkCanvas& canvas, Grid grid, double piece_density,
                      double background_density, UniformSource& random) {
  // The product's own source (and not a class derived from it) gives its values a cell's
  // worth at a time; the values and their order are the same.
  if (typeid(random) == typeid(RandomSource)) {
    BlockDraws draws(static_cast<RandomSource&>(random), piece_density, background_density);
    RenderCells(source, canvas, grid, piece_density, background_density, draws);
    return;
  }
  ValueDraws draws(random);
  RenderCells(source, canvas, grid, piece_density, background_density, draws);
}

}  // namespace klv
