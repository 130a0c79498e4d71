// Tests of the maker's main window, driven as a person would: the first run, the restored
// settings, the sliders, the colour options, the picture click, the exit button, the close
// box and the make from the click on MakeIt to the package, with failures on the way.
// Every test runs in a folder of its own with its own settings file.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
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
#include "gui_test_support.h"
#include "maker/source_picture.h"
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
const char* const kSettingsKeys[] = {"PuzzleName", "PuzzleSetName", "LongPuzzleName",
                                     "SrcDrive",   "SrcDir",        "DestDrive",
                                     "DestDir",    "Slider1",       "Slider2"};

// What the person saw in one message box, and the state of the disk at that moment.
struct Shown {
  MessageKind kind;
  QString text;
  QStringList workFolderFiles;
  QByteArray puzzleIni;
  QByteArray settings;  // the settings file's content
};

class RecordingPresenter : public klv::gui::MessagePresenter {
 public:
  void Show(QWidget* /*parent*/, MessageKind kind, const QString& text) override {
    Shown shown{kind, text, {}, {}, {}};
    QFile settings(settingsPath);
    if (settings.open(QIODevice::ReadOnly)) shown.settings = settings.readAll();
    if (!workFolder.isEmpty()) {
      shown.workFolderFiles = QDir(workFolder).entryList(QDir::Files, QDir::Name);
      // The make's private work folder, while it is there.
      for (const QString& folder :
           QDir(workFolder).entryList({".klvmake-*"}, QDir::Dirs | QDir::Hidden, QDir::Name)) {
        QFile ini(workFolder + "/" + folder + "/Puzzle.ini");
        if (ini.open(QIODevice::ReadOnly)) shown.puzzleIni = ini.readAll();
      }
    }
    messages.push_back(shown);
  }
  bool Ask(QWidget* /*parent*/, const QString& text) override {
    questions.push_back(text);
    return answer;
  }
  bool answer = false;  // to every question
  std::vector<QString> questions;
  QString workFolder;
  QString settingsPath;
  std::vector<Shown> messages;
};

// A FileConv that returns a fixed result (or stands for a library that is not found).
class FakeConverter : public klv::PackageConverter {
 public:
  FakeConverter(std::optional<int16_t> result, std::vector<std::string>* calls)
      : result_(result), calls_(calls) {}
  std::optional<int16_t> Convert(const std::string& folder, std::string* cause) override {
    calls_->push_back(folder);
    if (!result_ && cause != nullptr) *cause = "KLVUtils: the library was not found";
    return result_;
  }

 private:
  std::optional<int16_t> result_;
  std::vector<std::string>* calls_;
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

  void FirstRunShowsTheDefaults();
  void StoredSettingsAreRestored_data();
  void StoredSettingsAreRestored();
  void StoredTextsAndSlidersAreRestored();
  void SlidersDriveTheirBoxes_data();
  void SlidersDriveTheirBoxes();
  void ColourOptionsStoreTheirPaletteIndex_data();
  void ColourOptionsStoreTheirPaletteIndex();
  void PictureClicksSetGridStatusAndName();
  void LargePictureIsFittedWhenTheQuestionIsAnsweredYes();
  void DroppedPictureIsChosenInItsFolder();
  void UnreadablePictureChangesNothing();
  void ChangingTheFolderKeepsThePicture();
  void ExitButtonWritesTheNineKeys();
  void CloseBoxWritesNothing_data();
  void CloseBoxWritesNothing();
  void MakeWritesThePackageAndEnds();
  void FailedMakeIsReportedAndEnds_data();
  void FailedMakeIsReportedAndEnds();
  void NameThatCannotNameThePackageIsRefused_data();
  void NameThatCannotNameThePackageIsRefused();

