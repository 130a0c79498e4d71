// What the package window shows and does, without any window toolkit: a package file read
// and described in the window's language (its title, the header's fields, the problems,
// the pictures with their captions, the texts of the tabs and the button), the one message
// for a file that is not a package, and the trial play's drag with its counter and
// completion line. The Qt and the Windows package windows are views of it.
#ifndef KLV_MAKER_FORM_PACKAGE_FORM_H_
#define KLV_MAKER_FORM_PACKAGE_FORM_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/language.h"
#include "maker/package_pictures.h"
#include "maker/raster.h"
#include "maker/trial_play.h"

namespace klv {
class Env;
}

namespace klv::form {

// True when `name` ends in ".klv", in any case.
bool IsPackageName(std::string_view name);

// The files of a drop that open as packages: all of `paths` when each is named as a
// package, none otherwise (the drop is then left to the window it fell on).
std::vector<std::string> PackagesOfDrop(const std::vector<std::string>& paths);

// One line of the information page.
struct PackageField {
  // What the line shows: a header key ("xMax", "backColor", "PuzzleName", ...), or "File",
  // "tiles" (the tile chunks) and "bytes" (the file's size).
  std::string name;
  std::string label;
  std::string value;  // UTF-8; the comment's line breaks are "\n"
};

// One picture of the pictures page.
struct ShownPicture {
  std::string name;  // "BasePicture", "TileSheet" or "SolvedPicture"
  std::string caption;
  std::optional<Raster> raster;  // absent when it could not be made: `missing` says so
  std::string missing;
  bool keyed = false;  // the pixels of the background colour are drawn transparent
};

// Everything the package window shows of one package file, in one language.
struct PackageContents {
  std::string path;                 // UTF-8, as given
  std::string title;                // "パッケージ - NAME.klv"
  std::array<std::string, 3> tabs;  // the information, the pictures, the trial play
  std::vector<PackageField> fields;
  uint32_t backColor = 0;  // 0xRRGGBB, the field "backColor"'s swatch; 0 without a header
  std::string problemsHeading;
  std::vector<std::string> problems;  // one line each, in file order
  std::array<ShownPicture, 3> pictures;
  // The trial play's base and tiles (the tiles that decode and lie in the grid).
  std::optional<Raster> base;
  std::vector<TileRaster> tiles;
  std::string scatterText;   // the button that scatters the tiles again
  std::string completeText;  // the line shown once every tile is placed
};

// The package file at `path` (UTF-8) read and described in `language`. A damaged package
// is described with its problems, and whatever could be read is shown. Nothing, with
// *message set to the one message a window shows instead (naming the file and the
// cause), when the platform cannot name the path, the file cannot be read whole, or it
// does not begin as a package (a RIFF form "DATA" whose first chunk is the header).
std::optional<PackageContents> ReadPackageContents(Env& env, const std::string& path,
                                                   WindowLanguage language, std::string* message);

// What the form asks of a window. Every call runs on the window's thread.
class PackageView {
 public:
  virtual ~PackageView() = default;
  // The trial table has changed (a tile taken, moved or dropped, the tiles scattered):
  // draw it again from the form's Play().
  virtual void TableChanged() = 0;
  // The counter's text, and whether the completion line shows.
  virtual void ShowCount(const std::string& counter, bool complete) = 0;
};

class PackageForm {
 public:
  // The form of a window that shows `contents` in `language`. `view` must outlive the
  // form; call Start once the view's controls exist.
  PackageForm(PackageContents contents, WindowLanguage language, PackageView& view);

  const PackageContents& contents() const { return contents_; }
  const TrialPlay& Play() const { return play_; }
  // The tile the mouse holds, while a drag goes on.
  std::optional<size_t> held() const { return held_; }

  // The start: the tiles scattered by a draw from the clock, and the count shown.
  void Start();

  // What the person did on the trial table, at table points (the origin is the base's
  // top-left corner). A press takes the loose tile under the point (TrialPlay::TileAt) to
  // the top, held at that point of it; a move carries the held tile; a release drops it
  // there, where it snaps to its place when near enough. A move or release with no tile
  // held does nothing.
  void Pressed(int x, int y);
  void Moved(int x, int y);
  void Released(int x, int y);
  // Scatters every tile again by a fresh draw from the clock.
  void ScatterClicked();
  // Scatters the tiles by the draw of `seed` instead, so that a test knows where each
  // tile lies. Not reachable from the window.
  void ScatterForTests(uint32_t seed);

 private:
  void Scatter(uint32_t seed);
  // Shows the counter, "はめたピース： PLACED / TILES", and whether the puzzle is complete.
  void ShowCount();

  const PackageContents contents_;
  const WindowLanguage language_;
  PackageView& view_;
  TrialPlay play_;
  std::optional<size_t> held_;
  int grab_x_ = 0;  // the point of the held tile that the mouse holds
  int grab_y_ = 0;
};

// The colours of the trial table (0xRRGGBB) where no tile lies.
struct TableColors {
  uint32_t table = 0xF0F0F0;    // around and between the board and the scatter area
  uint32_t board = 0xFFFFFF;    // the board where the base does not reach
  uint32_t scatter = 0xE3E3E3;  // the scatter area
};

// The trial table of `form` as pixels, from the table point (left, top), `width` by
// `height` (each at least 0): the board with the base on it, the scatter area, and the
// tiles in their order, bottom to top, their background pixels left out so that what lies
// below shows. Points beyond the table are the table's colour.
Raster PaintTable(const PackageForm& form, int left, int top, int width, int height,
                  const TableColors& colors);

}  // namespace klv::form

#endif  // KLV_MAKER_FORM_PACKAGE_FORM_H_
