// klvmaker: the maker's desktop program. Opens SourceScr with the settings file at its
// fixed place and quits when the window ends the program.
#include <QApplication>

#include "base/platform.h"
#include "maker/settings.h"
#include "message_presenter.h"
#include "source_scr.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(klv::gui::kProgramTitle));

  klv::gui::MessageBoxPresenter presenter;
  klv::gui::SourceScr window(klv::Env::Default(), klv::SettingsPath(), presenter);
  QObject::connect(&window, &klv::gui::SourceScr::Ended, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  window.show();
  return app.exec();
}
