// The texts' lookup and arguments, and the translation file as the build turns it into the
// table and into JSON: every English text complete, with the source's placeholders.
#include "language/ui_text.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

namespace klv {
namespace {

// Kana, CJK ideographs, the CJK punctuation and the full- and half-width forms, in UTF-8:
// what no English text holds.
bool HasJapanese(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 0xE3 && byte <= 0xE9) || byte == 0xEF) return true;
  }
  return false;
}

std::set<std::string> Placeholders(std::string_view text) {
  std::set<std::string> found;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') {
      found.insert(std::string(text.substr(i, 2)));
    }
  }
  return found;
}

TEST(UiText, TranslateGivesTheSourceOrItsEnglish) {
  constexpr UiText kMake = KLV_TEXT("SourceScr", "分解");
  EXPECT_EQ(Translate(WindowLanguage::kJapanese, kMake), "分解");
  EXPECT_EQ(Translate(WindowLanguage::kEnglish, kMake), "Make the puzzle");
  // A text the file does not have, or has only in another context, stays as written.
  EXPECT_EQ(Translate(WindowLanguage::kEnglish, KLV_TEXT("SourceScr", "未訳")), "未訳");
  EXPECT_EQ(Translate(WindowLanguage::kEnglish, KLV_TEXT("NoSuchWindow", "分解")), "分解");
}

TEST(UiText, FormatTextFillsNumberedPlaceholders) {
  const struct {
    const char* pattern;
    std::initializer_list<std::string_view> arguments;
    const char* expected;
  } cases[] = {
      {"ピース数： x = %1 , y = %2", {"9", "7"}, "ピース数： x = 9 , y = 7"},
      {"%2 before %1", {"a", "b"}, "b before a"},
      {"%1%1", {"x"}, "xx"},
      {"100% and %3", {"a"}, "100% and %3"},
      {"ends with %", {}, "ends with %"},
      {"%1", {"%2"}, "%2"},  // an argument is not read again
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatText(c.pattern, c.arguments), c.expected) << c.pattern;
}

TEST(UiText, EveryEnglishTextIsCompleteAndKeepsThePlaceholders) {
  ASSERT_FALSE(EnglishTexts().empty());
  std::set<std::pair<std::string_view, std::string_view>> seen;
  for (const TextTranslation& entry : EnglishTexts()) {
    SCOPED_TRACE(std::string(entry.context) + ": " + std::string(entry.source));
    EXPECT_FALSE(entry.translation.empty());
    EXPECT_FALSE(HasJapanese(entry.translation)) << entry.translation;
    EXPECT_EQ(Placeholders(entry.translation), Placeholders(entry.source));
    EXPECT_TRUE(seen.insert({entry.context, entry.source}).second) << "listed twice";
  }
  // The character reference of the file (&#x3000;) arrives as the character.
  EXPECT_EQ(
      Translate(WindowLanguage::kEnglish, KLV_TEXT("SourceScr", "画像の説明\u3000（255文字まで）")),
      "Description (255 characters)");
}

TEST(UiText, TheJsonHoldsTheTableEntryForEntry) {
  std::ifstream file(KLV_TEXTS_JSON);
  ASSERT_TRUE(file) << KLV_TEXTS_JSON;
  const nlohmann::json json = nlohmann::json::parse(file);
  size_t count = 0;
  for (const auto& [context, texts] : json.items()) {
    for (const auto& [source, translation] : texts.items()) {
      ++count;
      EXPECT_EQ(Translate(WindowLanguage::kEnglish, UiText{context, source}),
                translation.get<std::string>())
          << context << ": " << source;
    }
  }
  EXPECT_EQ(count, EnglishTexts().size());
}

}  // namespace
}  // namespace klv
