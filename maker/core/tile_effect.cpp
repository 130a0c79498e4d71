// The tile effect: every picture pixel of the covered area goes into all tiles that cover
// it (with the piece density as probability) or into exactly one of them, and onto the
// base picture with the background density as probability. The order of the draws is
// fixed, so one random sequence always gives the same tiles.
#include "maker/core/tile_effect.h"

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

// The tile effect over all cells; `draw` gives the next random value. A template, so
// that the product's own random source is called directly rather than once per pixel
// through the virtual function.
template <typename Draw>
void RenderCells(const Raster& source, WorkCanvas& canvas, Grid grid, double piece_density,
                 double background_density, Draw draw) {
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
          to[i] = tile.pixels.data() + destinations[i].offsetY * to_stride[i] +
                  destinations[i].offsetX;
        }
        if (k == 1) {
          DrawInsideCell<1>(from, source_stride, to, to_stride, base, base_stride,
                            piece_density, background_density, thresholds[1], draw);
        } else if (k == 2 && sorted) {
          DrawInsideCell<2>(from, source_stride, to, to_stride, base, base_stride,
                            piece_density, background_density, thresholds[2], draw);
        } else if (k == 4 && sorted) {
          DrawInsideCell<4>(from, source_stride, to, to_stride, base, base_stride,
                            piece_density, background_density, thresholds[4], draw);
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
  // The product's own source (and not a class derived from it) is called without the
  // virtual dispatch; the values and their order are the same.
  if (typeid(random) == typeid(RandomSource)) {
    auto& own = static_cast<RandomSource&>(random);
    RenderCells(source, canvas, grid, piece_density, background_density,
                [&own]() -> double { return own.RandomSource::Next(); });
    return;
  }
  RenderCells(source, canvas, grid, piece_density, background_density,
              [&random]() -> double { return random.Next(); });
}

}  // namespace klv
