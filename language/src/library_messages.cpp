// The package library's message patterns, composed as the library composes its messages:
// a headline naming the file (%1) and, for a package that was not saved, the cause in
// brackets, naming the picture concerned (%2), with the system's reason (%3) after it.
// Messages are matched on the bytes of the platform's encoding, so that the names come out
// exactly as the library put them in.
#include "language/library_messages.h"

#include <array>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "base/text.h"
#include "language/ui_text.h"

namespace klv {
namespace {

constexpr UiText kHeadlines[] = {
    KLV_TEXT("KLVUtils", "画像の大きさが正しくありません: %1"),
    KLV_TEXT("KLVUtils", "画像を読み込めませんでした: %1"),
    KLV_TEXT("KLVUtils", "タイルの数 (xMax × yMax) が 144 を超えています: %1"),
};
constexpr UiText kSaveFailed = KLV_TEXT("KLVUtils", "ファイルを保存できませんでした: %1");
constexpr UiText kSaveCauses[] = {
    KLV_TEXT("KLVUtils", "作成できません"),
    KLV_TEXT("KLVUtils", "書き込みに失敗しました"),
    KLV_TEXT("KLVUtils", "%2 が読み込まれていません"),
    KLV_TEXT("KLVUtils", "%2 の情報ヘッダーが 40 バイトではありません"),
    KLV_TEXT("KLVUtils", "%2 のデータがヘッダーの示す大きさに足りません"),
    KLV_TEXT("KLVUtils", "%2 が変換の途中で変更されました"),
};
// The save failure's headline (%1) and its cause (%2).
constexpr UiText kWithCause = KLV_TEXT("KLVUtils", "%1（%2）");
// The system's reason follows the cause, in every language.
constexpr std::string_view kReason = ": %3";

// The placeholders %1 to %3: the file, the picture concerned, the reason.
using Values = std::array<std::string, 3>;

// One of the library's messages in Japanese, as the library words it, and in English.
struct MessagePattern {
  std::string japanese;
  std::string english;
};

// Every message the library sends. A save failure with a cause comes before the bare
// headline, which would match it too.
std::vector<MessagePattern> MessagePatterns() {
  const auto english = [](UiText text) { return Translate(WindowLanguage::kEnglish, text); };
  std::vector<MessagePattern> patterns;
  for (const UiText& cause : kSaveCauses) {
    for (const std::string_view reason : {kReason, std::string_view()}) {
      const std::string japanese_cause = std::string(cause.source) + std::string(reason);
      const std::string english_cause = std::string(english(cause)) + std::string(reason);
      patterns.push_back({FormatText(kWithCause.source, {kSaveFailed.source, japanese_cause}),
                          FormatText(english(kWithCause), {english(kSaveFailed), english_cause})});
    }
  }
  for (const UiText& headline : kHeadlines) {
    patterns.push_back({std::string(headline.source), std::string(english(headline))});
  }
  patterns.push_back({std::string(kSaveFailed.source), std::string(english(kSaveFailed))});
  return patterns;
}

// `utf8` in the encoding the library's messages arrive in, converted as the library
// converts its wording.
std::string InMessageEncoding(const std::string& utf8) {
#if defined(_WIN32)
  return Utf8ToCp932(utf8).value_or(utf8);
#else
  return utf8;
#endif
}

// Where `text` may be split: at every byte in UTF-8, where no piece of a pattern can match
// inside a character; in code page 932 not after the first byte of a double-byte
// character. One entry per byte and one for the end.
std::vector<bool> CharacterStarts(std::string_view text) {
  std::vector<bool> starts(text.size() + 1, true);
#if defined(_WIN32)
  for (size_t i = 0; i < text.size(); i += Cp932CharacterWidth(text, i)) {
    if (Cp932CharacterWidth(text, i) == 2) starts[i + 1] = false;
  }
#endif
  return starts;
}

// A pattern split at its placeholders: literals[0], numbers[0], literals[1], ... with one
// literal more than placeholders.
struct Pieces {
  std::vector<std::string_view> literals;
  std::vector<size_t> numbers;  // 0 for %1
};

Pieces SplitPattern(std::string_view pattern) {
  Pieces pieces;
  size_t start = 0;
  for (size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] == '%' && pattern[i + 1] >= '1' && pattern[i + 1] <= '3') {
      pieces.literals.push_back(pattern.substr(start, i - start));
      pieces.numbers.push_back(static_cast<size_t>(pattern[i + 1] - '1'));
      start = i + 2;
      ++i;
    }
  }
  pieces.literals.push_back(pattern.substr(start));
  return pieces;
}

// Matches text[at..] against the pieces from literal `i` on, filling *values. Each
// placeholder takes as much of the text as it can: a name holding a piece of the pattern
// (a bracket in a folder's name) still ends before the cause that follows it.
bool MatchFrom(const Pieces& pieces, std::string_view text, const std::vector<bool>& starts,
               size_t at, size_t i, Values* values) {
  const std::string_view literal = pieces.literals[i];
  if (text.compare(at, literal.size(), literal) != 0) return false;
  at += literal.size();
  if (i == pieces.numbers.size()) return at == text.size();
  const std::string_view next = pieces.literals[i + 1];
  for (size_t end = text.size() + 1; end-- > at;) {
    if (!starts[end] || text.compare(end, next.size(), next) != 0) continue;
    if (MatchFrom(pieces, text, starts, end, i + 1, values)) {
      (*values)[pieces.numbers[i]] = std::string(text.substr(at, end - at));
      return true;
    }
  }
  return false;
}

}  // namespace

std::string LibraryMessageIn(WindowLanguage language, const std::string& text) {
  if (language == WindowLanguage::kJapanese) return text;
  const std::vector<bool> starts = CharacterStarts(text);
  for (const MessagePattern& pattern : MessagePatterns()) {
    const std::string japanese = InMessageEncoding(pattern.japanese);
    Values values;
    if (MatchFrom(SplitPattern(japanese), text, starts, 0, 0, &values)) {
      return FormatText(InMessageEncoding(pattern.english), {values[0], values[1], values[2]});
    }
  }
  return text;
}

}  // namespace klv
