// How the maker window shows its modal messages: the completion message, the library's
// information messages, the failure reports and its questions. A seam, so that tests can record the
// messages instead of waiting for a person to close the boxes.
#ifndef KLV_MAKER_GUI_MESSAGE_PRESENTER_H_
#define KLV_MAKER_GUI_MESSAGE_PRESENTER_H_

#include <QString>

class QWidget;

namespace klv::gui {

// The title of the maker's message boxes.
inline constexpr char kProgramTitle[] = "KLVMaker";

enum class MessageKind {
  kCompletion,   // "コンバートが終了しました": OK button, no icon
  kInformation,  // a message of the package library: information icon
  kFailure,      // a failed step, naming the file and the cause: warning icon
};

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Shows `text` and returns when the user has closed it. `parent` may be null.
  virtual void Show(QWidget* parent, MessageKind kind, const QString& text) = 0;
  // Asks the yes-or-no question `text` and returns true for yes, once the user has
  // answered. A presenter that cannot ask answers no.
  virtual bool Ask(QWidget* /*parent*/, const QString& /*text*/) { return false; }
};

// Modal QMessageBox boxes with the program's title: one OK button, or for a question
// the buttons はい and いいえ (translated like the window's texts).
class MessageBoxPresenter : public MessagePresenter {
 public:
  void Show(QWidget* parent, MessageKind kind, const QString& text) override;
  bool Ask(QWidget* parent, const QString& text) override;
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_MESSAGE_PRESENTER_H_
