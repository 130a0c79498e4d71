// The language of the maker's windows. The texts are written in Japanese, which is also the
// language the windows show without a translation; every other reader gets the English
// translation built into the program (translations/klvmaker_en.ts).
#ifndef KLV_MAKER_GUI_WINDOW_LANGUAGE_H_
#define KLV_MAKER_GUI_WINDOW_LANGUAGE_H_

#include <QStringList>
#include <memory>

class QTranslator;

namespace klv::gui {

enum class WindowLanguage { kJapanese, kEnglish };

// The language for a user who reads `ui_languages`, best first, as QLocale::uiLanguages()
// gives them ("ja-JP", "en-GB", "C", ...): Japanese when Japanese comes before English in
// the list, English otherwise (also for an empty list, "C" or only other languages).
WindowLanguage ChooseWindowLanguage(const QStringList& ui_languages);

// The English translation built into the program, loaded; null if it cannot be loaded.
std::unique_ptr<QTranslator> LoadEnglishTranslation();

// Installs the English translation into the application unless the user's languages
// (QLocale::system().uiLanguages(), from LANGUAGE, LC_ALL, LC_MESSAGES and LANG) choose
// Japanese. Returns the installed translator, which must live as long as the windows, or
// null: the windows are Japanese. Call before the windows are built.
std::unique_ptr<QTranslator> InstallWindowLanguage();

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_WINDOW_LANGUAGE_H_
