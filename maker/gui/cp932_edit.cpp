// Byte-limited text boxes and the code page 932 conversions at the window's edge: the
// form's rules (form/text_boxes.h) on Qt's strings, and the events by which text gets into
// a box (typing, input methods, pasting).
#include "cp932_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "form/text_boxes.h"

namespace klv::gui {

std::string ToCp932(const QString& text) { return form::ToCp932(text.toStdString()); }

QString FromCp932(const std::string& text) { return QString::fromStdString(form::FromCp932(text)); }

std::string MultiLineToCp932(const QString& text) {
  return form::MultiLineToCp932(text.toStdString());
}

QString MultiLineFromCp932(const std::string& text) {
  return QString::fromStdString(form::MultiLineFromCp932(text));
}

int Cp932Length(const QString& text, int line_break_bytes) {
  return static_cast<int>(
      form::Cp932Length(text.toStdU16String(), static_cast<size_t>(line_break_bytes)));
}

QString FittingInsert(const QString& before, const QString& head, const QString& inserted,
                      const QString& tail, int limit, int line_break_bytes) {
  return QString::fromStdU16String(form::FittingInsert(
      before.toStdU16String(), head.toStdU16String(), inserted.toStdU16String(),
      tail.toStdU16String(), static_cast<size_t>(limit), static_cast<size_t>(line_break_bytes)));
}

QString LimitEdit(const QString& before, const QString& after, int limit, int line_break_bytes,
                  int* cursor) {
  size_t at = 0;
  QString allowed = QString::fromStdU16String(
      form::LimitEdit(before.toStdU16String(), after.toStdU16String(), static_cast<size_t>(limit),
                      static_cast<size_t>(line_break_bytes), &at));
  if (cursor != nullptr) *cursor = static_cast<int>(at);
  return allowed;
}

// Judges every change of a Cp932LineEdit against the text it had before the change.
class Cp932LineEdit::Validator : public QValidator {
 public:
  explicit Validator(Cp932LineEdit* edit) : QValidator(edit), edit_(edit) {}
  State validate(QString& input, int& position) const override {
    const QString& before = edit_->accepted_;
    int cursor = position;
    const QString allowed = LimitEdit(before, input, edit_->limit_, 1, &cursor);
    if (allowed == input) return Acceptable;
    // Refusing lets the box undo the edit, cursor included.
    if (allowed == before) return Invalid;
    input = allowed;
    position = cursor;
    return Acceptable;
  }

 private:
  Cp932LineEdit* edit_;
};

Cp932LineEdit::Cp932LineEdit(int byte_limit, QWidget* parent)
    : QLineEdit(parent), limit_(byte_limit) {
  setValidator(new Validator(this));
  connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
}

void Cp932LineEdit::SetText(const QString& text) {
  // The validator sees the new text as the previous one, so it accepts it uncut.
  accepted_ = text;
  setText(text);
}

Cp932TextEdit::Cp932TextEdit(int byte_limit, QWidget* parent)
    : QPlainTextEdit(parent), limit_(byte_limit) {
  setTabChangesFocus(true);  // Tab moves on to the next control, as in every other box
}

void Cp932TextEdit::SetText(const QString& text) { setPlainText(text); }

QString Cp932TextEdit::Fitting(const QString& inserted) const {
  const QTextCursor cursor = textCursor();
  const QString text = toPlainText();
  const int start = cursor.selectionStart();
  const int end = cursor.selectionEnd();
  return FittingInsert(text, text.left(start), inserted, text.mid(end), limit_, 2);
}

void Cp932TextEdit::keyPressEvent(QKeyEvent* event) {
  QString inserted;
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    inserted = QStringLiteral("\n");
  } else if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
    inserted = event->text();
  }
  if (!inserted.isEmpty() && Fitting(inserted) != inserted) {
    event->accept();  // refused: the character does not fit
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void Cp932TextEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  if (!commit.isEmpty()) {
    const QString fitting = Fitting(commit);
    if (fitting != commit) {
      QInputMethodEvent cut(event->preeditString(), event->attributes());
      cut.setCommitString(fitting, event->replacementStart(), event->replacementLength());
      QPlainTextEdit::inputMethodEvent(&cut);
      return;
    }
  }
  QPlainTextEdit::inputMethodEvent(event);
}

bool Cp932TextEdit::canInsertFromMimeData(const QMimeData* source) const {
  return source->hasText();
}

void Cp932TextEdit::insertFromMimeData(const QMimeData* source) {
  if (!source->hasText()) return;
  // Like a byte-limited box on the desktop: a paste that is too long is cut to what fits.
  const QString fitting = Fitting(source->text());
  if (!fitting.isEmpty()) textCursor().insertText(fitting);
}

}  // namespace klv::gui
