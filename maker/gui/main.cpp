// klvmaker: the maker's desktop program. Opens SourceScr with the settings file at its
// fixed place, in Japanese or, for a user who does not read Japanese, in English, and quits
// when the window ends the program; `klvmaker PACKAGE...` opens a package window for each
// package instead and quits when the last one closes.
#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/platform.h"
#include "base/version.h"
#include "maker/settings.h"
#include "message_presenter.h"
#include "package_window.h"
#include "source_scr.h"
#include "window_language.h"

int main(int argc, char* argv[]) {
  // Answered before Qt starts, so that it needs no display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs(klv::VersionText("klvmaker").c_str(), stdout);
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(klv::gui::kProgramTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(klv::kVersion));
  // The desktop entry's name: the desktop shows the entry's icon and name for the window.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.klvmaker.KLVMaker"));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/48x48/apps/io.github.klvmaker.KLVMaker.png"));
  icon.addFile(QStringLiteral(":/icons/256x256/apps/io.github.klvmaker.KLVMaker.png"));
  QApplication::setWindowIcon(icon);

  const std::unique_ptr<QTranslator> english = klv::gui::InstallWindowLanguage();

  const QStringList packages = QApplication::arguments().mid(1);
  if (!packages.isEmpty()) {
    for (const QString& path : packages) klv::gui::OpenPackageWindow(path, nullptr);
    return app.exec();
  }

  klv::gui::MessageBoxPresenter presenter;
  klv::gui::SourceScr window(klv::Env::Default(), klv::SettingsPath(), presenter);
  QObject::connect(&window, &klv::gui::SourceScr::Ended, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  window.show();
  return app.exec();
}
