// Byte-limited text boxes and the code page 932 conversions at the window's edge. The
// conversions go through the platform seam's Cp932ToUtf8 and Utf8ToCp932; only when a
// whole text fails is it converted character by character, so one bad character costs
// only itself.
#include "cp932_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>
#include <optional>

#include "base/platform.h"
#include "base/text.h"

namespace klv::gui {
namespace {

constexpr char kUnfitReplacement = '?';

// The code page 932 bytes of one character (a code point), or nothing when the code page
// cannot hold it.
std::optional<std::string> CharacterToCp932(char32_t code_point) {
  if (code_point < 0x80) return std::string(1, static_cast<char>(code_point));
  return Utf8ToCp932(QString::fromUcs4(&code_point, 1).toStdString());
}

}  // namespace

std::string ToCp932(const QString& text) {
  const std::string utf8 = text.toStdString();
  if (std::optional<std::string> whole = Utf8ToCp932(utf8)) return *whole;
  std::string bytes;
  for (char32_t code_point : text.toUcs4()) {
    const std::optional<std::string> one = CharacterToCp932(code_point);
    bytes += one ? *one : std::string(1, kUnfitReplacement);
  }
  return bytes;
}

QString FromCp932(const std::string& text) {
  if (std::optional<std::string> whole = Cp932ToUtf8(text)) {
    return QString::fromStdString(*whole);
  }
  QString decoded;
  for (size_t i = 0; i < text.size();) {
    const size_t width = Cp932CharacterWidth(text, i);
    const std::optional<std::string> one = Cp932ToUtf8(text.substr(i, width));
    decoded += one ? QString::fromStdString(*one) : QString(QChar::ReplacementCharacter);
    i += width;
  }
  return decoded;
}

std::string MultiLineToCp932(const QString& text) {
  QString crlf = text;
  crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return ToCp932(crlf);
}

QString MultiLineFromCp932(const std::string& text) {
  QString decoded = FromCp932(text);
  decoded.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  decoded.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return decoded;
}

int Cp932Length(const QString& text, int line_break_bytes) {
  const int line_breaks = static_cast<int>(text.count(QLatin1Char('\n')));
  if (std::optional<std::string> whole = Utf8ToCp932(text.toStdString())) {
    return static_cast<int>(whole->size()) + line_breaks * (line_break_bytes - 1);
  }
  int length = 0;
  for (char32_t code_point : text.toUcs4()) {
    if (code_point == U'\n') {
      length += line_break_bytes;
    } else if (const std::optional<std::string> one = CharacterToCp932(code_point)) {
      length += static_cast<int>(one->size());
    } else {
      length += 1;  // it would be written as "?"
    }
  }
  return length;
}

QString FittingInsert(const QString& before, const QString& head, const QString& inserted,
                      const QString& tail, int limit, int line_break_bytes) {
  const int room = std::max(limit, Cp932Length(before, line_break_bytes)) -
                   Cp932Length(head + tail, line_break_bytes);
  int used = 0;
  QString fitting;
  for (char32_t code_point : inserted.toUcs4()) {
    int bytes = line_break_bytes;
    if (code_point != U'\n') {
      const std::optional<std::string> one = CharacterToCp932(code_point);
      if (!one) break;
      bytes = static_cast<int>(one->size());
    }
    if (used + bytes > room) break;
    used += bytes;
    fitting += QString::fromUcs4(&code_point, 1);
  }
  return fitting;
}

QString LimitEdit(const QString& before, const QString& after, int limit, int line_break_bytes,
                  int* cursor) {
  // The edit replaced before[prefix, before.size() - suffix) by the middle of `after`.
  qsizetype prefix = 0;
  const qsizetype shorter = std::min(before.size(), after.size());
  while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
  if (prefix > 0 && after[prefix - 1].isHighSurrogate()) --prefix;
  qsizetype suffix = 0;
  while (suffix < shorter - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  if (suffix > 0 && after[after.size() - suffix].isLowSurrogate()) --suffix;

  const QString head = after.left(prefix);
  const QString tail = after.right(suffix);
  const QString inserted = after.mid(prefix, after.size() - prefix - suffix);
  const QString fitting = FittingInsert(before, head, inserted, tail, limit, line_break_bytes);
  if (fitting.isEmpty() && !inserted.isEmpty()) {
    if (cursor != nullptr) *cursor = static_cast<int>(prefix);
    return before;
  }
  if (cursor != nullptr) *cursor = static_cast<int>(prefix + fitting.size());
  return head + fitting + tail;
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
