// How the maker window shows its modal messages: the completion message, the library's
// information messages, the failure reports and its questions. A seam, so that tests can record the
// messages instead of waiting for a person to close the boxes.
#ifndef KLV_MAKER_GUI_MESSAGE_PRESENTER_H_
#define KLV_MAKER_GUI_MESSAGE_PRESENTER_H_

#include <QString>

#include "form/source_form.h"

class QWidget;

namespace klv::gui {

// The title of the maker's message boxes.
inline constexpr char kProgramTitle[] = "KLVMaker";

using form::Answer;
using form::MessageKind;

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Shows `text` and returns when the user has closed it. `parent` may be null.
  virtual void Show(QWidget* parent, MessageKind kind, const QString& text) = 0;
  // Asks the yes-or-no question `text`, with `default_answer` on the default button, and
  // returns the answer once the user has given it (Escape answers no). A presenter that
  // cannot ask answers no.
  virtual Answer Ask(QWidget* /*parent*/, const QString& /*text*/, Answer /*default_answer*/) {
    return Answer::kNo;
  }
};

// Modal QMessageBox boxes with the program's title: one OK button, or for a question
// the buttons はい and いいえ (translated like the window's texts).
class MessageBoxPresenter : public MessagePresenter {
 public:
  void Show(QWidget* parent, MessageKind kind, const QString& text) override;
  Answer Ask(QWidget* parent, const QString& text, Answer default_answer) override;
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_MESSAGE_PRESENTER_H_
