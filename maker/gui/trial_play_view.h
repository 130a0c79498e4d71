// The trial play of the package window: the base picture with the tiles scattered beside
// it, which the author drags onto the base with the mouse. The rules (scatter, snap,
// count) are TrialPlay's; this widget only draws the table and passes the mouse on.
#ifndef KLV_MAKER_GUI_TRIAL_PLAY_VIEW_H_
#define KLV_MAKER_GUI_TRIAL_PLAY_VIEW_H_

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstddef>
#include <optional>
#include <vector>

#include "maker/trial_play.h"

namespace klv::gui {

// `raster` as a 32-bit image with alpha in which the pixels of 0xRRGGBB `transparent`
// are fully transparent and every other pixel opaque.
QImage RasterToTransparentImage(const Raster& raster, uint32_t transparent);

class TrialPlayView : public QWidget {
  Q_OBJECT
 public:
  // The table around the board: this many pixels on every side.
  static constexpr int kMargin = 8;

  // A table for `tiles` (drawn with the pixels of `back_color` transparent) beside the
  // base picture `base` (may be absent: the board is then drawn empty). The tiles are
  // scattered at once, drawn from the clock.
  TrialPlayView(const std::optional<Raster>& base, const std::vector<TileRaster>& tiles,
                uint32_t back_color, QWidget* parent = nullptr);

  const TrialPlay& Play() const { return play_; }
  // Where the table's origin (the base's top-left corner) lies in the widget.
  QPoint TableOrigin() const { return {kMargin, kMargin}; }

  // Scatters every tile again, with a fresh draw from the clock.
  void Scatter();

  QSize sizeHint() const override;

 signals:
  // A tile was dropped or the tiles were scattered: the placed count may have changed.
  void Changed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPoint TablePoint(const QPoint& widget_point) const { return widget_point - TableOrigin(); }

  TrialPlay play_;
  QImage base_;
  std::vector<QImage> tile_images_;  // by tile, as Play().Tiles()
  std::optional<size_t> dragged_;
  QPoint grab_;  // the point of the dragged tile that the mouse holds
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_TRIAL_PLAY_VIEW_H_
