// Tests of the maker's message boxes: each kind is a modal box with the program's title,
// one OK button and its icon (none for the completion message).
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "message_presenter.h"

using klv::gui::MessageKind;

Q_DECLARE_METATYPE(MessageKind)

class MessagePresenterTest : public QObject {
  Q_OBJECT
 private slots:
  void BoxesHaveOneOkButtonAndTheirIcon_data();
  void BoxesHaveOneOkButtonAndTheirIcon();
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
  // A box the timer cannot find would wait forever; this one closes it anyway.
  QTimer guard;
  guard.setSingleShot(true);
  connect(&guard, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  guard.start(5000);

  klv::gui::MessageBoxPresenter presenter;
  presenter.Show(nullptr, kind, text);

  QVERIFY(seen.found);
  QCOMPARE(seen.text, text);
  QCOMPARE(seen.title, QStringLiteral("KLVMaker"));
  QCOMPARE(seen.icon, icon);
  QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QVERIFY(seen.modal);
}

QTEST_MAIN(MessagePresenterTest)
#include "message_presenter_test.moc"
