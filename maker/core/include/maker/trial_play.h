// The rules of the package window's trial play, without any window: the tiles scattered
// beside the base in random order, a drop within a few pixels of a tile's place snapping
// it there, and the count of placed tiles. Pixels of the background colour are
// transparent, so a press there reaches the tile below.
#ifndef KLV_MAKER_TRIAL_PLAY_H_
#define KLV_MAKER_TRIAL_PLAY_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "maker/make_values.h"
#include "maker/package_pictures.h"

namespace klv {

// One tile on the table. Positions are of the tile's top-left corner on the table, whose
// origin is the base picture's top-left corner.
struct TrialTile {
  int64_t index = 0;  // the tile slot, row-major
  int row = 0;
  int column = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> opaque;  // width x height, row-major: 1 where not background
  int x = 0;
  int y = 0;
  bool placed = false;

  // The tile's place: (32 x column, 32 x row).
  int HomeX() const { return column * 32; }
  int HomeY() const { return row * 32; }
  bool OpaqueAt(int u, int v) const;
};

class TrialPlay {
 public:
  // A drop whose corner lies at most this many pixels from the tile's place snaps there.
  static constexpr int kSnapDistance = 8;
  // The free strip between the board (the base and every tile's place) and the area the
  // tiles are scattered over.
  static constexpr int kScatterGap = 24;

  // The tiles of a package, each with its background-colour pixels (0xRRGGBB
  // `back_color`) transparent, on a table whose board holds a base of `base_width` by
  // `base_height` pixels and every tile's place. The tiles start at their places, not
  // placed; call Scatter before play.
  TrialPlay(const std::vector<TileRaster>& tiles, uint32_t back_color, int base_width,
            int base_height);

  // The board: the base and every tile's place, from the table's origin.
  int BoardWidth() const { return board_width_; }
  int BoardHeight() const { return board_height_; }
  // The whole table: the board, the gap and the scatter area right of it, which is as
  // large as the board or more when many tiles need the room.
  int TableWidth() const { return table_width_; }
  int TableHeight() const { return table_height_; }

  const std::vector<TrialTile>& Tiles() const { return tiles_; }
  // Indexes into Tiles(), bottom to top: placed tiles lie under every loose one.
  const std::vector<size_t>& Order() const { return order_; }

  // Takes every tile off the board and lays them at random places of the scatter area in
  // a random order, none placed. The same draw gives the same table, whatever came before.
  void Scatter(UniformSource& random);

  // The topmost loose tile with an opaque pixel at table point (x, y); failing that, the
  // topmost loose tile whose box holds the point (so that a tile with no opaque pixel can
  // still be taken). Nothing when no loose tile lies there. Placed tiles stay put.
  std::optional<size_t> TileAt(int x, int y) const;

  // Brings loose tile `tile` to the top. Requires tile < Tiles().size().
  void Lift(size_t tile);
  // Moves loose tile `tile` to (x, y), kept on the table; placed tiles do not move.
  void MoveTo(size_t tile, int x, int y);
  // Moves loose tile `tile` to (x, y) as MoveTo does; when that lies within kSnapDistance
  // of its place, the tile snaps there, is placed and goes under the loose tiles.
  // Returns whether the tile is placed.
  bool Drop(size_t tile, int x, int y);

  int PlacedCount() const;
  int TileCount() const { return static_cast<int>(tiles_.size()); }
  // Every tile placed (and there is at least one).
  bool Complete() const { return !tiles_.empty() && PlacedCount() == TileCount(); }

 private:
  std::vector<TrialTile> tiles_;
  std::vector<size_t> order_;
  int board_width_ = 0;
  int board_height_ = 0;
  int scatter_width_ = 0;
  int scatter_height_ = 0;
  int table_width_ = 0;
  int table_height_ = 0;
};

}  // namespace klv

#endif  // KLV_MAKER_TRIAL_PLAY_H_
