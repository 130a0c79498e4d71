// Tests of what the package window adds to its form, driven as a person would: the trial
// play dragged with the mouse tile by tile to the complete puzzle, the problems list of a
// damaged package, the message for a file that is no package, and packages opened from
// the maker's file list and by a drop on its window. The rules are the form's, tested there.
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

#include "base/platform.h"
#include "cp932_edit.h"
#include "file_lists.h"
#include "gui_test_support.h"
#include "klvtest/picture_files.h"
#include "message_presenter.h"
#include "package_window.h"
#include "source_scr.h"
#include "trial_play_view.h"

using klv::TrialTile;
using klv::WindowLanguage;
using klv::gui::PackageWindow;
using klv::gui::TrialPlayView;
using klv::gui::testing::Find;
using Bytes = std::vector<uint8_t>;

namespace {

// The ねこ package of a 3 by 2 grid.
Bytes Cat() { return klv::test::TestPackage(3, 2, klv::gui::ToCp932(QStringLiteral("ねこ"))); }

void Save(const QString& path, const Bytes& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

// Drags the topmost loose tile by its square of colour so that it lands `offset` from its
// place, and returns it.
const TrialTile& DragTopTile(TrialPlayView* view, QPoint offset) {
  const TrialTile& tile = view->Play().Tiles()[view->Play().Order().back()];
  const QPoint held(30, 30);  // in the tile's square of colour
  const QPoint from = view->TableOrigin() + QPoint(tile.x, tile.y) + held;
  const QPoint to = view->TableOrigin() + QPoint(tile.HomeX(), tile.HomeY()) + offset + held;
  QTest::mousePress(view, Qt::LeftButton, {}, from);
  QTest::mouseMove(view, (from + to) / 2);
  QTest::mouseRelease(view, Qt::LeftButton, {}, to);
  return tile;
}

// Records the messages instead of showing them.
class RecordedMessages : public klv::gui::MessagePresenter {
 public:
  void Show(QWidget*, klv::gui::MessageKind, const QString& text) override { shown << text; }
  QStringList shown;
};

std::unique_ptr<PackageWindow> Opened(const QString& path, RecordedMessages& messages) {
  return std::unique_ptr<PackageWindow>(klv::gui::OpenPackageWindow(
      path.toStdString(), WindowLanguage::kJapanese, messages, nullptr));
}

}  // namespace

class PackageWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void DraggingEveryTileToItsPlaceCompletesThePuzzle();
  void ProblemsAreListedAndAFileThatIsNoPackageIsAMessage();
  void FileListShowsPackagesAndAClickOrDropOpensThem();

 private:
  std::unique_ptr<QTemporaryDir> temp_;
  QString package_;
};

void PackageWindowTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  package_ = temp_->path() + "/ねこ.klv";
  Save(package_, Cat());
}

void PackageWindowTest::DraggingEveryTileToItsPlaceCompletesThePuzzle() {
  RecordedMessages messages;
  const std::unique_ptr<PackageWindow> window = Opened(package_, messages);
  QVERIFY(window != nullptr);
  QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  QCOMPARE(window->windowTitle(), QStringLiteral("パッケージ - ねこ.klv"));
  QTabBar* tabs = Find<QTabWidget>(*window, "Tabs")->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
  auto* view = Find<TrialPlayView>(*window, "TrialPlay");
  QLabel* counter = Find<QLabel>(*window, "Counter");
  QLabel* complete = Find<QLabel>(*window, "Complete");
  QCOMPARE(counter->text(), QStringLiteral("はめたピース： 0 / 6"));

  for (int placed = 1; placed <= 6; ++placed) {
    QVERIFY(!complete->isVisible());
    const TrialTile& tile = DragTopTile(view, QPoint(3, -2));  // a few pixels off
    QVERIFY(tile.placed);
    QCOMPARE(counter->text(), QStringLiteral("はめたピース： %1 / 6").arg(placed));
  }
  QVERIFY(complete->isVisible());
  QCOMPARE(complete->text(), QStringLiteral("パズルが完成しました"));

  QTest::mouseClick(Find<QPushButton>(*window, "Scatter"), Qt::LeftButton);
  QCOMPARE(counter->text(), QStringLiteral("はめたピース： 0 / 6"));
  QVERIFY(!complete->isVisible());
  QVERIFY(messages.shown.isEmpty());
}

void PackageWindowTest::ProblemsAreListedAndAFileThatIsNoPackageIsAMessage() {
  RecordedMessages messages;
  const Bytes sound = Cat();
  const QString damaged = temp_->path() + "/damaged.klv";
  Save(damaged, Bytes(sound.begin(), sound.end() - 100));
  for (const QString& path : {package_, damaged}) {
    const std::unique_ptr<PackageWindow> window = Opened(path, messages);
    QVERIFY(window != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* problems = Find<QListWidget>(*window, "Problems");
    QCOMPARE(problems->isVisible(), path == damaged);
    QCOMPARE(problems->count(), static_cast<int>(window->Form().contents().problems.size()));
    QCOMPARE(Find<QLabel>(*window, "PuzzleName")->text(), QStringLiteral("ねこ"));
  }
  QVERIFY(messages.shown.isEmpty());

  const QString notes = temp_->path() + "/notes.klv";
  Save(notes, {'n', 'o', 't', 'e', 's'});
  QVERIFY(Opened(notes, messages) == nullptr);
  QCOMPARE(messages.shown, QStringList({"パズルファイルを開けません\n" + notes +
                                        ": パズルファイルではありません"}));
}

void PackageWindowTest::FileListShowsPackagesAndAClickOrDropOpensThem() {
  const QString folder = temp_->path();
  for (const char* name : {"a.bmp", "c.txt", "d.klv.txt"}) Save(folder + "/" + name, {});
  RecordedMessages presenter;
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
  QVERIFY(presenter.shown.isEmpty());
}

QTEST_MAIN(PackageWindowTest)
#include "package_window_test.moc"
