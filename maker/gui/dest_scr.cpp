// The work canvas window: the surfaces as labels at the form's places.
#include "dest_scr.h"

#include <QLabel>
#include <QPixmap>
#include <cstring>
#include <string_view>

#include "language/ui_text.h"
#include "maker/grid.h"

namespace klv::gui {
namespace {

QRect Place(form::Rect place) { return {place.x, place.y, place.width, place.height}; }

QLabel* MakeSurface(QWidget* parent, const char* name, QRect geometry) {
  auto* surface = new QLabel(parent);
  surface->setObjectName(QString::fromLatin1(name));
  surface->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  surface->setAutoFillBackground(true);
  QPalette palette = surface->palette();
  palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  surface->setPalette(palette);
  surface->setGeometry(geometry);
  return surface;
}

}  // namespace

QImage RasterToImage(const Raster& raster) {
  if (raster.width <= 0 || raster.height <= 0 ||
      raster.pixels.size() != raster.Index(0, raster.height)) {
    return QImage();
  }
  QImage image(raster.width, raster.height, QImage::Format_RGB32);
  for (int y = 0; y < raster.height; ++y) {
    auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
    const uint32_t* row = raster.pixels.data() + raster.Index(0, y);
    for (int x = 0; x < raster.width; ++x) line[x] = 0xFF000000u | (row[x] & 0xFFFFFFu);
  }
  return image;
}

DestScr::DestScr(WindowLanguage language, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("DestScr"));
  const std::string_view caption = Translate(language, form::kDestScrCaption);
  setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  setFixedSize(kClientWidth, kClientHeight);
  for (int i = 0; i < kTileSurfaceCount; ++i) {
    QLabel* tile = MakeSurface(this, "DesPic", Place(form::DesPicPlace(i)));
    tile->setProperty("index", i);
    des_pic_[static_cast<size_t>(i)] = tile;
  }
  base_pic_ = MakeSurface(this, "BasePic", Place(form::BasePicPlace()));
}

void DestScr::ShowTile(int index, const QImage& image) {
  if (index < 0 || index >= kTileSurfaceCount) return;
  des_pic_[static_cast<size_t>(index)]->setPixmap(
      QPixmap::fromImage(image.copy(0, 0, kTileSize, kTileSize)));
}

void DestScr::ShowBase(const QImage& image) {
  base_pic_->resize(image.size());
  base_pic_->setPixmap(QPixmap::fromImage(image));
}

void DestScr::ShowCanvas(const WorkCanvas& canvas) {
  const int count = std::min<int>(static_cast<int>(canvas.tiles.size()), kTileSurfaceCount);
  for (int i = 0; i < count; ++i) ShowTile(i, RasterToImage(canvas.tiles[static_cast<size_t>(i)]));
  ShowBase(RasterToImage(canvas.base));
}

}  // namespace klv::gui
