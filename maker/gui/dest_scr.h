// DestScr, the work canvas window ("ピーステーブル") that a make opens: 115 tile surfaces
// DesPic(0 to 114) of 64 x 64 pixels and the base surface BasePic at the places of the
// form's table, on which the user watches the make's surfaces. It has no behaviour of its
// own; only the make touches it.
#ifndef KLV_MAKER_GUI_DEST_SCR_H_
#define KLV_MAKER_GUI_DEST_SCR_H_

#include <QImage>
#include <QWidget>
#include <array>

#include "form/control_table.h"
#include "language/language.h"
#include "maker/raster.h"
#include "maker/work_canvas.h"

class QLabel;

namespace klv::gui {

// `raster` as an opaque 32-bit image with the same pixels.
QImage RasterToImage(const Raster& raster);

class DestScr : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kClientWidth = form::kDestScrWidth;
  static constexpr int kClientHeight = form::kDestScrHeight;

  // The surfaces are labels named "DesPic" (with the property "index") and "BasePic"; the
  // caption is in `language`.
  explicit DestScr(WindowLanguage language = WindowLanguage::kJapanese, QWidget* parent = nullptr);

  // Shows `image` on tile surface `index` (cut to 64 x 64); an index outside 0 to 114 is
  // ignored.
  void ShowTile(int index, const QImage& image);
  // Shows `image` on the base surface, which takes the image's size.
  void ShowBase(const QImage& image);
  // Shows every tile of `canvas` (at most 115) and its base surface.
  void ShowCanvas(const WorkCanvas& canvas);

 private:
  std::array<QLabel*, kTileSurfaceCount> des_pic_{};
  QLabel* base_pic_ = nullptr;
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_DEST_SCR_H_
