// The language of the product's user interface: Japanese, the language its texts are
// written in, or English. Chosen from the user's preferred languages by one rule for
// every front end (the Qt window, the Windows window, and the command-line tools and the
// web page, which can link this without any window toolkit).
#ifndef KLV_LANGUAGE_LANGUAGE_H_
#define KLV_LANGUAGE_LANGUAGE_H_

#include <string>
#include <vector>

namespace klv {

enum class WindowLanguage { kJapanese, kEnglish };

// The language for a user who reads `ui_languages`, best first, in any of the usual
// spellings ("ja-JP", "ja_JP.UTF-8", "en-GB", "C", ...): Japanese when a Japanese entry
// comes before any English one, English otherwise (also for an empty list, "C" or only
// other languages, since the English is the one translation there is).
WindowLanguage ChooseWindowLanguage(const std::vector<std::string>& ui_languages);

// The user's preferred user-interface languages, best first. Windows: the user's list
// (GetUserPreferredUILanguages, "ja-JP"). Linux: the entries of LANGUAGE (a colon-separated
// list), then the first that is set of LC_ALL, LC_MESSAGES and LANG. Empty when none is set.
std::vector<std::string> UserUiLanguages();

// ChooseWindowLanguage(UserUiLanguages()): the language a front end starts in.
WindowLanguage UsersLanguage();

}  // namespace klv

#endif  // KLV_LANGUAGE_LANGUAGE_H_
