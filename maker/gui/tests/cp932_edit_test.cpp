// Tests of the byte-limited text boxes, typed into, pasted into and written to by an
// input method as a person would (the typing rule itself is the form's, tested there).
#include <QApplication>
#include <QClipboard>
#include <QtTest>
#include <string>

#include "cp932_edit.h"
#include "gui_test_support.h"

using klv::gui::Cp932LineEdit;
using klv::gui::Cp932TextEdit;
using klv::gui::testing::TypeText;

class Cp932EditTest : public QObject {
  Q_OBJECT
 private slots:
  void TypingStopsAtTheLimit_data();
  void TypingStopsAtTheLimit();
  void ProgramTextIsNotCutAndCanBeShortened();
  void PasteIsCutToWhatFits();
  void CommentBoxCountsLineBreaksAsTwoBytes();
};

void Cp932EditTest::TypingStopsAtTheLimit_data() {
  QTest::addColumn<int>("limit");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");
  QTest::newRow("ascii") << 10 << "abcdefghijkl"
                         << "abcdefghij";
  QTest::newRow("half-width katakana")
      << 10 << QStringLiteral("ﾊﾟｽﾞﾙｾｯﾄ名ｱ") << QStringLiteral("ﾊﾟｽﾞﾙｾｯﾄ名");
  QTest::newRow("full-width") << 15 << QStringLiteral("あいうえおかきく")
                              << QStringLiteral("あいうえおかき");
  QTest::newRow("full-width after 14 bytes")
      << 15 << QStringLiteral("abcdefghijklmnあ") << QStringLiteral("abcdefghijklmn");
  QTest::newRow("unfit skipped") << 10 << QStringLiteral("a\u00e9b") << "ab";
}

void Cp932EditTest::TypingStopsAtTheLimit() {
  QFETCH(int, limit);
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  Cp932LineEdit edit(limit);
  TypeText(&edit, typed);
  QCOMPARE(edit.text(), shown);
}

void Cp932EditTest::ProgramTextIsNotCutAndCanBeShortened() {
  Cp932LineEdit edit(15);
  const QString long_name = QStringLiteral("あいうえおかきくけこさしすせそ");  // 30 bytes
  edit.SetText(long_name);
  QCOMPARE(edit.text(), long_name);
  QTest::keyClick(&edit, Qt::Key_End);
  QTest::keyClicks(&edit, QStringLiteral("x"));
  QCOMPARE(edit.text(), long_name);  // it may not grow
  QTest::keyClick(&edit, Qt::Key_Backspace);
  QCOMPARE(edit.text(), long_name.left(14));
  QTest::keyClicks(&edit, QStringLiteral("x"));  // still over the limit: no growth
  QCOMPARE(edit.text(), long_name.left(14));
  for (int i = 0; i < 7; ++i) QTest::keyClick(&edit, Qt::Key_Backspace);
  QTest::keyClicks(&edit, QStringLiteral("xy"));  // 14 bytes + "x" reach the limit
  QCOMPARE(edit.text(), long_name.left(7) + QStringLiteral("x"));
}

void Cp932EditTest::PasteIsCutToWhatFits() {
  Cp932LineEdit edit(10);
  QTest::keyClicks(&edit, QStringLiteral("ab"));
  QApplication::clipboard()->setText(QStringLiteral("あいうえおか"));
  QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(edit.text(), QStringLiteral("abあいうえ"));
  QCOMPARE(edit.cursorPosition(), 6);

  Cp932TextEdit comment(10);
  QTest::keyClicks(&comment, QStringLiteral("ab"));
  QTest::keyClick(&comment, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(comment.Text(), QStringLiteral("abあいうえ"));
}

void Cp932EditTest::CommentBoxCountsLineBreaksAsTwoBytes() {
  Cp932TextEdit comment(5);
  QTest::keyClicks(&comment, QStringLiteral("abc"));
  QTest::keyClick(&comment, Qt::Key_Return);
  QTest::keyClicks(&comment, QStringLiteral("d"));
  QCOMPARE(comment.Text(), QStringLiteral("abc\n"));
  QTest::keyClick(&comment, Qt::Key_Backspace);
  QTest::keyClick(&comment, Qt::Key_Return);  // 3 + 2 bytes fit again
  QCOMPARE(comment.Text(), QStringLiteral("abc\n"));
  QTest::keyClick(&comment, Qt::Key_Backspace);
  TypeText(&comment, QStringLiteral("d\u00e9e"));
  QCOMPARE(comment.Text(), QStringLiteral("abcde"));

  const QString program_text = QStringLiteral("abcdefgh");
  comment.SetText(program_text);
  QCOMPARE(comment.Text(), program_text);
}

QTEST_MAIN(Cp932EditTest)
#include "cp932_edit_test.moc"