 private:
  std::unique_ptr<SourceScr> Open(std::unique_ptr<klv::PackageConverter> converter = nullptr);
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

std::unique_ptr<SourceScr> SourceScrTest::Open(std::unique_ptr<klv::PackageConverter> converter) {
  auto window = std::make_unique<SourceScr>(Env::Default(), settings_.toStdString(), presenter_,
                                            std::move(converter));
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

void SourceScrTest::FirstRunShowsTheDefaults() {
  auto window = Open();
  QCOMPARE(window->windowTitle(), QStringLiteral("モーベルパズルメーカー"));
  QCOMPARE(window->size(), QSize(683, 551));
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleSetName")->text(), QStringLiteral("ﾊﾟｽﾞﾙｾｯﾄ名"));
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleName")->text(), QStringLiteral("ﾊﾟｽﾞﾙ名"));
  QCOMPARE(Find<Cp932TextEdit>(*window, "Comment")->Text(), QStringLiteral("コメント"));
  QCOMPARE(Find<QSlider>(*window, "Slider1")->value(), 70);
  QCOMPARE(Find<QSlider>(*window, "Slider2")->value(), 85);
  QCOMPARE(Find<QLineEdit>(*window, "Text1")->text(), QStringLiteral("30"));
  QCOMPARE(Find<QLineEdit>(*window, "Text2")->text(), QStringLiteral("15"));
  QVERIFY(Find<QRadioButton>(*window, "Option1", 5)->isChecked());
  QCOMPARE(window->backColorIndex(), 13);
  QVERIFY(!Find<QPushButton>(*window, "MakeIt")->isEnabled());
  QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QStringLiteral("画像サイズ"));
  QCOMPARE(window->xMax(), 0);
  QCOMPARE(window->yMax(), 0);

  const QString start = Dir("start");
  QCOMPARE(Find<DirList>(*window, "Dir1")->Path(), start);
  QCOMPARE(Find<DirList>(*window, "Dir3")->Path(), start);
  QCOMPARE(Find<FileList>(*window, "File1")->Folder(), start);
  const QString drive = klv::gui::DriveOfPath(Find<DriveList>(*window, "Drive1")->Drives(), start);
  QCOMPARE(Find<DriveList>(*window, "Drive1")->Drive(), drive);
  QCOMPARE(Find<DriveList>(*window, "Drive3")->Drive(), drive);

  QVERIFY2(QRegularExpression("^[0-9]{2,7}$")
               .match(QString::fromStdString(window->puzzlePassWord()))
               .hasMatch(),
           window->puzzlePassWord().c_str());
  QVERIFY(!QFile::exists(settings_));  // starting reads, it does not write
}

void SourceScrTest::StoredSettingsAreRestored_data() {
  QTest::addColumn<QString>("folder");  // below the test's root; empty stores ""
  QTest::addColumn<bool>("exists");
  QTest::addColumn<QString>("drive");  // stored drive; "<start>" is the start drive
  QTest::newRow("folder, empty drive") << "src" << true << "";
  QTest::newRow("folder and its drive") << "src" << true << "<start>";
  QTest::newRow("folder that has gone") << "gone" << false << "";
  QTest::newRow("drive that has gone") << "src" << true << "/no/such/drive";
  QTest::newRow("nothing stored") << "" << false << "";
  QTest::newRow("japanese folder") << QStringLiteral("写真") << true << "";
  QTest::newRow("folder outside code page 932") << QStringLiteral("caf\u00e9") << true << "";
}

void SourceScrTest::StoredSettingsAreRestored() {
  QFETCH(QString, folder);
  QFETCH(bool, exists);
  QFETCH(QString, drive);
  const QString path = folder.isEmpty() ? QString() : root_ + "/" + folder;
  if (exists) {
    QVERIFY(QDir().mkpath(path));
    SavePicture(path + "/pic.bmp", 64, 64);
  }
  const QString start_drive = klv::gui::DriveOfPath(klv::gui::MountedDrives(), Dir("start"));
  if (drive == "<start>") drive = start_drive;
  // Folders are stored in code page 932 where it holds them, otherwise as UTF-8.
  const std::optional<std::string> cp932 = klv::Utf8ToCp932(path.toStdString());
  const std::string stored = cp932 ? *cp932 : path.toStdString();
  for (const char* key : {"SrcDrive", "DestDrive"}) Store(key, Cp932(drive));
  for (const char* key : {"SrcDir", "DestDir"}) Store(key, stored);

  auto window = Open();
  const QString expected = exists ? path : Dir("start");
  QCOMPARE(Find<DirList>(*window, "Dir1")->Path(), expected);
  QCOMPARE(Find<DirList>(*window, "Dir3")->Path(), expected);
  QCOMPARE(Find<FileList>(*window, "File1")->Folder(), expected);
  QCOMPARE(Find<FileList>(*window, "File1")->FileNames(),
           exists ? QStringList{"pic.bmp"} : QStringList());
  QCOMPARE(Find<DriveList>(*window, "Drive1")->Drive(), start_drive);
  QCOMPARE(Find<DriveList>(*window, "Drive3")->Drive(), start_drive);
  QVERIFY(presenter_.messages.empty());  // start-up passes over what it cannot apply

  // What was restored is what is saved again, byte for byte.
  Find<QPushButton>(*window, "Command2")->click();
  if (exists) {
    QCOMPARE(Stored("SrcDir"), stored);
    QCOMPARE(Stored("DestDir"), stored);
  }
}

void SourceScrTest::StoredTextsAndSlidersAreRestored() {
  Store("PuzzleSetName", "Animals");
  Store("PuzzleName", Cp932(QStringLiteral("ネコのパズル")));
  Store("LongPuzzleName", std::string(300, 'c'));
  Store("Slider1", "20");
  Store("Slider2", "150");

  auto window = Open();
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleSetName")->text(), QStringLiteral("Animals"));
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleName")->text(), QStringLiteral("ネコのパズル"));
  QCOMPARE(Find<Cp932TextEdit>(*window, "Comment")->Text(), QString(255, 'c'));  // cut to 255 bytes
  QCOMPARE(Find<QSlider>(*window, "Slider1")->value(), 20);
  QCOMPARE(Find<QLineEdit>(*window, "Text1")->text(), QStringLiteral("80"));
  QCOMPARE(Find<QSlider>(*window, "Slider2")->value(), 100);  // kept within 0 to 100
  QCOMPARE(Find<QLineEdit>(*window, "Text2")->text(), QStringLiteral("0"));
}

void SourceScrTest::SlidersDriveTheirBoxes_data() {
  QTest::addColumn<int>("slider");
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("value");
  QTest::addColumn<QString>("text");
  QTest::newRow("Slider1 to 0") << 1 << int(Qt::Key_Home) << 0 << "100";
  QTest::newRow("Slider1 to 100") << 1 << int(Qt::Key_End) << 100 << "0";
  QTest::newRow("Slider1 one step") << 1 << int(Qt::Key_Right) << 71 << "29";
  QTest::newRow("Slider2 one step back") << 2 << int(Qt::Key_Left) << 84 << "16";
  QTest::newRow("Slider2 one page") << 2 << int(Qt::Key_PageUp) << 95 << "5";
}

void SourceScrTest::SlidersDriveTheirBoxes() {
  QFETCH(int, slider);
  QFETCH(int, key);
  QFETCH(int, value);
  QFETCH(QString, text);
  auto window = Open();
  QSlider* moved =
      slider == 1 ? Find<QSlider>(*window, "Slider1") : Find<QSlider>(*window, "Slider2");
  QLineEdit* box =
      slider == 1 ? Find<QLineEdit>(*window, "Text1") : Find<QLineEdit>(*window, "Text2");
  QLineEdit* other =
      slider == 1 ? Find<QLineEdit>(*window, "Text2") : Find<QLineEdit>(*window, "Text1");
  const QString other_text = other->text();
  QTest::keyClick(moved, static_cast<Qt::Key>(key));
  QCOMPARE(moved->value(), value);
  QCOMPARE(box->text(), text);
  QCOMPARE(other->text(), other_text);

  // The sliders are stored as their own values, not as the numbers in the boxes.
  QTest::mouseClick(Find<QPushButton>(*window, "Command2"), Qt::LeftButton);
  QCOMPARE(Stored(slider == 1 ? "Slider1" : "Slider2"), std::to_string(value));
}

void SourceScrTest::ColourOptionsStoreTheirPaletteIndex_data() {
  QTest::addColumn<int>("option");
  QTest::addColumn<int>("palette");
  const int palette[] = {0, 9, 10, 11, 12, 13, 14, 15};
  for (int i = 0; i < 8; ++i) {
    QTest::newRow(qPrintable(QStringLiteral("option %1").arg(i))) << i << palette[i];
  }
}

void SourceScrTest::ColourOptionsStoreTheirPaletteIndex() {
  QFETCH(int, option);
  QFETCH(int, palette);
  auto window = Open();
  // Start from another option, so that every click is a change.
  const int other = option == 0 ? 7 : 0;
  // A person clicks on the button's circle.
  const QPoint circle(6, Find<QRadioButton>(*window, "Option1", 0)->height() / 2);
  QTest::mouseClick(Find<QRadioButton>(*window, "Option1", other), Qt::LeftButton, {}, circle);
  QTest::mouseClick(Find<QRadioButton>(*window, "Option1", option), Qt::LeftButton, {}, circle);
  QCOMPARE(window->backColorIndex(), palette);
  for (int i = 0; i < 8; ++i)
    QCOMPARE(Find<QRadioButton>(*window, "Option1", i)->isChecked(), i == option);
}

void SourceScrTest::PictureClicksSetGridStatusAndName() {
  const struct {
    const char16_t* file;
    QSize size;
    const char16_t* status;
    bool makeIt;
    const char16_t* name;
    int xMax, yMax;
    bool shaded;  // the bottom-right corner lies beyond the tiles' area
  } clicks[] = {
      {u"fit.bmp", {128, 96}, u"ピース数： x = 3 , y = 2", true, u"fit", 3, 2, false},
      // Not fitted (the question is answered no): shown as it is.
      {u"wide.bmp", {336, 100}, u"画像が大きすぎです", false, u"wide", 10, 2, true},
      {u"abc.def.bmp", {320, 320}, u"ピース数： x = 9 , y = 9", true, u"abc", 9, 9, false},
      {u"tall.bmp", {100, 400}, u"画像が大きすぎです", false, u"tall", 2, 12, true},
      {u"abcdefghijklmnopqrst.bmp",
       {304, 305},
       u"ピース数： x = 8 , y = 9",
       true,
       u"abcdefghijklmno",
       8,
       9,
       true},
      // Fifteen full-width characters are 30 bytes: the box does not cut them.
      {u"あいうえおかきくけこさしすせそた.bmp",
       {40, 100},
       u"画像が小さすぎです",
       false,
       u"あいうえおかきくけこさしすせそ",
       0,
       2,
       true},
      {u"small.BMP", {15, 15}, u"画像が小さすぎです", false, u"small", -1, -1, true},
      {u".bmp", {64, 64}, u"ピース数： x = 1 , y = 1", true, u"", 1, 1, false},
  };
  std::vector<QImage> pictures;
  for (const auto& click : clicks) {
    pictures.push_back(SavePicture(Dir("src") + "/" + QString::fromUtf16(click.file),
                                   click.size.width(), click.size.height()));
  }
  Store("SrcDir", Cp932(Dir("src")));
  auto window = Open();

  for (size_t i = 0; i < std::size(clicks); ++i) {
    const auto& click = clicks[i];
    const QString file = QString::fromUtf16(click.file);
    QVERIFY2(ClickFile(*window, file), qPrintable(file));
    QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QString::fromUtf16(click.status));
    QCOMPARE(Find<QPushButton>(*window, "MakeIt")->isEnabled(), click.makeIt);
    QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleName")->text(), QString::fromUtf16(click.name));
    QCOMPARE(window->xMax(), click.xMax);
    QCOMPARE(window->yMax(), click.yMax);
    // The preview is the picture at 1:1, shaded where no tile takes it.
    QCOMPARE(Find<QLabel>(*window, "SrcPic")->size(), click.size);
    const QImage preview = Find<QLabel>(*window, "SrcPic")->pixmap().toImage();
    const QPoint corner(click.size.width() - 1, click.size.height() - 1);
    QCOMPARE(preview.pixel(corner) != pictures[i].pixel(corner), click.shaded);
    if (click.xMax >= 0 && click.yMax >= 0) {
      QCOMPARE(preview.pixel(0, 0), pictures[i].pixel(0, 0));
    }
  }
  QVERIFY(presenter_.messages.empty());
  QCOMPARE(presenter_.questions.size(), size_t{2});  // wide.bmp and tall.bmp
  QVERIFY2(presenter_.questions[1].startsWith(QStringLiteral("画像が大きすぎです (100 x 400)")),
           qPrintable(presenter_.questions[1]));
}

