// Tests of the text helpers: UTF-8 decoding at its edges (overlong forms, surrogates,
// values past U+10FFFF, sequences cut short), the code page 932 character step, and
// messages made one line.
#include "base/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace klv {
namespace {

using namespace std::string_literals;

TEST(Text, DecodeUtf8TakesOnlyWellFormedSequences) {
  struct Case {
    const char* what;
    std::string text;
    size_t pos;
    std::optional<char32_t> code_point;  // nothing: not well-formed
    size_t length;
  };
  const Case cases[] = {
      {"ASCII", "A", 0, U'A', 1},
      {"zero byte", "\0"s, 0, U'\0', 1},
      {"lowest two-byte", "\xC2\x80", 0, 0x80, 2},
      {"lowest three-byte", "\xE0\xA0\x80", 0, 0x800, 3},
      {"kana", "\xE3\x81\x82", 0, 0x3042, 3},
      {"before the surrogates", "\xED\x9F\xBF", 0, 0xD7FF, 3},
      {"lowest four-byte", "\xF0\x90\x80\x80", 0, 0x10000, 4},
      {"highest value", "\xF4\x8F\xBF\xBF", 0, 0x10FFFF, 4},
      {"inside a text", "a\xC3\xA9z", 1, 0xE9, 2},
      {"overlong two-byte C0", "\xC0\x80", 0, std::nullopt, 0},
      {"overlong three-byte", "\xE0\x9F\xBF", 0, std::nullopt, 0},
      {"overlong four-byte", "\xF0\x8F\xBF\xBF", 0, std::nullopt, 0},
      {"first surrogate", "\xED\xA0\x80", 0, std::nullopt, 0},
      {"last surrogate", "\xED\xBF\xBF", 0, std::nullopt, 0},
      {"past U+10FFFF", "\xF4\x90\x80\x80", 0, std::nullopt, 0},
      {"lead F5", "\xF5\x80\x80\x80", 0, std::nullopt, 0},
      {"lone continuation", "\x80", 0, std::nullopt, 0},
      {"inside a character", "\xE3\x81\x82", 1, std::nullopt, 0},
      {"lone lead at the end", "ab\xC3", 2, std::nullopt, 0},
      {"three-byte cut after two", "\xE3\x81", 0, std::nullopt, 0},
      {"four-byte cut after three", "\xF0\x9F\x98", 0, std::nullopt, 0},
      {"ASCII instead of a continuation", "\xC3(", 0, std::nullopt, 0},
      {"at the end", "ab", 2, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<Utf8Character> decoded = DecodeUtf8(c.text, c.pos);
    ASSERT_EQ(decoded.has_value(), c.code_point.has_value());
    if (!decoded) continue;
    EXPECT_EQ(decoded->codePoint, *c.code_point);
    EXPECT_EQ(decoded->length, c.length);
  }
}

TEST(Text, Cp932CharacterWidthKeepsDoubleByteCharactersWhole) {
  struct Case {
    const char* what;
    std::string text;
    size_t pos;
    size_t width;
  };
  const Case cases[] = {
      {"ASCII", "a", 0, 1},
      {"trail byte is a letter", "\x83\x41", 0, 2},  // "ア"
      {"trail byte is a backslash", "\x81\x5C", 0, 2},
      {"trail byte read alone", "\x83\x41", 1, 1},
      {"lowest upper lead", "\xE0\x40", 0, 2},
      {"lead takes any next byte", "\x83\0"s, 0, 2},
      {"lone lead at a cut", "ab\x83", 2, 1},
      {"half-width katakana", "\xB1\x83\x41", 0, 1},
      {"no lead: A0", "\xA0\x41", 0, 1},
      {"no lead: FD", "\xFD\x41", 0, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp932CharacterWidth(c.text, c.pos), c.width) << c.what;
  }
}

TEST(Text, OneLineTurnsEachLineBreakIntoASpace) {
  struct Case {
    std::string text;
    std::string line;
  };
  const Case cases[] = {
      {"", ""},
      {"no break", "no break"},
      {"a\nb", "a b"},
      {"a\r\nb", "a  b"},  // each byte of the pair, so nothing of the text shifts
      {"\n\nend\r", "  end "},
      {"tab\tstays", "tab\tstays"},
      {"/work/\x83\x41\nx.bmp", "/work/\x83\x41 x.bmp"},
  };
  for (const Case& c : cases) EXPECT_EQ(OneLine(c.text), c.line) << c.text;
}

}  // namespace
}  // namespace klv
