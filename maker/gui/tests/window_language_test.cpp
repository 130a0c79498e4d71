// Tests of the Qt windows in their two languages: the English window shows no Japanese text
// (controls, status line, messages, work canvas) and every text fits its control, and the
// Japanese window shows its designed texts.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>
#include <memory>

#include "base/platform.h"
#include "cp932_edit.h"
#include "dest_scr.h"
#include "file_lists.h"
#include "message_presenter.h"
#include "source_scr.h"
#include "window_language.h"

namespace {

struct RecordingPresenter : klv::gui::MessagePresenter {
  void Show(QWidget*, klv::gui::MessageKind, const QString& text) override { messages << text; }
  QStringList messages;
};

// Kana, CJK ideographs and the full- and half-width forms: what no English text holds.
bool HasJapanese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || u >= 0xFF00) return true;
  }
  return false;
}

// Every text the person sees in `window`, as "name: text", in the order of the controls.
QStringList VisibleTexts(const QWidget& window) {
  QStringList texts{window.objectName() + ": " + window.windowTitle()};
  for (const QWidget* widget : window.findChildren<QWidget*>()) {
    QString text;
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget)) text = frame->title();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) text = button->text();
    if (const auto* box = qobject_cast<const QLineEdit*>(widget)) text = box->text();
    if (const auto* box = qobject_cast<const klv::gui::Cp932TextEdit*>(widget)) text = box->Text();
    if (!text.isEmpty()) texts << widget->objectName() + ": " + text;
  }
  return texts;
}

}  // namespace

class WindowLanguageTest : public QObject {
  Q_OBJECT
 private slots:
  void EnglishWindowHasNoJapaneseText() {
    const std::unique_ptr<QTranslator> english = klv::gui::LoadEnglishTranslation();
    QVERIFY(english && QCoreApplication::installTranslator(english.get()));
    for (const char* file : {"fit.bmp", "broken.bmp"}) {
      auto window = OpenAndClick(file, klv::WindowLanguage::kEnglish);
      QVERIFY(window);
      const QStringList texts = VisibleTexts(*window);
      for (const QString& text : texts) QVERIFY2(!HasJapanese(text), qPrintable(text));
      if (QString(file) == "fit.bmp") QVERIFY(texts.contains("Label1: Pieces: x = 3 , y = 2"));
      for (const QWidget* control : window->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(control);
        if ((label && !label->text().isEmpty()) || qobject_cast<const QAbstractButton*>(control)) {
          QVERIFY2(control->sizeHint().width() <= control->width(),
                   qPrintable(control->objectName() + " is too narrow for its text"));
        }
      }
    }
    QCOMPARE(presenter_.messages.size(), 1);
    QVERIFY2(presenter_.messages[0].startsWith("Cannot read the picture\n"),
             qPrintable(presenter_.messages[0]));
    QCOMPARE(klv::gui::DestScr(klv::WindowLanguage::kEnglish).windowTitle(), "Piece table");
  }

  void JapaneseWindowShowsItsDesignedTexts() {
    auto window = OpenAndClick("fit.bmp", klv::WindowLanguage::kJapanese);
    QVERIFY(window);
    QCOMPARE(VisibleTexts(*window).join(" | "),
             "SourceScr: モーベルパズルメーカー | Frame1: ビットマップを選択 | "
             "Label1: ピース数： x = 3 , y = 2 | Frame2: 背景色の選択 | Option1: 黒 | "
             "Option1: 青 | Option1: 緑 | Option1: シアン | Option1: 赤 | Option1: マゼンダ | "
             "Option1: 黄色 | Option1: 白 | Frame3: 保存先を選択 | Frame4: パズル情報 | "
             "Label7: ﾊﾟｽﾞﾙｾｯﾄの名前（10ﾊﾞｲﾄまで） | PuzzleSetName: ﾊﾟｽﾞﾙｾｯﾄ名 | "
             "Label6: パズルの名前（15文字まで） | PuzzleName: fit | "
             "Label5: 画像の説明　（255文字まで） | Comment: コメント | Frame5: 難易度調整 | "
             "Label4: ピースの濃度 | Text1: 30 | Label3: 背景の濃度 | Text2: 15 | "
             "MakeIt: 分解 | Command2: 終了");
    QCOMPARE(klv::gui::DestScr().windowTitle(), "ピーステーブル");
  }

 private:
  // The main window over a folder with a picture that fits (fit.bmp) and one that cannot
  // be read (broken.bmp), after a click on `file`; null if it cannot be set up.
  std::unique_ptr<klv::gui::SourceScr> OpenAndClick(const char* file,
                                                    klv::WindowLanguage language) {
    QImage fit(128, 96, QImage::Format_RGB32);
    fit.fill(Qt::darkCyan);
    QFile broken(dir_.filePath("broken.bmp"));
    const std::string settings = dir_.filePath("Morvel.ini").toStdString();
    if (!fit.save(dir_.filePath("fit.bmp"), "BMP") || !broken.open(QIODevice::WriteOnly) ||
        broken.write("BM no picture") < 0 ||
        !klv::Env::Default()
             .WriteProfileString(settings, "ToolsData", "SrcDir", dir_.path().toStdString())
             .ok()) {
      return nullptr;
    }
    auto window =
        std::make_unique<klv::gui::SourceScr>(klv::Env::Default(), settings, presenter_, language);
    window->show();
    auto* list = window->findChild<klv::gui::FileList*>("File1");
    const QList<QListWidgetItem*> found = list->findItems(file, Qt::MatchExactly);
    if (found.size() != 1) return nullptr;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.front()).center());
    return window;
  }

  QTemporaryDir dir_;
  RecordingPresenter presenter_;
};

QTEST_MAIN(WindowLanguageTest)
#include "window_language_test.moc"
