// Tests of code page 932 by table: every code and every character must convert as the C
// library's conversion (the Linux build's iconv) converts it, so that the browser's build
// writes the bytes every other build writes.
#include "base/cp932_table.h"

#include <gtest/gtest.h>

#include <string>

#include "base/platform.h"
#include "base/text.h"

namespace klv {
namespace {

std::string Hex(const std::string& bytes) {
  std::string hex;
  for (const char c : bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto b = static_cast<unsigned char>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

TEST(Cp932Table, ReadsEveryCodeAsTheCLibraryDoes) {
  for (int first = 0; first < 256; ++first) {
    const std::string single(1, static_cast<char>(first));
    ASSERT_EQ(Cp932ToUtf8ByTable(single), Cp932ToUtf8(single)) << Hex(single);
    if (first < 0x81) continue;
    for (int second = 0; second < 256; ++second) {
      const std::string pair{static_cast<char>(first), static_cast<char>(second)};
      ASSERT_EQ(Cp932ToUtf8ByTable(pair), Cp932ToUtf8(pair)) << Hex(pair);
    }
  }
}

TEST(Cp932Table, WritesEveryCharacterAsTheCLibraryDoes) {
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;  // no character
    std::string utf8;
    AppendUtf8(c, &utf8);
    const std::optional<std::string> expected = Utf8ToCp932(utf8);
    ASSERT_EQ(Utf8ToCp932ByTable(utf8), expected) << "U+" << std::hex << static_cast<int>(c);
    // What the code page holds reads back as the same character, but for the look-alikes.
    if (expected && c != 0xA2 && c != 0xA3 && c != 0xA5 && c != 0xAC && c != 0x2014 &&
        c != 0x2016 && c != 0x203E && c != 0x2212 && c != 0x301C) {
      EXPECT_EQ(Cp932ToUtf8ByTable(*expected), utf8) << "U+" << std::hex << static_cast<int>(c);
    }
  }
}

TEST(Cp932Table, ConvertsATextWholeOrNotAtAll) {
  struct Case {
    std::string utf8;
    std::optional<std::string> cp932;
  };
  const Case cases[] = {
      {"", ""},
      {"Cat 1", "Cat 1"},
      {"ﾊﾟｽﾞﾙｾｯﾄ名", "\xCA\xDF\xBD\xDE\xD9\xBE\xAF\xC4\x96\xBC"},
      {"三毛猫\r\nです", "\x8E\x4F\x96\xD1\x94\x4C\r\n\x82\xC5\x82\xB7"},
      {"a\xF0\x9F\x98\x80", std::nullopt},  // U+1F600: beyond the code page
      {"a\xE3\x81", std::nullopt},          // UTF-8 cut short
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToCp932ByTable(c.utf8), c.cp932) << c.utf8;
    if (c.cp932) {
      EXPECT_EQ(Cp932ToUtf8ByTable(*c.cp932), c.utf8) << c.utf8;
    }
  }
  EXPECT_EQ(Cp932ToUtf8ByTable("ab\x83"), std::nullopt);    // a lead byte without its trail
  EXPECT_EQ(Cp932ToUtf8ByTable("\x83\x7F"), std::nullopt);  // a trail byte no pair has
  EXPECT_EQ(Cp932ToUtf8ByTable("\x85\x40"), std::nullopt);  // a pair without a character
}

}  // namespace
}  // namespace klv
