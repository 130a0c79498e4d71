// klvmaker: the maker's desktop program. Opens SourceScr with the settings file at its
// fixed place, in Japanese or, for a user who does not read Japanese, in English, and quits
// when the window ends the program. `klvmaker PICTURE` opens it with the picture chosen;
// `klvmaker PACKAGE...` opens a package window for each package instead (a file that
// cannot be shown is a message) and quits when the last one closes; --help and --version
// print without a window.
#include <QApplication>
#include <QIcon>
#include <QTranslator>
#include <cstdio>
#include <memory>

#include "base/platform.h"
#include "base/text.h"
#include "base/version.h"
#include "form/launch.h"
#include "maker/settings.h"
#include "message_presenter.h"
#include "package_window.h"
#include "source_scr.h"
#include "window_language.h"

int main(int argc, char* argv[]) {
  const klv::WindowLanguage language = klv::UsersLanguage();
  // Read before Qt starts, so that --help and --version need no display.
  const klv::form::Launch launch =
      klv::form::ReadLaunch(klv::Env::Default(), klv::ProgramArguments(argc, argv), language);
  if (launch.kind == klv::form::LaunchKind::kHelp) {
    std::fputs(klv::form::kLaunchUsage, stdout);
    return 0;
  }
  if (launch.kind == klv::form::LaunchKind::kVersion) {
    std::fputs(klv::VersionText("klvmaker").c_str(), stdout);
    return 0;
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

  const std::unique_ptr<QTranslator> english = klv::gui::InstallWindowLanguage(language);
  klv::gui::MessageBoxPresenter presenter;

  if (launch.kind == klv::form::LaunchKind::kRefused) {
    std::fprintf(stderr, "klvmaker: %s\n", klv::OneLine(launch.message).c_str());
    presenter.Show(nullptr, klv::form::MessageKind::kFailure,
                   QString::fromStdString(launch.message));
    return 1;
  }
  if (launch.kind == klv::form::LaunchKind::kPackages) {
    bool opened = false;
    for (const std::string& path : launch.paths) {
      opened = klv::gui::OpenPackageWindow(path, language, presenter, nullptr) != nullptr || opened;
    }
    return opened ? app.exec() : 1;
  }

  klv::gui::SourceScr window(klv::Env::Default(), klv::SettingsPath(), presenter, language);
  QObject::connect(&window, &klv::gui::SourceScr::Ended, &app, &QApplication::quit,
                   Qt::QueuedConnection);
  window.show();
  if (launch.kind == klv::form::LaunchKind::kPicture) window.Form().ChoosePicture(launch.paths[0]);
  return app.exec();
}
