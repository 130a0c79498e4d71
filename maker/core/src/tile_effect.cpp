// The tile effect: every picture pixel of the covered area goes into all tiles that cover
// it (with the piece density as probability) or into exactly one of them, and onto the
// base picture with the background density as probability. The order of the draws is
// fixed, so one random sequence always gives the same tiles.
#include "maker/tile_effect.h"

#include <cstddef>
#include <initializer_list>

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

// A draw below this gives the pixel to candidate j alone (1 <= j < k): subtract, divide by
// k, multiply by j, add, each rounded to double on its own. The core is compiled with
// -ffp-contract=off (maker/core/CMakeLists.txt), so no compiler fuses the multiply and the
// add into one rounding; the thresholds, and so the packages, are the same everywhere.
double SingleTileThreshold(double piece_density, int k, int j) {
  return piece_density + ((1.0 - piece_density) / k) * j;
}

// Where the pixels of one cell go: the tile surface of a candidate (null for a tile index
// that has no surface) and the cell's place inside it.
struct Destination {
  Raster* tile;
  int offsetX;
  int offsetY;
};

void CopyPixel(const Raster& source, int X, int Y, Raster* destination, int u, int v) {
  if (destination == nullptr || !source.Contains(X, Y) || !destination->Contains(u, v)) return;
  destination->Set(u, v, source.At(X, Y));
}

}  // namespace

// The rule is kept in one loop, to be checked against the design line by line.
// NOLINTNEXTLINE(readability-function-cognitive-complexity)
void RenderTileEffect(const Raster& source, WorkCanvas& canvas, Grid grid, double piece_density,
                      double background_density, UniformSource& random) {
  const int xMax = grid.xMax;
  const int yMax = grid.yMax;

  // thresholds[k][j] for k = 2 and k = 4 candidates, j = 1 to k - 1.
  double thresholds[kMaxCandidates + 1][kMaxCandidates] = {};
  for (int k : {2, 4}) {
    for (int j = 1; j < k; ++j) thresholds[k][j] = SingleTileThreshold(piece_density, k, j);
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

      // The cell column by column: all 32 rows of x = 0, then of x = 1, and so on.
      for (int x = 0; x < kCellSize; ++x) {
        for (int y = 0; y < kCellSize; ++y) {
          const int X = kCellSize * C + x;
          const int Y = kCellSize * R + y;

          // Tile step: a corner cell's one tile takes every pixel without a draw.
          if (k == 1) {
            CopyPixel(source, X, Y, destinations[0].tile, x + destinations[0].offsetX,
                      y + destinations[0].offsetY);
          } else {
            const double r1 = random.Next();
            if (r1 < piece_density) {
              for (int i = 0; i < k; ++i) {
                CopyPixel(source, X, Y, destinations[i].tile, x + destinations[i].offsetX,
                          y + destinations[i].offsetY);
              }
            } else {
              int chosen = k;  // candidate number, counted from 1
              for (int j = 1; j < k; ++j) {
                if (r1 < thresholds[k][j]) {
                  chosen = j;
                  break;
                }
              }
              const Destination& d = destinations[chosen - 1];
              CopyPixel(source, X, Y, d.tile, x + d.offsetX, y + d.offsetY);
            }
          }

          // Base step, for every pixel of every cell.
          const double r2 = random.Next();
          if (r2 < background_density) CopyPixel(source, X, Y, &canvas.base, X, Y);
        }
      }
    }
  }
}

}  // namespace klv
