// Tests of the windows' language: which language a user's preferences choose, that the
// English window shows no Japanese text anywhere (controls, status line, messages, the work
// canvas) and that the Japanese window shows exactly its designed texts.
#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <memory>
#include <vector>

#include "base/platform.h"
#include "cp932_edit.h"
#include "dest_scr.h"
#include "file_lists.h"
#include "gui_test_support.h"
#include "message_presenter.h"
#include "source_scr.h"
#include "window_language.h"

using klv::gui::WindowLanguage;
using klv::gui::testing::Find;

namespace {

class RecordingPresenter : public klv::gui::MessagePresenter {
 public:
  void Show(QWidget* /*parent*/, klv::gui::MessageKind /*kind*/, const QString& text) override {
    messages << text;
  }
  QStringList messages;
};

// Kana, CJK ideographs and the full- and half-width forms: what no English text holds.
bool HasJapanese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) ||
        (u >= 0xFF00 && u <= 0xFFEF)) {
      return true;
    }
  }
  return false;
}

// Every text the person sees in `window`, as "name: text", in the order of the controls.
QStringList VisibleTexts(const QWidget& window) {
  QStringList texts{window.objectName() + QStringLiteral(": ") + window.windowTitle()};
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    QString text;
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) text = frame->title();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) text = button->text();
    if (const auto* box = qobject_cast<const QLineEdit*>(widget)) text = box->text();
    if (const auto* box = qobject_cast<const klv::gui::Cp932TextEdit*>(widget)) text = box->Text();
    if (!text.isEmpty()) texts << widget->objectName() + QStringLiteral(": ") + text;
  }
  return texts;
}

}  // namespace

class WindowLanguageTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();

  void PreferencesChooseTheLanguage();
  void TheUsersEnvironmentChoosesTheLanguage();
  void EnglishWindowHasNoJapaneseText();
  void JapaneseWindowShowsItsDesignedTexts();

 private:
  // Opens the main window over a source folder with a picture that fits (fit.bmp), one
  // too large (large.bmp) and one that cannot be read (broken.bmp), and clicks `file`.
  std::unique_ptr<klv::gui::SourceScr> OpenAndClick(const QString& file);

  std::unique_ptr<QTemporaryDir> dir_;
  RecordingPresenter presenter_;
  std::unique_ptr<QTranslator> english_;
};

void WindowLanguageTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  presenter_.messages.clear();
}

void WindowLanguageTest::cleanup() {
  english_.reset();  // removes the translation from the application
  dir_.reset();
}

std::unique_ptr<klv::gui::SourceScr> WindowLanguageTest::OpenAndClick(const QString& file) {
  QImage fit(128, 96, QImage::Format_RGB32);
  fit.fill(Qt::darkCyan);
  QImage large(400, 96, QImage::Format_RGB32);
  large.fill(Qt::darkCyan);
  const QString src = dir_->path();
  if (!fit.save(src + "/fit.bmp", "BMP") || !large.save(src + "/large.bmp", "BMP")) return nullptr;
  QFile broken(src + "/broken.bmp");
  if (!broken.open(QIODevice::WriteOnly) || broken.write("BM not a picture") < 0) return nullptr;
  broken.close();
  const std::string settings = (src + "/config/Morvel.ini").toStdString();
  if (!QDir().mkpath(src + "/config") ||
      !klv::Env::Default()
           .WriteProfileString(settings, "ToolsData", "SrcDir", src.toStdString())
           .ok()) {
    return nullptr;
  }
  auto window = std::make_unique<klv::gui::SourceScr>(klv::Env::Default(), settings, presenter_);
  window->show();
  auto* list = Find<klv::gui::FileList>(*window, "File1");
  const QList<QListWidgetItem*> found = list->findItems(file, Qt::MatchExactly);
  if (found.size() != 1) return nullptr;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(found.front()).center());
  return window;
}

void WindowLanguageTest::PreferencesChooseTheLanguage() {
  const struct {
    QStringList preferences;
    WindowLanguage expected;
  } cases[] = {
      {{"ja-JP"}, WindowLanguage::kJapanese},
      {{"ja"}, WindowLanguage::kJapanese},
      {{"JA_jp.UTF-8"}, WindowLanguage::kJapanese},
      {{"en-US", "ja-JP"}, WindowLanguage::kEnglish},
      // No French translation: the next language the person reads.
      {{"fr-FR", "ja-JP", "en"}, WindowLanguage::kJapanese},
      {{"de-DE"}, WindowLanguage::kEnglish},
      {{"C"}, WindowLanguage::kEnglish},
      {{}, WindowLanguage::kEnglish},
      // Jamaican Creole and the like are not Japanese.
      {{"jam", "ja"}, WindowLanguage::kJapanese},
      {{"jam"}, WindowLanguage::kEnglish},
      {{"eng"}, WindowLanguage::kEnglish},
  };
  for (const auto& c : cases) {
    QVERIFY2(klv::gui::ChooseWindowLanguage(c.preferences) == c.expected,
             qPrintable(c.preferences.join(',')));
  }
}

