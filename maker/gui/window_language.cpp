// Loading the English translation, which the build compiles from
// language/translations/klvmaker_en.ts and embeds in the program under :/i18n.
#include "window_language.h"

#include <QCoreApplication>
#include <QTranslator>

namespace klv::gui {

std::unique_ptr<QTranslator> LoadEnglishTranslation() {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral(":/i18n/klvmaker_en.qm"))) return nullptr;
  return translator;
}

std::unique_ptr<QTranslator> InstallWindowLanguage(WindowLanguage language) {
  if (language == WindowLanguage::kJapanese) return nullptr;
  std::unique_ptr<QTranslator> english = LoadEnglishTranslation();
  if (english) QCoreApplication::installTranslator(english.get());
  return english;
}

}  // namespace klv::gui
