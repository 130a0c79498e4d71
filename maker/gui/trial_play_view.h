// The trial play of the package window: the base picture with the tiles scattered beside
// it, which the author drags onto the base with the mouse. The rules (scatter, snap,
// count) and the drag are the package form's; this widget only draws the table and
// passes the mouse on.
#ifndef KLV_MAKER_GUI_TRIAL_PLAY_VIEW_H_
#define KLV_MAKER_GUI_TRIAL_PLAY_VIEW_H_

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <vector>

#include "form/package_form.h"

namespace klv::gui {

// `raster` as a 32-bit image with alpha in which the pixels of 0xRRGGBB `transparent`
// are fully transparent and every other pixel opaque.
QImage RasterToTransparentImage(const Raster& raster, uint32_t transparent);

class TrialPlayView : public QWidget {
  Q_OBJECT
 public:
  // The table around the board: this many pixels on every side.
  static constexpr int kMargin = 8;

  // The table of `form`, whose tiles are drawn with the pixels of the package's background
  // colour transparent. `form` must outlive the view.
  explicit TrialPlayView(form::PackageForm& form, QWidget* parent = nullptr);

  const TrialPlay& Play() const { return form_.Play(); }
  // Where the table's origin (the base's top-left corner) lies in the widget.
  QPoint TableOrigin() const { return {kMargin, kMargin}; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPoint TablePoint(const QMouseEvent* event) const;

  form::PackageForm& form_;
  QImage base_;
  std::vector<QImage> tile_images_;  // by tile, as Play().Tiles()
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_TRIAL_PLAY_VIEW_H_
