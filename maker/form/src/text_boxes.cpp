// The window texts' code page 932 forms and the boxes' typing rules. The conversions go
// through the platform seam's Cp932ToUtf8 and Utf8ToCp932; only when a whole text fails is
// it converted character by character, so one bad character costs only itself.
#include "form/text_boxes.h"

#include <algorithm>
#include <optional>

#include "base/platform.h"
#include "base/text.h"

namespace klv::form {
namespace {

constexpr char kUnfitReplacement = '?';
constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code points of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
template <typename Visit>
void ForEachCodePoint(std::u16string_view text, Visit visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      visit(static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00)));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      visit(kReplacementCharacter);
    } else {
      visit(static_cast<char32_t>(unit));
    }
  }
}

void AppendUtf16(char32_t code_point, std::u16string* out) {
  if (code_point < 0x10000) {
    *out += static_cast<char16_t>(code_point);
    return;
  }
  const char32_t offset = code_point - 0x10000;
  *out += static_cast<char16_t>(0xD800 + (offset >> 10));
  *out += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
}

// The code page 932 bytes of one character, or nothing when the code page cannot hold it.
std::optional<std::string> CharacterToCp932(char32_t code_point) {
  if (code_point < 0x80) return std::string(1, static_cast<char>(code_point));
  std::string utf8;
  AppendUtf8(code_point, &utf8);
  return Utf8ToCp932(utf8);
}

// The bytes one character takes in a box: a line break `line_break_bytes`, a character
// the code page cannot hold nothing.
std::optional<size_t> BoxBytes(char32_t code_point, size_t line_break_bytes) {
  if (code_point == U'\n') return line_break_bytes;
  const std::optional<std::string> bytes = CharacterToCp932(code_point);
  if (!bytes) return std::nullopt;
  return bytes->size();
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string ToCp932(std::string_view text) {
  if (std::optional<std::string> whole = Utf8ToCp932(std::string(text))) return *whole;
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    const std::optional<Utf8Character> character = DecodeUtf8(text, i);
    const std::optional<std::string> one =
        character ? CharacterToCp932(character->codePoint) : std::nullopt;
    bytes += one ? *one : std::string(1, kUnfitReplacement);
    i += character ? character->length : 1;
  }
  return bytes;
}

std::string FromCp932(const std::string& text) {
  if (std::optional<std::string> whole = Cp932ToUtf8(text)) return *whole;
  std::string decoded;
  for (size_t i = 0; i < text.size();) {
    const size_t width = Cp932CharacterWidth(text, i);
    const std::optional<std::string> one = Cp932ToUtf8(text.substr(i, width));
    if (one) {
      decoded += *one;
    } else {
      AppendUtf8(kReplacementCharacter, &decoded);
    }
    i += width;
  }
  return decoded;
}

std::string MultiLineToCp932(std::string_view text) {
  std::string crlf;
  for (const char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return ToCp932(crlf);
}

std::string MultiLineFromCp932(const std::string& text) {
  const std::string decoded = FromCp932(text);
  std::string lines;
  for (size_t i = 0; i < decoded.size(); ++i) {
    if (decoded[i] != '\r') {
      lines += decoded[i];
    } else {
      lines += '\n';
      if (i + 1 < decoded.size() && decoded[i + 1] == '\n') ++i;
    }
  }
  return lines;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string wide;
  for (size_t i = 0; i < text.size();) {
    const std::optional<Utf8Character> character = DecodeUtf8(text, i);
    AppendUtf16(character ? character->codePoint : kReplacementCharacter, &wide);
    i += character ? character->length : 1;
  }
  return wide;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string utf8;
  ForEachCodePoint(text, [&utf8](char32_t code_point) { AppendUtf8(code_point, &utf8); });
  return utf8;
}

size_t Cp932Length(std::u16string_view text, size_t line_break_bytes) {
  size_t length = 0;
  ForEachCodePoint(text, [&](char32_t code_point) {
    length += BoxBytes(code_point, line_break_bytes).value_or(1);  // unfit: written as "?"
  });
  return length;
}

std::u16string FittingInsert(std::u16string_view before, std::u16string_view head,
                             std::u16string_view inserted, std::u16string_view tail, size_t limit,
                             size_t line_break_bytes) {
  const size_t allowed = std::max(limit, Cp932Length(before, line_break_bytes));
  const size_t kept = Cp932Length(head, line_break_bytes) + Cp932Length(tail, line_break_bytes);
  const size_t room = allowed > kept ? allowed - kept : 0;
  size_t used = 0;
  bool stopped = false;
  std::u16string fitting;
  ForEachCodePoint(inserted, [&](char32_t code_point) {
    if (stopped) return;
    const std::optional<size_t> bytes = BoxBytes(code_point, line_break_bytes);
    if (!bytes || used + *bytes > room) {
      stopped = true;
      return;
    }
    used += *bytes;
    AppendUtf16(code_point, &fitting);
  });
  return fitting;
}

std::u16string LimitEdit(std::u16string_view before, std::u16string_view after, size_t limit,
                         size_t line_break_bytes, size_t* cursor) {
  // The edit replaced before[prefix, before.size() - suffix) by the middle of `after`.
  size_t prefix = 0;
  const size_t shorter = std::min(before.size(), after.size());
  while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
  if (prefix > 0 && IsHighSurrogate(after[prefix - 1])) --prefix;
  size_t suffix = 0;
  while (suffix < shorter - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
    ++suffix;
  }
  if (suffix > 0 && IsLowSurrogate(after[after.size() - suffix])) --suffix;

  const std::u16string_view head = after.substr(0, prefix);
  const std::u16string_view tail = after.substr(after.size() - suffix);
  const std::u16string_view inserted = after.substr(prefix, after.size() - prefix - suffix);
  const std::u16string fitting =
      FittingInsert(before, head, inserted, tail, limit, line_break_bytes);
  if (fitting.empty() && !inserted.empty()) {
    if (cursor != nullptr) *cursor = prefix;
    return std::u16string(before);
  }
  if (cursor != nullptr) *cursor = prefix + fitting.size();
  std::u16string result(head);
  result += fitting;
  result += tail;
  return result;
}

bool IsDensityText(std::string_view text) {
  if (text.size() > 3) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= 100;
}

}  // namespace klv::form
