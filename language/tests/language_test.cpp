// The language a user's preferences choose, from the list and from the language variables
// of a Linux desktop, as every front end starts.
#include "language/language.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

namespace klv {
namespace {

TEST(Language, TheFirstOfJapaneseAndEnglishInTheListChooses) {
  const struct {
    std::vector<std::string> list;
    WindowLanguage expected;
  } cases[] = {
      {{"ja-JP"}, WindowLanguage::kJapanese},
      {{"JA_jp.UTF-8"}, WindowLanguage::kJapanese},
      {{"fr-FR", "ja-JP", "en-US"}, WindowLanguage::kJapanese},
      {{"en-GB", "ja-JP"}, WindowLanguage::kEnglish},
      {{"de-DE"}, WindowLanguage::kEnglish},
      {{"C"}, WindowLanguage::kEnglish},
      {{}, WindowLanguage::kEnglish},
      // "jam" (Jamaican Creole) and "english" are not Japanese or English by their first letters.
      {{"jam-JM", "ja"}, WindowLanguage::kJapanese},
      {{"japanese", "en"}, WindowLanguage::kEnglish},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& name : c.list) shown += name + " ";
    EXPECT_EQ(ChooseWindowLanguage(c.list), c.expected) << shown;
  }
}

// The variables as a desktop session sets them; LANGUAGE lists languages in order, and of
// the locale variables the first that is set counts.
TEST(Language, TheUsersLanguageVariablesChoose) {
  const struct {
    const char* language;
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    WindowLanguage expected;
  } cases[] = {
      {"ja", nullptr, nullptr, "C.UTF-8", WindowLanguage::kJapanese},
      {nullptr, "ja_JP.UTF-8", nullptr, "en_US.UTF-8", WindowLanguage::kJapanese},
      {"fr_FR:ja", nullptr, nullptr, "fr_FR.UTF-8", WindowLanguage::kJapanese},
      {nullptr, nullptr, nullptr, "de_DE.UTF-8", WindowLanguage::kEnglish},
      {nullptr, nullptr, nullptr, "C", WindowLanguage::kEnglish},
      {nullptr, nullptr, nullptr, "jam_JM.UTF-8", WindowLanguage::kEnglish},
      {"en_US:ja", nullptr, nullptr, "ja_JP.UTF-8", WindowLanguage::kEnglish},
      {nullptr, nullptr, "ja_JP.UTF-8", "en_GB.UTF-8", WindowLanguage::kJapanese},
      {"", "", "", "", WindowLanguage::kEnglish},
      {nullptr, nullptr, nullptr, nullptr, WindowLanguage::kEnglish},
  };
  const char* const names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
  for (const auto& c : cases) {
    const char* const values[] = {c.language, c.lc_all, c.lc_messages, c.lang};
    std::string shown;
    for (int i = 0; i < 4; ++i) {
      if (values[i] != nullptr) {
        setenv(names[i], values[i], 1);
        shown += std::string(names[i]) + "=" + values[i] + " ";
      } else {
        unsetenv(names[i]);
      }
    }
    EXPECT_EQ(UsersLanguage(), c.expected) << shown;
  }
}

}  // namespace
}  // namespace klv
