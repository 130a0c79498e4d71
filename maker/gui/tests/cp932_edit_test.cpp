// Tests of the code page 932 conversions at the window's edge and of the byte-limited
// text boxes, typed into as a person would.
#include <QApplication>
#include <QClipboard>
#include <QtTest>
#include <string>

#include "cp932_edit.h"
#include "gui_test_support.h"

using klv::gui::Cp932LineEdit;
using klv::gui::Cp932TextEdit;
using klv::gui::FromCp932;
using klv::gui::LimitEdit;
using klv::gui::ToCp932;
using klv::gui::testing::TypeText;

Q_DECLARE_METATYPE(std::string)

class Cp932EditTest : public QObject {
  Q_OBJECT
 private slots:
  void ConversionsKeepWhatTheCodePageHolds_data();
  void ConversionsKeepWhatTheCodePageHolds();
  void UndefinedBytesDecodeToReplacementCharacters();
  void CommentLineBreaksAreCrLfInTheCodePage();
  void EditsAreCutToTheByteLimit_data();
  void EditsAreCutToTheByteLimit();
  void TypingStopsAtTheLimit_data();
  void TypingStopsAtTheLimit();
  void ProgramTextIsNotCutAndCanBeShortened();
  void PasteIsCutToWhatFits();
  void CommentBoxCountsLineBreaksAsTwoBytes();
};

void Cp932EditTest::ConversionsKeepWhatTheCodePageHolds_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<std::string>("bytes");
  QTest::addColumn<bool>("roundTrips");
  QTest::newRow("ascii") << QStringLiteral("Cat 1") << std::string("Cat 1") << true;
  QTest::newRow("half-width katakana and kanji")
      << QStringLiteral("ﾊﾟｽﾞﾙｾｯﾄ名") << std::string("\xca\xdf\xbd\xde\xd9\xbe\xaf\xc4\x96\xbc")
      << true;
  QTest::newRow("full-width") << QStringLiteral("コメント")
                              << std::string("\x83\x52\x83\x81\x83\x93\x83\x67") << true;
  QTest::newRow("unfit character becomes ?")
      << QStringLiteral("caf\u00e9") << std::string("caf?") << false;
  QTest::newRow("unfit beside fitting")
      << QStringLiteral("あ\U0001F600い") << std::string("\x82\xa0?\x82\xa2") << false;
}

void Cp932EditTest::ConversionsKeepWhatTheCodePageHolds() {
  QFETCH(QString, text);
  QFETCH(std::string, bytes);
  QFETCH(bool, roundTrips);
  QCOMPARE(ToCp932(text), bytes);
  if (roundTrips) QCOMPARE(FromCp932(bytes), text);
}

void Cp932EditTest::UndefinedBytesDecodeToReplacementCharacters() {
  // A lone lead byte at the end and an undefined byte: only they are lost.
  const QString decoded =
      FromCp932(std::string("a\xff\x82\xa0"
                            "b\x81"));
  QCOMPARE(decoded, QStringLiteral("a\ufffdあb\ufffd"));
}

void Cp932EditTest::CommentLineBreaksAreCrLfInTheCodePage() {
  QCOMPARE(klv::gui::MultiLineToCp932(QStringLiteral("a\nb")), std::string("a\r\nb"));
  QCOMPARE(klv::gui::MultiLineFromCp932("a\r\nb\rc"), QStringLiteral("a\nb\nc"));
}

void Cp932EditTest::EditsAreCutToTheByteLimit_data() {
  QTest::addColumn<QString>("before");
  QTest::addColumn<QString>("after");
  QTest::addColumn<int>("limit");
  QTest::addColumn<QString>("allowed");
  QTest::addColumn<int>("cursor");
  QTest::newRow("fits") << "abc"
                        << "abXc" << 10 << "abXc" << 3;
  QTest::newRow("one byte too many") << "abcdefghij"
                                     << "abcdefghijk" << 10 << "abcdefghij" << 10;
  QTest::newRow("full-width cut at a whole character")
      << "ab" << QStringLiteral("abあいうえお") << 10 << QStringLiteral("abあいうえ") << 6;
  QTest::newRow("full-width does not fit in one byte")
      << "abcdefghi" << QStringLiteral("abcdefghiあ") << 10 << "abcdefghi" << 9;
  QTest::newRow("insertion in the middle") << "abcdefgh"
                                           << "abcXYZdefgh" << 10 << "abcXYdefgh" << 5;
  QTest::newRow("unfit character refused")
      << "abc" << QStringLiteral("ab\u00e9c") << 10 << "abc" << 2;
  QTest::newRow("typing stops at an unfit character")
      << "" << QStringLiteral("ab\u00e9cd") << 10 << "ab" << 2;
  QTest::newRow("deleting from an over-long text")
      << QStringLiteral("あいうえおかきく") << QStringLiteral("あいうえおかき") << 10
      << QStringLiteral("あいうえおかき") << 7;
  QTest::newRow("replacing inside an over-long text")
      << QStringLiteral("あいうえおかきく") << QStringLiteral("あいうえおかきa") << 10
      << QStringLiteral("あいうえおかきa") << 8;
  QTest::newRow("growing an over-long text refused")
      << QStringLiteral("あいうえおかきく") << QStringLiteral("あいうえおかきくa") << 10
      << QStringLiteral("あいうえおかきく") << 8;
}

void Cp932EditTest::EditsAreCutToTheByteLimit() {
  QFETCH(QString, before);
  QFETCH(QString, after);
  QFETCH(int, limit);
  QFETCH(QString, allowed);
  QFETCH(int, cursor);
  int new_cursor = -1;
  QCOMPARE(LimitEdit(before, after, limit, 1, &new_cursor), allowed);
  QCOMPARE(new_cursor, cursor);
}

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
