// Tests of what the Qt window adds to the maker's form (whose rules the form's own tests
// check): the controls at their places showing the form's values, the widgets' events
// reaching the form (clicks, keys, typing, drops, the lists, the close box), the preview
// drawn, and a make from the click on MakeIt to the package and the closed windows. Every
// test runs in a folder of its own with its own settings file.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "cp932_edit.h"
#include "dest_scr.h"
#include "file_lists.h"
#include "form/control_table.h"
#include "gui_test_support.h"
#include "message_presenter.h"
#include "source_scr.h"

using klv::Env;
using klv::gui::Cp932LineEdit;
using klv::gui::Cp932TextEdit;
using klv::gui::DirList;
using klv::gui::DriveList;
using klv::gui::FileList;
using klv::gui::MessageKind;
using klv::gui::SourceScr;
using klv::gui::testing::Find;
using klv::gui::testing::FindWindow;
using klv::gui::testing::TypeText;

namespace {

constexpr char kSection[] = "ToolsData";

// What the person saw in one message box, and the state of the disk at that moment.
struct Shown {
  MessageKind kind;
  QString text;
  QStringList destinationFiles;
  QByteArray puzzleIni;
  QByteArray settings;  // the settings file's content
};

class RecordingPresenter : public klv::gui::MessagePresenter {
 public:
  void Show(QWidget* /*parent*/, MessageKind kind, const QString& text) override {
    Shown shown{kind, text, {}, {}, {}};
    QFile settings(settingsPath);
    if (settings.open(QIODevice::ReadOnly)) shown.settings = settings.readAll();
    if (!destination.isEmpty()) {
      shown.destinationFiles = QDir(destination).entryList(QDir::Files, QDir::Name);
      // The make's private work folder, while it is there.
      for (const QString& folder :
           QDir(destination).entryList({".klvmake-*"}, QDir::Dirs | QDir::Hidden, QDir::Name)) {
        QFile ini(destination + "/" + folder + "/Puzzle.ini");
        if (ini.open(QIODevice::ReadOnly)) shown.puzzleIni = ini.readAll();
      }
    }
    messages.push_back(shown);
  }
  klv::gui::Answer Ask(QWidget* /*parent*/, const QString& text,
                       klv::gui::Answer /*default_answer*/) override {
    questions.push_back(text);
    return answer;
  }
  klv::gui::Answer answer = klv::gui::Answer::kNo;  // to every question
  std::vector<QString> questions;
  QString destination;
  QString settingsPath;
  std::vector<Shown> messages;
};

std::string Cp932(const QString& text) { return klv::gui::ToCp932(text); }

// A picture whose every pixel differs from its neighbours, saved as a 24-bit bitmap (a
// PNG when its name ends in ".png").
QImage SavePicture(const QString& path, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x + y) % 256));
  }
  const char* format = path.endsWith(QStringLiteral(".png")) ? "PNG" : "BMP";
  if (!image.save(path, format)) qWarning("cannot save %s", qPrintable(path));
  return image;
}

}  // namespace

class SourceScrTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();

  void ControlsStandAtTheirPlacesWithTheFormsValues();
  void StoredPlacesMoveTheLists();
  void KeysMoveTheSlidersAndTheBoxesFollow();
  void DensityBoxesRefuseWhatIsNoNumberFrom0To100();
  void ClickOnAnOptionsCircleChoosesItsColour();
  void ClickedPictureIsDrawnAtOneToOne();
  void DroppedPictureIsChosenInItsFolder();
  void ChangingTheFolderKeepsThePicture();
  void ExitButtonSavesAndEnds();
  void CloseBoxEndsWithoutSaving();
  void MakeWritesThePackageShowsTheCanvasAndEnds();

 private:
  std::unique_ptr<SourceScr> Open();
  void Store(const char* key, const std::string& value);
  std::string Stored(const char* key);
  bool ClickFile(SourceScr& window, const QString& name);
  QString Dir(const char* name) const { return root_ + "/" + name; }

  std::unique_ptr<QTemporaryDir> temp_;
  QString root_;
  QString settings_;
  RecordingPresenter presenter_;
};

void SourceScrTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  QVERIFY(temp_->isValid());
  root_ = QDir(temp_->path()).canonicalPath();
  for (const char* folder : {"start", "src", "dest"}) QVERIFY(QDir(root_).mkpath(folder));
  QVERIFY(QDir::setCurrent(Dir("start")));
  settings_ = root_ + "/config/KLVMaker/Morvel.ini";
  presenter_ = RecordingPresenter();
  presenter_.settingsPath = settings_;
}

void SourceScrTest::cleanup() {
  QDir::setCurrent(QDir::tempPath());
  temp_.reset();
}