// Yes to the question fits the picture as klvmake --fit does; the preview is exactly the
// make's source.
void SourceScrTest::LargePictureIsFittedWhenTheQuestionIsAnsweredYes() {
  SavePicture(Dir("src") + "/photo.png", 640, 480);
  Store("SrcDir", Cp932(Dir("src")));
  auto window = Open();
  presenter_.answer = true;
  QVERIFY(ClickFile(*window, "photo.png"));
  QCOMPARE(presenter_.questions.size(), size_t{1});
  QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QStringLiteral("ピース数： x = 9 , y = 7"));
  QVERIFY(Find<QPushButton>(*window, "MakeIt")->isEnabled());
  QCOMPARE(Find<QLabel>(*window, "SrcPic")->size(), QSize(320, 256));
  klv::SourceOptions fit;
  fit.fit = true;
  const std::optional<klv::Raster> made = klv::ReadSourcePicture(
      Env::Default(), (Dir("src") + "/photo.png").toStdString(), fit, nullptr);
  QVERIFY(made.has_value());
  QCOMPARE(
      Find<QLabel>(*window, "SrcPic")->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
      klv::gui::RasterToImage(*made).convertToFormat(QImage::Format_RGB32));
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
  QVERIFY(Find<QPushButton>(*window, "MakeIt")->isEnabled());
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleName")->text(), QStringLiteral("cat"));
  QCOMPARE(Find<QLabel>(*window, "SrcPic")->size(), QSize(128, 96));
}

