// The trial play's table drawn with QPainter: the board (the base picture), the scatter
// area beside it, and the tiles in TrialPlay's order, their background transparent.
// A press takes the tile under the mouse, a move carries it, a release drops it.
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

TrialPlayView::TrialPlayView(const std::optional<Raster>& base,
                             const std::vector<TileRaster>& tiles, uint32_t back_color,
                             QWidget* parent)
    : QWidget(parent), play_(tiles, back_color, base ? base->width : 0, base ? base->height : 0) {
  if (base) base_ = RasterToImage(*base);
  for (const TileRaster& tile : tiles) {
    tile_images_.push_back(RasterToTransparentImage(tile.raster, back_color));
  }
  setFixedSize(sizeHint());
  Scatter();
}

void TrialPlayView::Scatter() {
  RandomSource random(RandomSource::ClockSeed());
  play_.Scatter(random);
  dragged_.reset();
  update();
  emit Changed();
}

QSize TrialPlayView::sizeHint() const {
  return {play_.TableWidth() + 2 * kMargin, play_.TableHeight() + 2 * kMargin};
}

void TrialPlayView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.translate(TableOrigin());
  const QRect board(0, 0, play_.BoardWidth(), play_.BoardHeight());
  painter.fillRect(board, Qt::white);
  if (!base_.isNull()) painter.drawImage(0, 0, base_);
  painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
  painter.drawRect(board.adjusted(-1, -1, 0, 0));
  const QRect scatter(play_.BoardWidth() + TrialPlay::kScatterGap, 0,
                      play_.TableWidth() - play_.BoardWidth() - TrialPlay::kScatterGap,
                      play_.TableHeight());
  painter.fillRect(scatter, palette().color(QPalette::Midlight));
  for (size_t tile : play_.Order()) {
    const TrialTile& t = play_.Tiles()[tile];
    painter.drawImage(t.x, t.y, tile_images_[tile]);
  }
}

void TrialPlayView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QPoint point = TablePoint(event->position().toPoint());
  dragged_ = play_.TileAt(point.x(), point.y());
  if (!dragged_) return;
  const TrialTile& t = play_.Tiles()[*dragged_];
  grab_ = point - QPoint(t.x, t.y);
  play_.Lift(*dragged_);
  update();
}

void TrialPlayView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragged_) return QWidget::mouseMoveEvent(event);
  const QPoint corner = TablePoint(event->position().toPoint()) - grab_;
  play_.MoveTo(*dragged_, corner.x(), corner.y());
  update();
}

void TrialPlayView::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragged_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  const QPoint corner = TablePoint(event->position().toPoint()) - grab_;
  play_.Drop(*dragged_, corner.x(), corner.y());
  dragged_.reset();
  update();
  emit Changed();
}

}  // namespace klv::gui
