// Looking a text up in its translation, and filling in its arguments.
#include "language/ui_text.h"

namespace klv {

std::string_view Translate(WindowLanguage language, UiText text) {
  if (language == WindowLanguage::kJapanese) return text.source;
  for (const TextTranslation& entry : EnglishTexts()) {
    if (entry.context == text.context && entry.source == text.source) return entry.translation;
  }
  return text.source;
}

std::string FormatText(std::string_view pattern,
                       std::initializer_list<std::string_view> arguments) {
  std::string text;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      const auto number = static_cast<size_t>(pattern[i + 1] - '1');
      if (number < arguments.size()) {
        text += *(arguments.begin() + number);
        ++i;
        continue;
      }
    }
    text += c;
  }
  return text;
}

}  // namespace klv