// Run by CTest with the language variables of one case and the language they must choose.
void WindowLanguageTest::TheUsersEnvironmentChoosesTheLanguage() {
  const QByteArray expected = qgetenv("KLV_EXPECTED_LANGUAGE");
  if (expected.isEmpty()) QSKIP("run by CTest with a user's language variables");
  english_ = klv::gui::InstallWindowLanguage();
  const klv::gui::DestScr canvas;
  QCOMPARE(canvas.windowTitle(),
           expected == "en" ? QStringLiteral("Piece table") : QStringLiteral("ピーステーブル"));
}

void WindowLanguageTest::EnglishWindowHasNoJapaneseText() {
  english_ = klv::gui::LoadEnglishTranslation();
  QVERIFY(english_ != nullptr);
  QVERIFY(QCoreApplication::installTranslator(english_.get()));

  for (const char* file : {"fit.bmp", "large.bmp", "broken.bmp"}) {
    auto window = OpenAndClick(file);
    QVERIFY(window != nullptr);
    const QStringList texts = VisibleTexts(*window);
    for (const QString& text : texts) QVERIFY2(!HasJapanese(text), qPrintable(text));
    QVERIFY(texts.contains("SourceScr: Puzzle Maker"));
    // A fixed text must fit its control: the English runs longer than the Japanese.
    for (const auto* control : window->findChildren<QWidget*>()) {
      const auto* label = qobject_cast<const QLabel*>(control);
      const auto* button = qobject_cast<const QAbstractButton*>(control);
      if ((label && !label->text().isEmpty()) || button) {
        QVERIFY2(control->sizeHint().width() <= control->width(),
                 qPrintable(control->objectName() + " is too narrow for its text"));
      }
    }
  }
  QCOMPARE(presenter_.messages.size(), 1);  // the picture that cannot be read
  QVERIFY2(presenter_.messages[0].startsWith("Cannot read the picture\n"),
           qPrintable(presenter_.messages[0]));
  QVERIFY(!HasJapanese(presenter_.messages[0]));
  const klv::gui::DestScr canvas;
  QCOMPARE(canvas.windowTitle(), QStringLiteral("Piece table"));
}

void WindowLanguageTest::JapaneseWindowShowsItsDesignedTexts() {
  QVERIFY(klv::gui::ChooseWindowLanguage({"ja-JP", "en-US"}) == WindowLanguage::kJapanese);
  auto window = OpenAndClick("fit.bmp");
  QVERIFY(window != nullptr);
  const QStringList designed = {
      "SourceScr: モーベルパズルメーカー",
      "Frame1: ビットマップを選択",
      "Label1: ピース数： x = 3 , y = 2",
      "Frame2: 背景色の選択",
      "Option1: 黒",
      "Option1: 青",
      "Option1: 緑",
      "Option1: シアン",
      "Option1: 赤",
      "Option1: マゼンダ",
      "Option1: 黄色",
      "Option1: 白",
      "Frame3: 保存先を選択",
      "Frame4: パズル情報",
      "Label7: ﾊﾟｽﾞﾙｾｯﾄの名前（10ﾊﾞｲﾄまで）",
      "PuzzleSetName: ﾊﾟｽﾞﾙｾｯﾄ名",
      "Label6: パズルの名前（15文字まで）",
      "PuzzleName: fit",
      "Label5: 画像の説明　（255文字まで）",
      "Comment: コメント",
      "Frame5: 難易度調整",
      "Label4: ピースの濃度",
      "Text1: 30",
      "Label3: 背景の濃度",
      "Text2: 15",
      "MakeIt: 分解",
      "Command2: 終了",
  };
  QCOMPARE(VisibleTexts(*window), designed);
  const klv::gui::DestScr canvas;
  QCOMPARE(canvas.windowTitle(), QStringLiteral("ピーステーブル"));
}

QTEST_MAIN(WindowLanguageTest)
#include "window_language_test.moc"