std::unique_ptr<SourceScr> SourceScrTest::Open() {
  auto window = std::make_unique<SourceScr>(Env::Default(), settings_.toStdString(), presenter_);
  window->show();
  if (!QTest::qWaitForWindowExposed(window.get())) qWarning("the window was not shown");
  return window;
}

void SourceScrTest::Store(const char* key, const std::string& value) {
  QVERIFY(QDir().mkpath(QFileInfo(settings_).path()));
  QVERIFY(Env::Default().WriteProfileString(settings_.toStdString(), kSection, key, value).ok());
}

std::string SourceScrTest::Stored(const char* key) {
  return Env::Default().GetProfileString(settings_.toStdString(), kSection, key, "<absent>", 1024);
}

bool SourceScrTest::ClickFile(SourceScr& window, const QString& name) {
  FileList* list = Find<FileList>(window, "File1");
  const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
  if (found.size() != 1) return false;
  list->scrollToItem(found.front());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(found.front()).center());
  return true;
}

void SourceScrTest::ControlsStandAtTheirPlacesWithTheFormsValues() {
  auto window = Open();
  QCOMPARE(window->windowTitle(), QStringLiteral("モーベルパズルメーカー"));
  QCOMPARE(window->size(), QSize(683, 551));
  for (const klv::form::Control& control : klv::form::SourceScrControls()) {
    if (control.kind == klv::form::ControlKind::kWindow) continue;
    const QString name =
        QString::fromLatin1(control.name.data(), static_cast<qsizetype>(control.name.size()));
    const QWidget* widget = control.id == klv::form::ControlId::kOption1
                                ? Find<QRadioButton>(*window, "Option1", control.index)
                                : Find<QWidget>(*window, qPrintable(name));
    QCOMPARE(widget->geometry(),
             QRect(control.place.x, control.place.y, control.place.width, control.place.height));
  }
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleSetName")->text(), QStringLiteral("ﾊﾟｽﾞﾙｾｯﾄ名"));
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleSetName")->ByteLimit(), 10);
  QCOMPARE(Find<Cp932TextEdit>(*window, "Comment")->Text(), QStringLiteral("コメント"));
  QCOMPARE(Find<Cp932TextEdit>(*window, "Comment")->ByteLimit(), 255);
  QCOMPARE(Find<QSlider>(*window, "Slider1")->value(), 70);
  QCOMPARE(Find<QLineEdit>(*window, "Text1")->text(), QStringLiteral("30"));
  QCOMPARE(Find<QLineEdit>(*window, "Text2")->text(), QStringLiteral("15"));
  QVERIFY(Find<QRadioButton>(*window, "Option1", 5)->isChecked());
  QVERIFY(!Find<QPushButton>(*window, "MakeIt")->isEnabled());
  QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QStringLiteral("画像サイズ"));
  const QString start = Dir("start");
  QCOMPARE(Find<DirList>(*window, "Dir1")->Path(), start);
  QCOMPARE(Find<DirList>(*window, "Dir3")->Path(), start);
  QCOMPARE(Find<FileList>(*window, "File1")->Folder(), start);
  const QString drive = klv::gui::DriveOfPath(Find<DriveList>(*window, "Drive1")->Drives(), start);
  QCOMPARE(Find<DriveList>(*window, "Drive1")->Drive(), drive);
  QCOMPARE(Find<DriveList>(*window, "Drive3")->Drive(), drive);
}

// The lists carry out what the form asks: the folder list opens the stored folder, the
// file list and the drive list follow.
void SourceScrTest::StoredPlacesMoveTheLists() {
  QVERIFY(QDir(root_).mkpath(QStringLiteral("写真")));
  const QString photos = root_ + QStringLiteral("/写真");
  SavePicture(photos + "/pic.bmp", 64, 64);
  const QString drive = klv::gui::DriveOfPath(klv::gui::MountedDrives(), photos);
  Store("SrcDir", Cp932(photos));  // its drive follows the folder
  Store("DestDir", Cp932(Dir("dest")));
  auto window = Open();
  QCOMPARE(Find<DirList>(*window, "Dir1")->Path(), photos);
  QCOMPARE(Find<FileList>(*window, "File1")->Folder(), photos);
  QCOMPARE(Find<FileList>(*window, "File1")->FileNames(), QStringList{"pic.bmp"});
  QCOMPARE(Find<DriveList>(*window, "Drive1")->Drive(), drive);
  QCOMPARE(Find<DirList>(*window, "Dir3")->Path(), Dir("dest"));
  QVERIFY(presenter_.messages.empty());
}