void SourceScrTest::UnreadablePictureChangesNothing() {
  SavePicture(Dir("src") + "/fit.bmp", 128, 96);
  QFile bad(Dir("src") + "/bad.bmp");
  QVERIFY(bad.open(QIODevice::WriteOnly));
  bad.write("this is not a bitmap");
  bad.close();
  Store("SrcDir", Cp932(Dir("src")));
  auto window = Open();
  QVERIFY(ClickFile(*window, "fit.bmp"));
  Find<Cp932LineEdit>(*window, "PuzzleName")->SetText("Kept");

  QVERIFY(ClickFile(*window, "bad.bmp"));
  QCOMPARE(presenter_.messages.size(), size_t{1});
  QCOMPARE(presenter_.messages[0].kind, MessageKind::kFailure);
  QVERIFY2(presenter_.messages[0].text.contains(Dir("src") + "/bad.bmp"),
           qPrintable(presenter_.messages[0].text));
  QCOMPARE(Find<QLineEdit>(*window, "Label1")->text(), QStringLiteral("ピース数： x = 3 , y = 2"));
  QVERIFY(Find<QPushButton>(*window, "MakeIt")->isEnabled());
  QCOMPARE(Find<Cp932LineEdit>(*window, "PuzzleName")->text(), QStringLiteral("Kept"));
  QCOMPARE(window->xMax(), 3);
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

void SourceScrTest::ExitButtonWritesTheNineKeys() {
  auto window = Open();
  QSignalSpy ended(window.get(), &SourceScr::Ended);
  QTest::mouseClick(Find<QPushButton>(*window, "Command2"), Qt::LeftButton);
  QCOMPARE(ended.count(), 1);
  QVERIFY(!window->isVisible());

  QFile file(settings_);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QStringList keys;
  for (const QByteArray& line : file.readAll().split('\n')) {
    const int equals = line.indexOf('=');
    if (equals > 0) keys << QString::fromLatin1(line.left(equals).trimmed());
  }
  QStringList expected_keys;
  for (const char* key : kSettingsKeys) expected_keys << key;
  QCOMPARE(keys, expected_keys);

  const std::string start = Dir("start").toStdString();
  const std::string drive =
      klv::gui::DriveOfPath(Find<DriveList>(*window, "Drive1")->Drives(), Dir("start"))
          .toStdString();
  QCOMPARE(Stored("PuzzleName"), std::string("\xca\xdf\xbd\xde\xd9\x96\xbc"));
  QCOMPARE(Stored("PuzzleSetName"), std::string("\xca\xdf\xbd\xde\xd9\xbe\xaf\xc4\x96\xbc"));
  QCOMPARE(Stored("LongPuzzleName"), std::string("\x83\x52\x83\x81\x83\x93\x83\x67"));
  QCOMPARE(Stored("SrcDrive"), drive);
  QCOMPARE(Stored("SrcDir"), start);
  QCOMPARE(Stored("DestDrive"), drive);
  QCOMPARE(Stored("DestDir"), start);
  QCOMPARE(Stored("Slider1"), std::string("70"));
  QCOMPARE(Stored("Slider2"), std::string("85"));
}

void SourceScrTest::CloseBoxWritesNothing_data() {
  QTest::addColumn<bool>("fileExists");
  QTest::newRow("no settings file") << false;
  QTest::newRow("earlier settings") << true;
}

void SourceScrTest::CloseBoxWritesNothing() {
  QFETCH(bool, fileExists);
  if (fileExists) Store("Slider1", "40");
  QByteArray before;
  if (fileExists) {
    QFile file(settings_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    before = file.readAll();
  }
  auto window = Open();
  QSignalSpy ended(window.get(), &SourceScr::Ended);
  QTest::keyClick(Find<QSlider>(*window, "Slider1"), Qt::Key_End);
  TypeText(Find<Cp932LineEdit>(*window, "PuzzleSetName"), "x");
  QVERIFY(window->close());
  QCOMPARE(ended.count(), 1);
  QCOMPARE(QFile::exists(settings_), fileExists);
  if (fileExists) {
    QFile file(settings_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
  }
}

void SourceScrTest::MakeWritesThePackageAndEnds() {
  SavePicture(Dir("src") + "/cat.bmp", 128, 96);
  // Left from earlier: an unrelated file stays, a tile of a larger grid goes.
  for (const char* name : {"keep.txt", "res0808.bmp"}) {
    QFile file(Dir("dest") + "/" + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
  }
  Store("SrcDir", Cp932(Dir("src")));
  Store("DestDir", Cp932(Dir("dest")));
  presenter_.workFolder = Dir("dest");

  auto window = Open();
  QVERIFY(ClickFile(*window, "cat.bmp"));
  QTest::keyClick(Find<Cp932LineEdit>(*window, "PuzzleSetName"), Qt::Key_A, Qt::ControlModifier);
  TypeText(Find<Cp932LineEdit>(*window, "PuzzleSetName"), QStringLiteral("どうぶつ"));
  QTest::keyClick(Find<Cp932TextEdit>(*window, "Comment"), Qt::Key_A, Qt::ControlModifier);
  TypeText(Find<Cp932TextEdit>(*window, "Comment"), QStringLiteral("A cat"));
  QTest::mouseClick(Find<QRadioButton>(*window, "Option1", 7), Qt::LeftButton, {}, QPoint(6, 8));
  QSignalSpy ended(window.get(), &SourceScr::Ended);

  QTest::mouseClick(Find<QPushButton>(*window, "MakeIt"), Qt::LeftButton);

  QCOMPARE(presenter_.messages.size(), size_t{1});
  const Shown& done = presenter_.messages[0];
  QCOMPARE(done.kind, MessageKind::kCompletion);
  QCOMPARE(done.text, QStringLiteral("コンバートが終了しました"));
  // At the message the package is in place and the work files are still in the make's
  // private folder; the settings are not yet saved.
  QCOMPARE(done.workFolderFiles, QStringList({"cat.klv", "keep.txt", "res0808.bmp"}));
  QVERIFY(!done.settings.contains("PuzzleName="));
  QVERIFY(done.puzzleIni.contains("xMax=3"));
  QVERIFY(done.puzzleIni.contains("yMax=2"));
  QVERIFY(done.puzzleIni.contains("backColor=FFFFFF"));
  QVERIFY(done.puzzleIni.contains(
              "PassWord=" + QByteArray::fromStdString(window->puzzlePassWord()) + "\n") ||
          done.puzzleIni.contains(
              "PassWord=" + QByteArray::fromStdString(window->puzzlePassWord()) + "\r\n"));
  QVERIFY(done.puzzleIni.contains("PuzzleSetName=" +
                                  QByteArray::fromStdString(Cp932(QStringLiteral("どうぶつ")))));

  // Only the package and what was there before remain.
  QCOMPARE(QDir(Dir("dest"))
               .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
           QStringList({"cat.klv", "keep.txt", "res0808.bmp"}));
  QFile package(Dir("dest") + "/cat.klv");
  QVERIFY(package.open(QIODevice::ReadOnly));
  const QByteArray head = package.read(12);
  QCOMPARE(head.left(4), QByteArray("RIFF"));
  QCOMPARE(head.mid(8, 4), QByteArray("DATA"));

  QCOMPARE(Stored("PuzzleName"), std::string("cat"));
  QCOMPARE(Stored("PuzzleSetName"), Cp932(QStringLiteral("どうぶつ")));
  QCOMPARE(Stored("LongPuzzleName"), std::string("A cat"));
  QCOMPARE(Stored("DestDir"), Dir("dest").toStdString());

  QCOMPARE(ended.count(), 1);
  QVERIFY(!window->isVisible());
  auto* canvas = FindWindow<klv::gui::DestScr>("DestScr");
  QVERIFY(canvas != nullptr);
  QVERIFY(!canvas->isVisible());
  for (int i = 0; i < 6; ++i) {
    const QImage tile = Find<QLabel>(*canvas, "DesPic", i)->pixmap().toImage();
    QCOMPARE(tile.size(), QSize(64, 64));
    // Tile (0, 0)'s top-left cell is a corner: a complete copy of the picture.
    if (i == 0)
      QCOMPARE(tile.pixel(5, 3), Find<QLabel>(*window, "SrcPic")->pixmap().toImage().pixel(5, 3));
  }
  QVERIFY(Find<QLabel>(*canvas, "DesPic", 6)->pixmap().isNull());
  QCOMPARE(Find<QLabel>(*canvas, "BasePic")->size(), QSize(128, 96));
}

void SourceScrTest::FailedMakeIsReportedAndEnds_data() {
  QTest::addColumn<int>("fileConv");  // FileConv's result; -1: the library is not found
  QTest::addColumn<bool>("folderGone");
  QTest::addColumn<QString>("headline");
  QTest::addColumn<int>("conversions");
  QTest::addColumn<QStringList>("filesLeft");
  QTest::newRow("conversion fails")
      << 0 << false << QStringLiteral("コンバートに失敗しました") << 1 << QStringList();
  QTest::newRow("library not found")
      << -1 << false << QStringLiteral("KLVUtils") << 1 << QStringList();
  QTest::newRow("work folder has gone")
      << 1 << true << QStringLiteral("作業ファイルを保存できませんでした") << 0 << QStringList();
}

void SourceScrTest::FailedMakeIsReportedAndEnds() {
  QFETCH(int, fileConv);
  QFETCH(bool, folderGone);
  QFETCH(QString, headline);
  QFETCH(int, conversions);
  QFETCH(QStringList, filesLeft);
  SavePicture(Dir("src") + "/cat.bmp", 64, 64);
  Store("SrcDir", Cp932(Dir("src")));
  Store("DestDir", Cp932(Dir("dest")));

  std::vector<std::string> calls;
  auto window = Open(std::make_unique<FakeConverter>(
      fileConv < 0 ? std::nullopt : std::optional<int16_t>(fileConv), &calls));
  QVERIFY(ClickFile(*window, "cat.bmp"));
  QSignalSpy ended(window.get(), &SourceScr::Ended);
  if (folderGone) QVERIFY(QDir(Dir("dest")).removeRecursively());

  QTest::mouseClick(Find<QPushButton>(*window, "MakeIt"), Qt::LeftButton);

  QCOMPARE(presenter_.messages.size(), size_t{1});
  QCOMPARE(presenter_.messages[0].kind, MessageKind::kFailure);
  QVERIFY2(presenter_.messages[0].text.startsWith(headline),
           qPrintable(presenter_.messages[0].text));
  QCOMPARE(static_cast<int>(calls.size()), conversions);
  if (conversions > 0) {
    QVERIFY2(QString::fromStdString(calls[0]).startsWith(Dir("dest") + "/.klvmake-"),
             calls[0].c_str());
  }
  QCOMPARE(QDir(Dir("dest")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
           filesLeft);
  // The make ends as every make does: the settings saved, the program ended.
  QCOMPARE(Stored("PuzzleName"), std::string("cat"));
  QCOMPARE(ended.count(), 1);
  QVERIFY(!window->isVisible());
}

void SourceScrTest::NameThatCannotNameThePackageIsRefused_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("why");
  QTest::newRow("blanks only") << "   " << QStringLiteral("パズル名を入力してください");
  QTest::newRow("enclosing quotes") << "\"cat\"" << QStringLiteral("引用符");
  QTest::newRow("folder separator") << "a/b" << QStringLiteral("区切り文字");
}

// The make is refused before anything is written; the window stays open for a new name.
void SourceScrTest::NameThatCannotNameThePackageIsRefused() {
  QFETCH(QString, name);
  QFETCH(QString, why);
  SavePicture(Dir("src") + "/cat.bmp", 64, 64);
  Store("SrcDir", Cp932(Dir("src")));
  Store("DestDir", Cp932(Dir("dest")));
  std::vector<std::string> calls;
  auto window = Open(std::make_unique<FakeConverter>(std::optional<int16_t>(1), &calls));
  QVERIFY(ClickFile(*window, "cat.bmp"));
  auto* box = Find<Cp932LineEdit>(*window, "PuzzleName");
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  TypeText(box, name);
  QSignalSpy ended(window.get(), &SourceScr::Ended);

  QTest::mouseClick(Find<QPushButton>(*window, "MakeIt"), Qt::LeftButton);

  QCOMPARE(presenter_.messages.size(), size_t{1});
  QCOMPARE(presenter_.messages[0].kind, MessageKind::kFailure);
  QVERIFY2(presenter_.messages[0].text.startsWith(QStringLiteral("パズル名が正しくありません")) &&
               presenter_.messages[0].text.contains(why),
           qPrintable(presenter_.messages[0].text));
  QVERIFY(calls.empty());
  QVERIFY(QDir(Dir("dest")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
  QCOMPARE(ended.count(), 0);
  QVERIFY(Find<QPushButton>(*window, "MakeIt")->isEnabled());
}

QTEST_MAIN(SourceScrTest)
#include "source_scr_test.moc"
