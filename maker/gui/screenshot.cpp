// klvmaker_screenshot: draws the maker's window, in the language the environment chooses,
// with a picture chosen, into a PNG file: the screenshot of the README and the software
// centres' entry (scripts/screenshot.sh runs it under a virtual X display).
// Usage: klvmaker_screenshot OUT.png FOLDER PICTURE (PICTURE: a file name in FOLDER).
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

#include "base/platform.h"
#include "file_lists.h"
#include "message_presenter.h"
#include "source_scr.h"
#include "window_language.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fputs("usage: klvmaker_screenshot OUT.png FOLDER PICTURE\n", stderr);
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  const QString picture = QString::fromLocal8Bit(argv[3]);
  const klv::WindowLanguage language = klv::UsersLanguage();
  const auto english = klv::gui::InstallWindowLanguage(language);

  // The settings of a first run that had chosen the folder as source and destination.
  QTemporaryDir config;
  const std::string settings = (config.path() + "/Morvel.ini").toStdString();
  for (const char* key : {"SrcDir", "DestDir"}) {
    if (!klv::Env::Default()
             .WriteProfileString(settings, "ToolsData", key, folder.toStdString())
             .ok()) {
      std::fputs("klvmaker_screenshot: cannot write the settings\n", stderr);
      return 1;
    }
  }
  klv::gui::MessageBoxPresenter presenter;
  klv::gui::SourceScr window(klv::Env::Default(), settings, presenter, language);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    std::fputs("klvmaker_screenshot: the window was not shown\n", stderr);
    return 1;
  }
  auto* files = window.findChild<klv::gui::FileList*>(QStringLiteral("File1"));
  const QList<QListWidgetItem*> found = files->findItems(picture, Qt::MatchExactly);
  if (found.size() != 1) {
    std::fprintf(stderr, "klvmaker_screenshot: %s is not in the file list\n", argv[3]);
    return 1;
  }
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    files->visualItemRect(found.front()).center());
  QTest::qWait(200);
  if (!window.grab().save(out, "PNG")) {
    std::fprintf(stderr, "klvmaker_screenshot: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
