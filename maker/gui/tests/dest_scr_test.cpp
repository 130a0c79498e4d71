// Tests of the work canvas window: its 115 tile surfaces and base surface, and that a
// shown canvas carries the core's pixels unchanged.
#include <QLabel>
#include <QtTest>

#include "dest_scr.h"
#include "gui_test_support.h"
#include "maker/grid.h"

using klv::Raster;
using klv::gui::DestScr;
using klv::gui::RasterToImage;
using klv::gui::testing::Find;

class DestScrTest : public QObject {
  Q_OBJECT
 private slots:
  void RasterPixelsKeepTheirChannels_data();
  void RasterPixelsKeepTheirChannels();
  void MalformedRasterGivesNoImage();
  void SurfacesAreSeparateAndInsideTheWindow();
  void ShownCanvasFillsItsTilesAndSizesTheBase();
};

void DestScrTest::RasterPixelsKeepTheirChannels_data() {
  QTest::addColumn<uint32_t>("pixel");
  QTest::addColumn<int>("red");
  QTest::addColumn<int>("green");
  QTest::addColumn<int>("blue");
  QTest::newRow("black") << 0x000000u << 0 << 0 << 0;
  QTest::newRow("red") << 0xFF0000u << 255 << 0 << 0;
  QTest::newRow("green") << 0x00FF00u << 0 << 255 << 0;
  QTest::newRow("blue") << 0x0000FFu << 0 << 0 << 255;
  QTest::newRow("mixed") << 0x123456u << 0x12 << 0x34 << 0x56;
  QTest::newRow("stray high byte ignored") << 0xAB808080u << 0x80 << 0x80 << 0x80;
}

void DestScrTest::RasterPixelsKeepTheirChannels() {
  QFETCH(uint32_t, pixel);
  QFETCH(int, red);
  QFETCH(int, green);
  QFETCH(int, blue);
  Raster raster = Raster::Filled(3, 2, 0xFFFFFF);
  raster.Set(2, 1, pixel);
  const QImage image = RasterToImage(raster);
  QCOMPARE(image.size(), QSize(3, 2));
  QCOMPARE(image.pixel(2, 1), qRgb(red, green, blue));
  QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
}

void DestScrTest::MalformedRasterGivesNoImage() {
  Raster short_pixels;
  short_pixels.width = 4;
  short_pixels.height = 4;
  short_pixels.pixels.assign(15, 0);
  QVERIFY(RasterToImage(short_pixels).isNull());
  QVERIFY(RasterToImage(Raster()).isNull());
}

void DestScrTest::SurfacesAreSeparateAndInsideTheWindow() {
  DestScr canvas;
  QCOMPARE(canvas.windowTitle(), QStringLiteral("ピーステーブル"));
  QCOMPARE(canvas.size(), QSize(DestScr::kClientWidth, DestScr::kClientHeight));
  const QRect client(0, 0, DestScr::kClientWidth, DestScr::kClientHeight);

  QList<QRect> taken;
  // The base surface must have room for the largest picture a make takes (335 x 335).
  const QRect base_room(Find<QLabel>(canvas, "BasePic")->pos(), QSize(335, 335));
  QCOMPARE(Find<QLabel>(canvas, "BasePic")->size(), QSize(288, 288));
  QVERIFY(client.contains(base_room));
  taken << base_room;
  for (int i = 0; i < klv::kTileSurfaceCount; ++i) {
    const QRect tile = Find<QLabel>(canvas, "DesPic", i)->geometry();
    QCOMPARE(tile.size(), QSize(klv::kTileSize, klv::kTileSize));
    QVERIFY2(client.contains(tile), qPrintable(QString::number(i)));
    for (const QRect& other : taken)
      QVERIFY2(!tile.intersects(other), qPrintable(QString::number(i)));
    taken << tile;
  }
}

void DestScrTest::ShownCanvasFillsItsTilesAndSizesTheBase() {
  klv::WorkCanvas work;
  for (uint32_t i = 0; i < 6; ++i) work.tiles.push_back(Raster::Filled(64, 64, 0x101010u * i));
  work.tiles[3].Set(63, 0, 0xFF00FF);
  work.base = Raster::Filled(128, 96, 0xFFFFFF);
  work.base.Set(127, 95, 0x00FF00);

  DestScr canvas;
  canvas.ShowCanvas(work);
  for (int i = 0; i < 6; ++i) {
    const QImage shown = Find<QLabel>(canvas, "DesPic", i)->pixmap().toImage();
    QCOMPARE(shown.size(), QSize(64, 64));
    QCOMPARE(shown.pixel(10, 10) & 0xFFFFFFu, 0x101010u * static_cast<uint32_t>(i));
  }
  QCOMPARE(Find<QLabel>(canvas, "DesPic", 3)->pixmap().toImage().pixel(63, 0) & 0xFFFFFFu,
           0xFF00FFu);
  QVERIFY(Find<QLabel>(canvas, "DesPic", 6)
              ->pixmap()
              .isNull());  // surfaces beyond the grid stay untouched
  QCOMPARE(Find<QLabel>(canvas, "BasePic")->size(), QSize(128, 96));
  QCOMPARE(Find<QLabel>(canvas, "BasePic")->pixmap().toImage().pixel(127, 95) & 0xFFFFFFu,
           0x00FF00u);
}

QTEST_MAIN(DestScrTest)
#include "dest_scr_test.moc"
