// Choosing the windows' language from the user's preferred languages, and loading the
// English translation, which the build compiles from translations/klvmaker_en.ts and
// embeds in the program under :/i18n.
#include "window_language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace klv::gui {
namespace {

// True for "ja", "ja-JP", "ja_JP.UTF-8" and the like.
bool IsLanguage(const QString& name, QLatin1String language) {
  if (!name.startsWith(language, Qt::CaseInsensitive)) return false;
  return name.size() == language.size() || name.at(language.size()) == QLatin1Char('-') ||
         name.at(language.size()) == QLatin1Char('_') ||
         name.at(language.size()) == QLatin1Char('.');
}

}  // namespace

WindowLanguage ChooseWindowLanguage(const QStringList& ui_languages) {
  for (const QString& name : ui_languages) {
    if (IsLanguage(name, QLatin1String("ja"))) return WindowLanguage::kJapanese;
    if (IsLanguage(name, QLatin1String("en"))) return WindowLanguage::kEnglish;
  }
  return WindowLanguage::kEnglish;
}

std::unique_ptr<QTranslator> LoadEnglishTranslation() {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral(":/i18n/klvmaker_en.qm"))) return nullptr;
  return translator;
}

std::unique_ptr<QTranslator> InstallWindowLanguage() {
  if (ChooseWindowLanguage(QLocale::system().uiLanguages()) == WindowLanguage::kJapanese) {
    return nullptr;
  }
  std::unique_ptr<QTranslator> english = LoadEnglishTranslation();
  if (english) QCoreApplication::installTranslator(english.get());
  return english;
}

}  // namespace klv::gui