void SourceScrTest::KeysMoveTheSlidersAndTheBoxesFollow() {
  auto window = Open();
  QSlider* slider1 = Find<QSlider>(*window, "Slider1");
  QTest::keyClick(slider1, Qt::Key_Home);
  QCOMPARE(Find<QLineEdit>(*window, "Text1")->text(), QStringLiteral("100"));
  QTest::keyClick(Find<QSlider>(*window, "Slider2"), Qt::Key_PageUp);
  QCOMPARE(Find<QLineEdit>(*window, "Text2")->text(), QStringLiteral("5"));
  QCOMPARE(window->Form().SliderValue(klv::form::ControlId::kSlider2), 95);
}

// Typing in a density box: what is no whole number from 0 to 100 does not get in, and a
// number moves the slider.
void SourceScrTest::DensityBoxesRefuseWhatIsNoNumberFrom0To100() {
  auto window = Open();
  auto* box = Find<QLineEdit>(*window, "Text1");
  box->selectAll();
  TypeText(box, "15x0");
  QCOMPARE(box->text(), QStringLiteral("15"));
  QCOMPARE(Find<QSlider>(*window, "Slider1")->value(), 85);
  TypeText(box, "0");  // 150 would pass 100
  QCOMPARE(box->text(), QStringLiteral("15"));
}

void SourceScrTest::ClickOnAnOptionsCircleChoosesItsColour() {
  auto window = Open();
  const QPoint circle(6, Find<QRadioButton>(*window, "Option1", 0)->height() / 2);
  QTest::mouseClick(Find<QRadioButton>(*window, "Option1", 7), Qt::LeftButton, {}, circle);
  QCOMPARE(window->Form().back_color_index(), 15);
  QTest::mouseClick(Find<QRadioButton>(*window, "Option1", 0), Qt::LeftButton, {}, circle);
  QCOMPARE(window->Form().back_color_index(), 0);
  for (int i = 0; i < 8; ++i)
    QCOMPARE(Find<QRadioButton>(*window, "Option1", i)->isChecked(), i == 0);
}

// A click in the file list chooses the picture; the preview draws what the form shows, at
// 1:1, a picture that does not fit no larger than the preview's place.
void SourceScrTest::ClickedPictureIsDrawnAtOneToOne() {
  const QImage fit = SavePicture(Dir("src") + "/fit.bmp", 128, 96);
  SavePicture(Dir("src") + "/huge.bmp", 900, 700);
  Store("SrcDir", Cp932(Dir("src")));
  auto window = Open();
  QVERIFY(ClickFile(*window, "fit.bmp"));
  QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QStringLiteral("ピース数： x = 3 , y = 2"));
  QVERIFY(Find<QPushButton>(*window, "MakeIt")->isEnabled());
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleName")->text(), QStringLiteral("fit"));
  auto* preview = Find<QLabel>(*window, "SrcPic");
  QCOMPARE(preview->size(), QSize(128, 96));
  QCOMPARE(preview->pixmap().toImage().pixel(5, 7), fit.pixel(5, 7));

  QVERIFY(ClickFile(*window, "huge.bmp"));  // the question is answered no
  QCOMPARE(presenter_.questions.size(), size_t{1});
  QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QStringLiteral("画像が大きすぎです"));
  QVERIFY(!Find<QPushButton>(*window, "MakeIt")->isEnabled());
  QCOMPARE(preview->size(), QSize(335, 335));
}

// A picture dropped on the window is chosen as a click in its folder would choose it.
void SourceScrTest::DroppedPictureIsChosenInItsFolder() {
  QVERIFY(QDir(root_).mkpath("photos"));
  SavePicture(Dir("photos") + "/cat.png", 128, 96);
  QFile(Dir("photos") + "/notes.txt").open(QIODevice::WriteOnly);
  auto window = Open();
  const auto drop = [&window](const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &dropped);
    return true;
  };
  QVERIFY(!drop(Dir("photos") + "/notes.txt"));
  QCOMPARE(Find<DirList>(*window, "Dir1")->Path(), Dir("start"));

  QVERIFY(drop(Dir("photos") + "/cat.png"));
  QCOMPARE(Find<DirList>(*window, "Dir1")->Path(), Dir("photos"));
  FileList* files = Find<FileList>(*window, "File1");
  QCOMPARE(files->Folder(), Dir("photos"));
  QCOMPARE(files->FileName(), QStringLiteral("cat.png"));
  QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QStringLiteral("ピース数： x = 3 , y = 2"));
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleName")->text(), QStringLiteral("cat"));
  QCOMPARE(Find<QLabel>(*window, "SrcPic")->size(), QSize(128, 96));
}

