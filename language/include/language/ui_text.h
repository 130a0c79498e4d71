// The texts of the user interface and their one translation. A text is written in the
// sources in Japanese, the source language, with the context it belongs to, through
// KLV_TEXT (which Qt's lupdate knows as QT_TRANSLATE_NOOP, so that the English file
// translations/klvmaker_en.ts lists every text). The build turns that file into the table
// that EnglishTexts gives (and, for a web page, into JSON: the target klv_texts_json).
//
// For a front end without a window toolkit (a command-line tool, say):
//   constexpr UiText kDone = KLV_TEXT("klvmake", "コンバートが終了しました");
//   std::cout << Translate(UsersLanguage(), kDone) << '\n';
// then `cmake --build build/dev --target update_translations` adds the text to the .ts,
// where its English is written once.
#ifndef KLV_LANGUAGE_UI_TEXT_H_
#define KLV_LANGUAGE_UI_TEXT_H_

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "language/language.h"

namespace klv {

// One text: the context it is translated in (a window's or a program's name) and its
// Japanese source, both UTF-8. Placeholders %1 to %9 stand for arguments (FormatText).
struct UiText {
  std::string_view context;
  std::string_view source;
};

// Marks a text for the translation file; both arguments must be string literals.
#define KLV_TEXT(context, source) (::klv::UiText{context, source})

// One entry of a translation: the text's context and source, and what it reads in the
// other language.
struct TextTranslation {
  std::string_view context;
  std::string_view source;
  std::string_view translation;
};

// Every text of translations/klvmaker_en.ts with its English, in the file's order.
std::span<const TextTranslation> EnglishTexts();

// `text` in `language`: its source for Japanese; for English its English, or the source
// when the translation has none (so a text is never lost, only left untranslated).
std::string_view Translate(WindowLanguage language, UiText text);

// `pattern` with each %1 to %9 replaced by the argument of that number (the first is %1);
// a placeholder without its argument, and any other "%", stay as they are.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments);

}  // namespace klv

#endif  // KLV_LANGUAGE_UI_TEXT_H_
