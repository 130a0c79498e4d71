// Tests of the package window, driven as a person would: the trial play dragged tile by
// tile to the complete puzzle, damaged packages opening with their problems, and packages
// opened from the maker's file list and by a drop on its window.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

#include "base/package_format.h"
#include "base/platform.h"
#include "cp932_edit.h"
#include "file_lists.h"
#include "gui_test_support.h"
#include "maker/bitmap_codec.h"
#include "message_presenter.h"
#include "package_window.h"
#include "source_scr.h"
#include "trial_play_view.h"

using klv::TrialTile;
using klv::gui::PackageWindow;
using klv::gui::TrialPlayView;
using klv::gui::testing::Find;
using Bytes = std::vector<uint8_t>;

namespace {

void PutChunk(Bytes& file, const char* id, const Bytes& data) {
  file.insert(file.end(), id, id + 4);
  for (int shift = 0; shift < 32; shift += 8) file.push_back(uint8_t(data.size() >> shift));
  file.insert(file.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) file.push_back(0);
}

// A sound package "ねこ" of a 3 by 2 grid: magenta tiles, each with an 8 x 8 square of its
// own colour at a place of its own.
Bytes MakePackage() {
  klv::PackageHeader header = klv::NewPackageHeader(3, 2);
  header.backColor = {0xFF, 0x00, 0xFF};
  header.PuzzleName = klv::gui::ToCp932(QStringLiteral("ねこ"));
  const klv::PackageHeaderBytes record = klv::EncodePackageHeader(header);
  Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'D', 'A', 'T', 'A'};
  PutChunk(file, "KLVZ", Bytes(record.begin(), record.end()));
  PutChunk(file, "KLVB", klv::EncodeBitmap24(klv::Raster::Filled(128, 96, 0xFFFFFF)));
  for (int i = 0; i < 6; ++i) {
    klv::Raster tile = klv::Raster::Filled(64, 64, 0xFF00FF);
    for (int v = 0; v < 8; ++v) {
      for (int u = 0; u < 8; ++u) tile.Set(8 * i + u, 40 - 4 * i + v, 0x102030u * (i + 1));
    }
    PutChunk(file, "KLVP", klv::EncodeBitmap24(tile));
  }
  for (int i = 0; i < 4; ++i) file[4 + i] = uint8_t((file.size() - 8) >> (8 * i));
  return file;
}

void Save(const QString& path, const Bytes& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

// Drags the topmost loose tile (which a person can always take by its colour) so that
// it lands `offset` from its place, and returns it.
const TrialTile& DragTopTile(TrialPlayView* view, QPoint offset) {
  const TrialTile& tile = view->Play().Tiles()[view->Play().Order().back()];
  const auto i = static_cast<int>(tile.index);
  const QPoint held(8 * i + 1, 40 - 4 * i + 1);  // in the tile's square of colour
  const QPoint from = view->TableOrigin() + QPoint(tile.x, tile.y) + held;
  const QPoint to = view->TableOrigin() + QPoint(tile.HomeX(), tile.HomeY()) + offset + held;
  QTest::mousePress(view, Qt::LeftButton, {}, from);
  QTest::mouseMove(view, (from + to) / 2);
  QTest::mouseRelease(view, Qt::LeftButton, {}, to);
  return tile;
}

class NoMessages : public klv::gui::MessagePresenter {
  void Show(QWidget*, klv::gui::MessageKind, const QString& text) override {
    QFAIL(qPrintable(text));
  }
};

}  // namespace

class PackageWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void DraggingEveryTileToItsPlaceCompletesThePuzzle();
  void DamagedPackagesOpenWithTheirProblems_data();
  void DamagedPackagesOpenWithTheirProblems();
  void FileListShowsPackagesAndAClickOrDropOpensThem();

 private:
  std::unique_ptr<QTemporaryDir> temp_;
  QString package_;
};

void PackageWindowTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  package_ = temp_->path() + "/ねこ.klv";
  Save(package_, MakePackage());
}