void SourceScrTest::ChangingTheFolderKeepsThePicture() {
  SavePicture(Dir("src") + "/fit.bmp", 128, 96);
  Store("SrcDir", Cp932(Dir("src")));
  auto window = Open();
  QVERIFY(ClickFile(*window, "fit.bmp"));

  DirList* dirs = Find<DirList>(*window, "Dir1");
  const QList<QListWidgetItem*> parent =
      dirs->findItems(QFileInfo(root_).fileName(), Qt::MatchExactly);
  QCOMPARE(parent.size(), 1);
  // A double-click: the first press selects, the second opens.
  const QPoint line = dirs->visualItemRect(parent.front()).center();
  QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, line);
  QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, line);
  QCOMPARE(dirs->Path(), root_);
  QCOMPARE(Find<FileList>(*window, "File1")->Folder(), root_);  // the file list followed
  QCOMPARE(Find<FileList>(*window, "File1")->FileNames(), QStringList());
  QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QStringLiteral("ピース数： x = 3 , y = 2"));
  QVERIFY(Find<QPushButton>(*window, "MakeIt")->isEnabled());
  QCOMPARE(Find<QLabel>(*window, "SrcPic")->size(), QSize(128, 96));
}

void SourceScrTest::ExitButtonSavesAndEnds() {
  auto window = Open();
  QSignalSpy ended(window.get(), &SourceScr::Ended);
  QTest::mouseClick(Find<QPushButton>(*window, "Command2"), Qt::LeftButton);
  QCOMPARE(ended.count(), 1);
  QVERIFY(!window->isVisible());
  QCOMPARE(Stored("Slider1"), std::string("70"));
  QCOMPARE(Stored("DestDir"), Dir("start").toStdString());
}

void SourceScrTest::CloseBoxEndsWithoutSaving() {
  auto window = Open();
  QSignalSpy ended(window.get(), &SourceScr::Ended);
  QTest::keyClick(Find<QSlider>(*window, "Slider1"), Qt::Key_End);
  TypeText(Find<Cp932LineEdit>(*window, "PuzzleSetName"), "x");
  QVERIFY(window->close());
  QCOMPARE(ended.count(), 1);
  QVERIFY(!QFile::exists(settings_));
}

void SourceScrTest::MakeWritesThePackageShowsTheCanvasAndEnds() {
  SavePicture(Dir("src") + "/cat.bmp", 128, 96);
  Store("SrcDir", Cp932(Dir("src")));
  Store("DestDir", Cp932(Dir("dest")));
  presenter_.destination = Dir("dest");

  auto window = Open();
  QVERIFY(ClickFile(*window, "cat.bmp"));
  QTest::keyClick(Find<Cp932LineEdit>(*window, "PuzzleSetName"), Qt::Key_A, Qt::ControlModifier);
  TypeText(Find<Cp932LineEdit>(*window, "PuzzleSetName"), QStringLiteral("どうぶつ"));
  QTest::keyClick(Find<Cp932TextEdit>(*window, "Comment"), Qt::Key_A, Qt::ControlModifier);
  TypeText(Find<Cp932TextEdit>(*window, "Comment"), QStringLiteral("A cat"));
  QSignalSpy ended(window.get(), &SourceScr::Ended);

  QTest::mouseClick(Find<QPushButton>(*window, "MakeIt"), Qt::LeftButton);

  QCOMPARE(presenter_.messages.size(), size_t{1});
  QCOMPARE(presenter_.messages[0].kind, MessageKind::kCompletion);
  QCOMPARE(presenter_.messages[0].text, QStringLiteral("コンバートが終了しました"));
  QVERIFY(presenter_.messages[0].puzzleIni.contains(
      "PuzzleSetName=" + QByteArray::fromStdString(Cp932(QStringLiteral("どうぶつ")))));
  QVERIFY(presenter_.messages[0].puzzleIni.contains("LongPuzzleName=A cat"));
  QCOMPARE(QDir(Dir("dest"))
               .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
           QStringList({"cat.klv"}));
  QCOMPARE(ended.count(), 1);
  QVERIFY(!window->isVisible());
  auto* canvas = FindWindow<klv::gui::DestScr>("DestScr");
  QVERIFY(canvas != nullptr);
  QVERIFY(!canvas->isVisible());
  for (int i = 0; i < 6; ++i) {
    const QImage tile = Find<QLabel>(*canvas, "DesPic", i)->pixmap().toImage();
    QCOMPARE(tile.size(), QSize(64, 64));
    // Tile (0, 0)'s top-left cell is a corner: a complete copy of the picture.
    if (i == 0) {
      QCOMPARE(tile.pixel(5, 3), Find<QLabel>(*window, "SrcPic")->pixmap().toImage().pixel(5, 3));
    }
  }
  QVERIFY(Find<QLabel>(*canvas, "DesPic", 6)->pixmap().isNull());
  QCOMPARE(Find<QLabel>(*canvas, "BasePic")->size(), QSize(128, 96));
}

QTEST_MAIN(SourceScrTest)
#include "source_scr_test.moc"
