// Text boxes whose input limit counts code page 932 bytes, and the conversions between
// the window's QString texts and the core's code page 932 bytes, by the form's rules
// (form/text_boxes.h). A full-width character counts two bytes; characters that the code
// page cannot hold are refused when typed.
#ifndef KLV_MAKER_GUI_CP932_EDIT_H_
#define KLV_MAKER_GUI_CP932_EDIT_H_

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QValidator>
#include <string>

namespace klv::gui {

// The code page 932 bytes of `text`. A character that the code page cannot hold becomes
// "?", as the platform's narrow conversion would make it; a line break stays one "\n".
std::string ToCp932(const QString& text);

// `text` decoded from code page 932. A byte sequence that the code page does not define
// becomes U+FFFD; the rest of the text is kept.
QString FromCp932(const std::string& text);

// The comment box's form: line breaks are CR LF in code page 932, "\n" in the window.
std::string MultiLineToCp932(const QString& text);
QString MultiLineFromCp932(const std::string& text);

// How many bytes `text` takes in code page 932, counting a line break as
// `line_break_bytes` and a character the code page cannot hold as one ("?").
int Cp932Length(const QString& text, int line_break_bytes = 1);

// The typing rule of a byte-limited box: of the text `inserted` between `head` and `tail`
// (what is left of `before` around the edit), the longest beginning of whole characters
// that keeps the result within `limit` bytes, or within the length of `before` when a
// program-set text already exceeds the limit. It ends before the first character that
// code page 932 cannot hold. A line break counts `line_break_bytes`.
QString FittingInsert(const QString& before, const QString& head, const QString& inserted,
                      const QString& tail, int limit, int line_break_bytes = 1);

// Applies the typing rule to a whole edit from `before` to `after`: the allowed result (the
// inserted part cut to what fits), with *cursor (when given) set after the part inserted.
// Returns `before` when nothing of the insertion fits.
QString LimitEdit(const QString& before, const QString& after, int limit, int line_break_bytes = 1,
                  int* cursor = nullptr);

// A one-line text box with a code page 932 byte limit on typing, pasting and input
// methods; a paste that is too long is cut to what fits. SetText puts a text in without cutting it.
class Cp932LineEdit : public QLineEdit {
  Q_OBJECT
 public:
  Cp932LineEdit(int byte_limit, QWidget* parent = nullptr);

  int ByteLimit() const { return limit_; }
  // Replaces the text, whatever its length; always use this instead of setText.
  void SetText(const QString& text);

 private:
  class Validator;
  int limit_;
  QString accepted_;  // the text before the edit being validated
};

// A multi-line text box with a code page 932 byte limit, a line break counting two bytes
// (CR LF). SetText puts a text in without cutting it.
class Cp932TextEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  Cp932TextEdit(int byte_limit, QWidget* parent = nullptr);

  int ByteLimit() const { return limit_; }
  void SetText(const QString& text);
  QString Text() const { return toPlainText(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // What of `inserted` may replace the current selection.
  QString Fitting(const QString& inserted) const;

  int limit_;
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_CP932_EDIT_H_
