// Tests of the maker's message boxes: each kind is a modal box with the program's title,
// one OK button and its icon (none for the completion message); a question's Return gives
// its default answer and Escape answers no.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "message_presenter.h"

using klv::gui::Answer;
using klv::gui::MessageKind;

Q_DECLARE_METATYPE(MessageKind)
Q_DECLARE_METATYPE(Answer)

// A box the test cannot find would wait forever; the returned timer closes it anyway.
std::unique_ptr<QTimer> CloseLeftBoxLater() {
  auto guard = std::make_unique<QTimer>();
  guard->setSingleShot(true);
  QObject::connect(guard.get(), &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  guard->start(5000);
  return guard;
}

class MessagePresenterTest : public QObject {
  Q_OBJECT
 private slots:
  void BoxesHaveOneOkButtonAndTheirIcon_data();
  void BoxesHaveOneOkButtonAndTheirIcon();
  void QuestionsTakeTheirDefaultOnReturnAndNoOnEscape_data();
  void QuestionsTakeTheirDefaultOnReturnAndNoOnEscape();
};

void MessagePresenterTest::BoxesHaveOneOkButtonAndTheirIcon_data() {
  QTest::addColumn<MessageKind>("kind");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("icon");
  QTest::newRow("completion") << MessageKind::kCompletion
                              << QStringLiteral("コンバートが終了しました")
                              << static_cast<int>(QMessageBox::NoIcon);
  QTest::newRow("library message")
      << MessageKind::kInformation << QStringLiteral("base.bmp: no such file")
      << static_cast<int>(QMessageBox::Information);
  QTest::newRow("failure") << MessageKind::kFailure << QStringLiteral("cannot write")
                           << static_cast<int>(QMessageBox::Warning);
}

void MessagePresenterTest::BoxesHaveOneOkButtonAndTheirIcon() {
  QFETCH(MessageKind, kind);
  QFETCH(QString, text);
  QFETCH(int, icon);

  struct Seen {
    bool found = false;
    QString text, title;
    int icon = -1;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
  } seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.found = true;
    seen.text = box->text();
    seen.title = box->windowTitle();
    seen.icon = static_cast<int>(box->icon());
    seen.buttons = box->standardButtons();
    seen.modal = box->isModal();
    QTest::keyClick(box, Qt::Key_Return);  // the person presses OK
  });
  const std::unique_ptr<QTimer> guard = CloseLeftBoxLater();

  klv::gui::MessageBoxPresenter presenter;
  presenter.Show(nullptr, kind, text);

  QVERIFY(seen.found);
  QCOMPARE(seen.text, text);
  QCOMPARE(seen.title, QStringLiteral("KLVMaker"));
  QCOMPARE(seen.icon, icon);
  QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QVERIFY(seen.modal);
}

void MessagePresenterTest::QuestionsTakeTheirDefaultOnReturnAndNoOnEscape_data() {
  QTest::addColumn<Answer>("defaultAnswer");
  QTest::addColumn<int>("key");
  QTest::addColumn<Answer>("answer");
  QTest::newRow("Return, yes by default") << Answer::kYes << int(Qt::Key_Return) << Answer::kYes;
  QTest::newRow("Return, no by default") << Answer::kNo << int(Qt::Key_Return) << Answer::kNo;
  QTest::newRow("Escape") << Answer::kYes << int(Qt::Key_Escape) << Answer::kNo;
}

void MessagePresenterTest::QuestionsTakeTheirDefaultOnReturnAndNoOnEscape() {
  QFETCH(Answer, defaultAnswer);
  QFETCH(int, key);
  QFETCH(Answer, answer);
  bool found = false;
  QTimer::singleShot(0, [&found, key] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    found = true;
    QTest::keyClick(box, static_cast<Qt::Key>(key));
  });
  const std::unique_ptr<QTimer> guard = CloseLeftBoxLater();

  klv::gui::MessageBoxPresenter presenter;
  const Answer given = presenter.Ask(nullptr, QStringLiteral("置き換えますか？"), defaultAnswer);
  QVERIFY(found);
  QCOMPARE(given, answer);
}

QTEST_MAIN(MessagePresenterTest)
#include "message_presenter_test.moc"
