// A puzzle package opened on the web page: what its header says, what is wrong with it,
// its pictures, and the trial play of its tiles on its base by TrialPlay's rules, as the
// package window shows them.
#ifndef KLV_WEB_PACKAGE_VIEW_H_
#define KLV_WEB_PACKAGE_VIEW_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "language/language.h"
#include "maker/package_pictures.h"
#include "maker/raster.h"
#include "maker/trial_play.h"

namespace klv::web {

// One line of the package's information: the field's name (the header's, such as
// "PuzzleName", for a script to find it), its label and its value in the page's language.
struct InfoRow {
  std::string key;
  std::string label;
  std::string value;
};

class PackageView {
 public:
  // The package whose whole file is `file`, named `file_name` (UTF-8), with its tiles
  // scattered by `random`. Nothing when the file does not begin as a package; a damaged
  // one opens with what could be read and its problems.
  static std::optional<PackageView> Open(std::span<const uint8_t> file,
                                         const std::string& file_name, WindowLanguage language,
                                         UniformSource& random);

  const std::vector<InfoRow>& rows() const { return rows_; }
  // "問題はありません", or "問題が N 件あります" and one line for each.
  const std::string& problems_heading() const { return problems_heading_; }
  const std::vector<std::string>& problems() const { return problems_; }

  uint32_t back_color() const { return back_color_; }  // 0xRRGGBB
  const std::optional<Raster>& base() const { return pictures_.base; }
  const std::vector<TileRaster>& tiles() const { return pictures_.tiles; }
  TrialPlay& play() { return play_; }
  const TrialPlay& play() const { return play_; }

 private:
  PackageView(PackagePictures pictures, uint32_t back_color);

  PackagePictures pictures_;
  uint32_t back_color_;
  TrialPlay play_;
  std::vector<InfoRow> rows_;
  std::string problems_heading_;
  std::vector<std::string> problems_;
};

// `raster` as a canvas's RGBA bytes, four a pixel, opaque but for the pixels of the colour
// `transparent` (0xRRGGBB) when it is given.
std::vector<uint8_t> CanvasBytes(const Raster& raster, std::optional<uint32_t> transparent);

}  // namespace klv::web

#endif  // KLV_WEB_PACKAGE_VIEW_H_