void PackageWindowTest::DraggingEveryTileToItsPlaceCompletesThePuzzle() {
  PackageWindow window(package_);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTabBar* tabs = Find<QTabWidget>(window, "Tabs")->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
  auto* view = Find<TrialPlayView>(window, "TrialPlay");
  QLabel* counter = Find<QLabel>(window, "Counter");
  QLabel* complete = Find<QLabel>(window, "Complete");
  QCOMPARE(counter->text(), QStringLiteral("はめたピース： 0 / 6"));

  // A drop far from its place does not snap: the tile stays where it was dropped.
  const TrialTile& missed = DragTopTile(view, QPoint(40, 20));
  QVERIFY(!missed.placed);
  QCOMPARE(QPoint(missed.x, missed.y), QPoint(missed.HomeX() + 40, missed.HomeY() + 20));
  QCOMPARE(counter->text(), QStringLiteral("はめたピース： 0 / 6"));

  for (int placed = 1; placed <= 6; ++placed) {
    QVERIFY(!complete->isVisible());
    const TrialTile& tile = DragTopTile(view, QPoint(3, -2));  // a few pixels off
    QVERIFY(tile.placed);
    QCOMPARE(QPoint(tile.x, tile.y), QPoint(tile.HomeX(), tile.HomeY()));
    QCOMPARE(counter->text(), QStringLiteral("はめたピース： %1 / 6").arg(placed));
  }
  QVERIFY(complete->isVisible());
  QCOMPARE(complete->text(), QStringLiteral("パズルが完成しました"));

  QTest::mouseClick(Find<QPushButton>(window, "Scatter"), Qt::LeftButton);
  QCOMPARE(counter->text(), QStringLiteral("はめたピース： 0 / 6"));
  QVERIFY(!complete->isVisible());
}

void PackageWindowTest::DamagedPackagesOpenWithTheirProblems_data() {
  QTest::addColumn<int>("cut");          // bytes cut off the end; -1: no file at all
  QTest::addColumn<int>("corrupt");      // a byte set to 'X'; -1 for none
  QTest::addColumn<QString>("problem");  // found in a problem line; empty: sound
  QTest::addColumn<int>("tiles");        // in the trial play
  QTest::newRow("sound") << 0 << -1 << "" << 6;
  QTest::newRow("last tile cut short") << 100 << -1 << "KLVP 5" << 5;
  QTest::newRow("wrong form type") << 0 << 8 << "RIFF" << 6;
  QTest::newRow("no file") << -1 << -1 << "cannot be opened" << 0;
}

void PackageWindowTest::DamagedPackagesOpenWithTheirProblems() {
  QFETCH(int, cut);
  QFETCH(int, corrupt);
  QFETCH(QString, problem);
  QFETCH(int, tiles);
  Bytes bytes = MakePackage();
  bytes.resize(bytes.size() - static_cast<size_t>(std::max(cut, 0)));
  if (corrupt >= 0) bytes[static_cast<size_t>(corrupt)] = 'X';
  const QString path = temp_->path() + "/damaged.klv";
  if (cut >= 0) Save(path, bytes);

  PackageWindow window(path);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  auto* problems = Find<QListWidget>(window, "Problems");
  const QString heading = Find<QLabel>(window, "ProblemsHeading")->text();
  QCOMPARE(problems->isVisible(), !problem.isEmpty());
  if (problem.isEmpty()) {
    QCOMPARE(heading, QStringLiteral("問題はありません"));
  } else {
    QCOMPARE(heading, QStringLiteral("問題が %1 件あります").arg(problems->count()));
    QVERIFY2(!problems->findItems(problem, Qt::MatchContains).isEmpty(),
             qPrintable(problems->item(0)->text()));
  }
  // Whatever could be read is shown.
  if (tiles > 0) QCOMPARE(Find<QLabel>(window, "PuzzleName")->text(), QStringLiteral("ねこ"));
  QCOMPARE(Find<TrialPlayView>(window, "TrialPlay")->Play().TileCount(), tiles);
}

void PackageWindowTest::FileListShowsPackagesAndAClickOrDropOpensThem() {
  const QString folder = temp_->path();
  for (const char* name : {"a.bmp", "c.txt", "d.klv.txt"}) Save(folder + "/" + name, {});
  NoMessages presenter;
  klv::gui::SourceScr window(klv::Env::Default(), (folder + "/Morvel.ini").toStdString(),
                             presenter);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  Find<klv::gui::DirList>(window, "Dir1")->SetPath(folder);
  auto* files = Find<klv::gui::FileList>(window, "File1");
  QCOMPARE(files->FileNames(), QStringList({"a.bmp", "ねこ.klv"}));
  const QString name_before = Find<QLineEdit>(window, "PuzzleName")->text();

  QListWidgetItem* item = files->findItems("ねこ.klv", Qt::MatchExactly).front();
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(item).center());
  QList<PackageWindow*> opened = window.findChildren<PackageWindow*>();
  QCOMPARE(opened.size(), 1);
  QVERIFY(opened.front()->isVisible());
  QCOMPARE(Find<QLabel>(*opened.front(), "PuzzleName")->text(), QStringLiteral("ねこ"));
  // The maker's picture and texts stay as they were.
  QCOMPARE(Find<QLineEdit>(window, "PuzzleName")->text(), name_before);
  QVERIFY(!Find<QPushButton>(window, "MakeIt")->isEnabled());

  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(package_)});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, {});
  QApplication::sendEvent(&window, &drop);
  opened = window.findChildren<PackageWindow*>();
  QCOMPARE(opened.size(), 2);
  QCOMPARE(opened.back()->Path(), package_);
}

QTEST_MAIN(PackageWindowTest)
#include "package_window_test.moc"
