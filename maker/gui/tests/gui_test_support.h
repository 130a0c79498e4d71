// Helpers shared by the window tests: finding a window's controls by their given names,
// and typing any text into a widget as key presses (the Qt Test helpers type Latin-1 only).
#ifndef KLV_MAKER_GUI_TESTS_GUI_TEST_SUPPORT_H_
#define KLV_MAKER_GUI_TESTS_GUI_TEST_SUPPORT_H_

#include <QApplication>
#include <QString>
#include <QtTest>

namespace klv::gui::testing {

// The control of `window` named `name`, as a T. A missing control stops the test program
// with a message that names it: every test of the window depends on its controls.
template <typename T>
T* Find(const QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromLatin1(name));
  if (found == nullptr)
    qFatal("%s has no %s named %s", qPrintable(window.objectName()),
           T::staticMetaObject.className(), name);
  return found;
}

// Of the controls of `window` named `name`, the one whose property "index" is `index`
// (the colour options Option1, the tile surfaces DesPic).
template <typename T>
T* Find(const QWidget& window, const char* name, int index) {
  for (T* found : window.findChildren<T*>(QString::fromLatin1(name))) {
    if (found->property("index").toInt() == index) return found;
  }
  qFatal("%s has no %s named %s(%d)", qPrintable(window.objectName()),
         T::staticMetaObject.className(), name, index);
}

// The open (or closed, not yet destroyed) top-level window named `name`, or null.
template <typename T>
T* FindWindow(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String(name)) return qobject_cast<T*>(widget);
  }
  return nullptr;
}

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
