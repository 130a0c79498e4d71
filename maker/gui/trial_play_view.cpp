// The trial play's table drawn with QPainter: the board (the base picture), the scatter
// area beside it, and the tiles in the form's order, their background transparent. The
// left button's press, moves and release reach the form at table points.
#include "trial_play_view.h"

#include <QMouseEvent>
#include <QPainter>

#include "dest_scr.h"

namespace klv::gui {

QImage RasterToTransparentImage(const Raster& raster, uint32_t transparent) {
  QImage image = RasterToImage(raster).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((line[x] & 0xFFFFFFu) == (transparent & 0xFFFFFFu)) line[x] = 0;
    }
  }
  return image;
}

TrialPlayView::TrialPlayView(form::PackageForm& form, QWidget* parent)
    : QWidget(parent), form_(form) {
  const form::PackageContents& contents = form.contents();
  if (contents.base) base_ = RasterToImage(*contents.base);
  for (const TileRaster& tile : contents.tiles) {
    tile_images_.push_back(RasterToTransparentImage(tile.raster, contents.backColor));
  }
  setFixedSize(sizeHint());
}

QSize TrialPlayView::sizeHint() const {
  return {Play().TableWidth() + 2 * kMargin, Play().TableHeight() + 2 * kMargin};
}

QPoint TrialPlayView::TablePoint(const QMouseEvent* event) const {
  return event->position().toPoint() - TableOrigin();
}

void TrialPlayView::paintEvent(QPaintEvent* /*event*/) {
  const TrialPlay& play = Play();
  QPainter painter(this);
  painter.translate(TableOrigin());
  const QRect board(0, 0, play.BoardWidth(), play.BoardHeight());
  painter.fillRect(board, Qt::white);
  if (!base_.isNull()) painter.drawImage(0, 0, base_);
  painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
  painter.drawRect(board.adjusted(-1, -1, 0, 0));
  const QRect scatter(play.BoardWidth() + TrialPlay::kScatterGap, 0,
                      play.TableWidth() - play.BoardWidth() - TrialPlay::kScatterGap,
                      play.TableHeight());
  painter.fillRect(scatter, palette().color(QPalette::Midlight));
  for (size_t tile : play.Order()) {
    const TrialTile& t = play.Tiles()[tile];
    painter.drawImage(t.x, t.y, tile_images_[tile]);
  }
}

void TrialPlayView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QPoint point = TablePoint(event);
  form_.Pressed(point.x(), point.y());
}

void TrialPlayView::mouseMoveEvent(QMouseEvent* event) {
  if (!form_.held()) return QWidget::mouseMoveEvent(event);
  const QPoint point = TablePoint(event);
  form_.Moved(point.x(), point.y());
}

void TrialPlayView::mouseReleaseEvent(QMouseEvent* event) {
  if (!form_.held() || event->button() != Qt::LeftButton) {
    return QWidget::mouseReleaseEvent(event);
  }
  const QPoint point = TablePoint(event);
  form_.Released(point.x(), point.y());
}

}  // namespace klv::gui
