// The Qt windows' side of the interface language: the English translation of the texts
// that the Qt windows translate themselves (the package window, the message boxes'
// buttons), which the build compiles from the one translation file and embeds in the
// program. The language itself is chosen by klv::UsersLanguage (language/language.h), and
// the maker window's own texts come from the form.
#ifndef KLV_MAKER_GUI_WINDOW_LANGUAGE_H_
#define KLV_MAKER_GUI_WINDOW_LANGUAGE_H_

#include <memory>

#include "language/language.h"

class QTranslator;

namespace klv::gui {

// The English translation built into the program, loaded; null if it cannot be loaded.
std::unique_ptr<QTranslator> LoadEnglishTranslation();

// Installs the English translation into the application when `language` is English.
// Returns the installed translator, which must live as long as the windows, or null: the
// windows are Japanese. Call before the windows are built.
std::unique_ptr<QTranslator> InstallWindowLanguage(WindowLanguage language);

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_WINDOW_LANGUAGE_H_
