// The maker's message boxes: application-modal, the program's title, one OK button or the
// two buttons of a question.
#include "message_presenter.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

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

Answer MessageBoxPresenter::Ask(QWidget* parent, const QString& text, Answer default_answer) {
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramTitle), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.button(QMessageBox::Yes)
      ->setText(QCoreApplication::translate("klv::gui::MessageBoxPresenter", "はい"));
  box.button(QMessageBox::No)
      ->setText(QCoreApplication::translate("klv::gui::MessageBoxPresenter", "いいえ"));
  box.setDefaultButton(default_answer == Answer::kYes ? QMessageBox::Yes : QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec() == QMessageBox::Yes ? Answer::kYes : Answer::kNo;
}

}  // namespace klv::gui
