// The trial play's rules: the table's layout (board left, scatter area right), the
// scatter, the hit test through transparent pixels, and the snap of a drop near a tile's
// place. Positions are plain integers; the window only draws what this class says.
#include "maker/trial_play.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace klv {
namespace {

// Table sizes are kept to this, so that positions and their sums stay well inside int and
// a window can be as large as the table (a damaged package may claim any grid).
constexpr int64_t kMaxTableSide = int64_t{1} << 15;

int Capped(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, 0, kMaxTableSide)); }

// A uniform whole number in [0, count), count > 0.
int64_t Draw(UniformSource& random, int64_t count) {
  const auto drawn = static_cast<int64_t>(
      std::floor(static_cast<double>(random.Next()) * static_cast<double>(count)));
  return std::clamp<int64_t>(drawn, 0, count - 1);
}

}  // namespace

bool TrialTile::OpaqueAt(int u, int v) const {
  if (u < 0 || v < 0 || u >= width || v >= height) return false;
  return opaque[static_cast<size_t>(v) * static_cast<size_t>(width) + static_cast<size_t>(u)] != 0;
}

TrialPlay::TrialPlay(const std::vector<TileRaster>& tiles, uint32_t back_color, int base_width,
                     int base_height) {
  int64_t board_width = std::max(base_width, 0);
  int64_t board_height = std::max(base_height, 0);
  int64_t widest = 0;
  int64_t highest = 0;
  tiles_.reserve(tiles.size());
  for (const TileRaster& source : tiles) {
    TrialTile tile;
    tile.index = source.index;
    tile.row = source.row;
    tile.column = source.column;
    tile.width = source.raster.width;
    tile.height = source.raster.height;
    tile.opaque.reserve(source.raster.pixels.size());
    for (uint32_t pixel : source.raster.pixels) tile.opaque.push_back(pixel != back_color ? 1 : 0);
    tile.x = tile.HomeX();
    tile.y = tile.HomeY();
    board_width = std::max(board_width, int64_t{tile.HomeX()} + tile.width);
    board_height = std::max(board_height, int64_t{tile.HomeY()} + tile.height);
    widest = std::max<int64_t>(widest, tile.width);
    highest = std::max<int64_t>(highest, tile.height);
    order_.push_back(tiles_.size());
    tiles_.push_back(std::move(tile));
  }
  board_width_ = Capped(board_width);
  board_height_ = Capped(board_height);
  // The scatter area is at least as large as the board, holds two tiles each way, and is
  // large enough that the tiles, laid out in a square of columns and rows, would overlap
  // by a quarter at most.
  int64_t columns = 1;
  while (columns * columns < static_cast<int64_t>(tiles_.size())) ++columns;
  const int64_t rows =
      std::max<int64_t>((static_cast<int64_t>(tiles_.size()) + columns - 1) / columns, 1);
  scatter_width_ = Capped(std::max({int64_t{board_width_}, 2 * widest, columns * widest * 3 / 4}));
  scatter_height_ = Capped(std::max({int64_t{board_height_}, 2 * highest, rows * highest * 3 / 4}));
  table_width_ = Capped(int64_t{board_width_} + kScatterGap + scatter_width_);
  table_height_ = std::max(board_height_, scatter_height_);
}

void TrialPlay::Scatter(UniformSource& random) {
  // Fisher-Yates from the tiles' own order, so that the table depends on the draw alone:
  // every order equally likely.
  for (size_t i = 0; i < order_.size(); ++i) order_[i] = i;
  for (size_t i = order_.size(); i > 1; --i) {
    std::swap(order_[i - 1], order_[static_cast<size_t>(Draw(random, static_cast<int64_t>(i)))]);
  }
  const int left = board_width_ + kScatterGap;
  for (size_t tile : order_) {
    TrialTile& t = tiles_[tile];
    t.placed = false;
    t.x = left + static_cast<int>(Draw(random, std::max(scatter_width_ - t.width, 0) + 1));
    t.y = static_cast<int>(Draw(random, std::max(scatter_height_ - t.height, 0) + 1));
  }
}

std::optional<size_t> TrialPlay::TileAt(int x, int y) const {
  std::optional<size_t> boxed;
  for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
    const TrialTile& t = tiles_[*it];
    if (t.placed) continue;
    const int u = x - t.x;
    const int v = y - t.y;
    if (u < 0 || v < 0 || u >= t.width || v >= t.height) continue;
    if (t.OpaqueAt(u, v)) return *it;
    if (!boxed) boxed = *it;
  }
  return boxed;
}

void TrialPlay::Lift(size_t tile) {
  if (tiles_[tile].placed) return;
  const auto it = std::find(order_.begin(), order_.end(), tile);
  std::rotate(it, it + 1, order_.end());
}

void TrialPlay::MoveTo(size_t tile, int x, int y) {
  TrialTile& t = tiles_[tile];
  if (t.placed) return;
  t.x = std::clamp(x, 0, std::max(table_width_ - t.width, 0));
  t.y = std::clamp(y, 0, std::max(table_height_ - t.height, 0));
}

bool TrialPlay::Drop(size_t tile, int x, int y) {
  TrialTile& t = tiles_[tile];
  if (t.placed) return true;
  MoveTo(tile, x, y);
  const int64_t dx = int64_t{t.x} - t.HomeX();
  const int64_t dy = int64_t{t.y} - t.HomeY();
  if (dx * dx + dy * dy > int64_t{kSnapDistance} * kSnapDistance) return false;
  t.x = t.HomeX();
  t.y = t.HomeY();
  t.placed = true;
  // Under every loose tile, above the tiles placed before it.
  const auto it = std::find(order_.begin(), order_.end(), tile);
  const auto first_loose =
      std::find_if(order_.begin(), order_.end(), [this](size_t i) { return !tiles_[i].placed; });
  if (first_loose < it) std::rotate(first_loose, it, it + 1);
  return true;
}

int TrialPlay::PlacedCount() const {
  return static_cast<int>(
      std::count_if(tiles_.begin(), tiles_.end(), [](const TrialTile& t) { return t.placed; }));
}

}  // namespace klv
