// Tests of the code page 932 byte rules: which bytes lead a double-byte character, and
// that byte limits and character counts never split one.
#include "base/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace klv {
namespace {

TEST(Codepage, LeadBytesAreTheTwoDoubleByteRanges) {
  struct Case {
    uint8_t byte;
    bool lead;
  };
  const Case cases[] = {
      {0x00, false}, {0x40, false}, {0x7F, false}, {0x80, false}, {0x81, true},
      {0x9F, true},  {0xA0, false}, {0xA1, false},  // half-width katakana stand alone
      {0xDF, false}, {0xE0, true},  {0xFC, true},  {0xFD, false}, {0xFF, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCp932LeadByte(c.byte), c.lead) << "byte 0x" << std::hex << int{c.byte};
  }
}

TEST(Codepage, ByteLimitCutsBeforeADoubleByteCharacterThatWouldNotFit) {
  // "ア" is 83 41: its trail byte is the letter "A", so a byte-wise cut would keep a
  // lone lead byte.
  struct Case {
    std::string text;
    size_t limit;
    std::string expected;
  };
  const Case cases[] = {
      {"abc", 5, "abc"},
      {"abc", 3, "abc"},
      {"abc", 2, "ab"},
      {"abc", 0, ""},
      {"", 4, ""},
      {"ab\x83\x41", 3, "ab"},  // the limit falls inside "ア"
      {"ab\x83\x41", 4, "ab\x83\x41"},
      {"\x83\x41\x83\x41", 3, "\x83\x41"},
      {"\x83\x41\x83\x41", 1, ""},
      {"\xB1\xB2\xB3", 2, "\xB1\xB2"},  // half-width katakana are one byte each
      {"a\x81\x81z", 2, "a"},           // a trail byte that is itself a lead value
      {"a\x81\x81\x81\x81z", 4, "a\x81\x81"},
      {"abcdefghijklmn\x83\x41xyz", 15, "abcdefghijklmn"},
      {"abcdefghijklmn\x83\x41xyz", 16, "abcdefghijklmn\x83\x41"},
      {"ab\x83", 3, "ab\x83"},  // a lead byte that ends the text stands alone
      {"ab\x83", 2, "ab"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutToByteLimit(c.text, c.limit), c.expected)
        << "text of " << c.text.size() << " bytes, limit " << c.limit;
  }
}

TEST(Codepage, FirstCharactersCountsADoubleByteCharacterOnce) {
  struct Case {
    std::string text;
    size_t count;
    std::string expected;
  };
  const Case cases[] = {
      {"abc", 2, "ab"},
      {"abc", 9, "abc"},
      {"abc", 0, ""},
      {"\x83\x41\x83\x62x", 1, "\x83\x41"},
      {"\x83\x41\x83\x62x", 2, "\x83\x41\x83\x62"},
      {"a\x83\x41z", 2, "a\x83\x41"},
      {"\xB1\x83\x41", 1, "\xB1"},
      {"a\x83", 2, "a\x83"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FirstCharacters(c.text, c.count), c.expected) << "count " << c.count;
  }
}

}  // namespace
}  // namespace klv
