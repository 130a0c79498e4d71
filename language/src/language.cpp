// Choosing the interface language from the user's preferred languages, and reading that
// list where each platform keeps it.
#include "language/language.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace klv {
namespace {

// True for "ja", "ja-JP", "ja_JP.UTF-8" and the like, without regard to case.
bool IsLanguage(std::string_view name, std::string_view language) {
  if (name.size() < language.size()) return false;
  for (size_t i = 0; i < language.size(); ++i) {
    const char c = name[i];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != language[i]) return false;
  }
  if (name.size() == language.size()) return true;
  const char next = name[language.size()];
  return next == '-' || next == '_' || next == '.' || next == '@';
}

#if !defined(_WIN32)
std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}
#endif

}  // namespace

WindowLanguage ChooseWindowLanguage(const std::vector<std::string>& ui_languages) {
  for (const std::string& name : ui_languages) {
    if (IsLanguage(name, "ja")) return WindowLanguage::kJapanese;
    if (IsLanguage(name, "en")) return WindowLanguage::kEnglish;
  }
  return WindowLanguage::kEnglish;
}

#if defined(_WIN32)
std::vector<std::string> UserUiLanguages() {
  ULONG count = 0;
  ULONG length = 0;
  if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &length) || length == 0) {
    return {};
  }
  std::wstring names(length, L'\0');
  if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &length)) return {};
  // A list of zero-terminated names ending in an empty one; the names are ASCII.
  std::vector<std::string> languages;
  std::string name;
  for (const wchar_t c : names) {
    if (c != L'\0') {
      name += c < 0x80 ? static_cast<char>(c) : '?';
      continue;
    }
    if (name.empty()) break;
    languages.push_back(name);
    name.clear();
  }
  return languages;
}
#else
std::vector<std::string> UserUiLanguages() {
  std::vector<std::string> languages;
  const std::string list = Variable("LANGUAGE");
  size_t start = 0;
  while (start <= list.size() && !list.empty()) {
    const size_t colon = std::min(list.find(':', start), list.size());
    if (colon > start) languages.push_back(list.substr(start, colon - start));
    start = colon + 1;
  }
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string value = Variable(name);
    if (!value.empty()) {
      languages.push_back(std::move(value));
      break;
    }
  }
  return languages;
}
#endif

WindowLanguage UsersLanguage() { return ChooseWindowLanguage(UserUiLanguages()); }

}  // namespace klv
