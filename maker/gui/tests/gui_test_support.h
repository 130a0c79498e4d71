// Helpers shared by the window tests: typing any text into a widget as key presses (the
// Qt Test helpers type Latin-1 only).
#ifndef KLV_MAKER_GUI_TESTS_GUI_TEST_SUPPORT_H_
#define KLV_MAKER_GUI_TESTS_GUI_TEST_SUPPORT_H_

#include <QString>
#include <QtTest>

namespace klv::gui::testing {

// One key press per character of `text`, each carrying the character as its text.
inline void TypeText(QWidget* widget, const QString& text) {
  for (char32_t code_point : text.toUcs4()) {
    const QString one = QString::fromUcs4(&code_point, 1);
    const Qt::Key key = code_point < 0x80 && QChar(code_point).isLetterOrNumber()
                            ? static_cast<Qt::Key>(QChar(code_point).toUpper().unicode())
                            : Qt::Key_unknown;
    QTest::sendKeyEvent(QTest::Click, widget, key, one, Qt::NoModifier);
  }
}

}  // namespace klv::gui::testing

#endif  // KLV_MAKER_GUI_TESTS_GUI_TEST_SUPPORT_H_
