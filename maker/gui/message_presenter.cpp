// The maker's message boxes: application-modal, one OK button, the program's title.
#include "message_presenter.h"

#include <QMessageBox>

namespace klv::gui {

void MessageBoxPresenter::Show(QWidget* parent, MessageKind kind, const QString& text) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (kind) {
    case MessageKind::kCompletion: icon = QMessageBox::NoIcon; break;
    case MessageKind::kInformation: icon = QMessageBox::Information; break;
    case MessageKind::kFailure: icon = QMessageBox::Warning; break;
  }
  QMessageBox box(icon, QString::fromLatin1(kProgramTitle), text, QMessageBox::Ok, parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace klv::gui
