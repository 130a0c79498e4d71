// Tests of the profile-text rules on hand-written files: line ends, blanks, case, quotes,
// duplicates, odd lines, buffer cuts, the integer reader, and editing with
// SetProfileValueInText. Expected values are what the platform's profile functions give
// for the same bytes.
#include "base/profile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace klv {
namespace {

struct StringCase {
  const char* what;
  std::string text;
  std::string section;
  std::string key;
  std::string expected;  // read with the default "D" and a 64-byte buffer
};

void ExpectStrings(const std::vector<StringCase>& cases) {
  for (const StringCase& c : cases) {
    EXPECT_EQ(GetProfileStringFromText(c.text, c.section, c.key, "D", 64), c.expected) << c.what;
  }
}

TEST(Profile, LinesEndAtCrLfOrCrlf) {
  ExpectStrings({
      {"CRLF", "[S]\r\nk1=a\r\nk2=b\r\n", "S", "k2", "b"},
      {"CR only", "[S]\rk1=a\rk2=b\r", "S", "k2", "b"},
      {"LF only", "[S]\nk1=a\nk2=b\n", "S", "k2", "b"},
      {"mixed", "[S]\nk1=a\r\r\nk2=b\r", "S", "k1", "a"},
      {"CR ends the value", "[S]\rk1=a\rk2=b", "S", "k1", "a"},
      {"last line unterminated", "[S]\r\nk=last", "S", "k", "last"},
      {"blank lines between", "\r\n\r\n[S]\r\n\r\n  \r\nk=v\r\n", "S", "k", "v"},
  });
}

TEST(Profile, NamesAndValuesAreTrimmedOfBlanks) {
  ExpectStrings({
      {"spaces", "  [ S ]  \r\n  key  =  value  \r\n", "S", "key", "value"},
      {"tabs", "[S]\r\n\tkey\t=\tvalue\t\r\n", "S", "key", "value"},
      {"vertical tab and form feed", "[S]\r\n\x0bkey\x0c=\x0cvalue\x0b\r\n", "S", "key", "value"},
      {"^Z counts as a blank", "[S]\r\n\x1akey\x1a=\x1avalue\x1a\r\n", "S", "key", "value"},
      {"inner spaces stay", "[S]\r\nk=a  b\r\n", "S", "k", "a  b"},
      {"the caller's names are trimmed", "[S]\r\nkey=v\r\n", " S\t", "\tkey ", "v"},
      // Other control characters are part of the name or value.
      {"\\x01 is not a blank", "[S]\r\n\x01key=\x01v\x01\r\n", "S", "key", "D"},
      {"\\x01 key found as written", "[S]\r\n\x01key=\x01v\x01\r\n", "S", "\x01key", "\x01v\x01"},
      {"\\x1f and DEL stay in the value", "[S]\r\nk=\x1fv\x7f\r\n", "S", "k", "\x1fv\x7f"},
      // The full-width space 81 40 is a character, not a blank.
      {"full-width space stays", "[S]\r\nk=\x81\x40v\x81\x40\r\n", "S", "k", "\x81\x40v\x81\x40"},
  });
}

TEST(Profile, NamesMatchWithoutRegardToAsciiCase) {
  ExpectStrings({
      {"key case", "[PuzzleData]\r\nFileVersion=2\r\n", "PuzzleData", "fileVersion", "2"},
      {"section case", "[puzzledata]\r\nxMax=3\r\n", "PUZZLEDATA", "XMAX", "3"},
      {"first of two spellings wins", "[S]\r\nFileVersion=2\r\nfileVersion=3\r\n", "S",
       "FILEVERSION", "2"},
      // "ア" (83 41) and "ッ" (83 61) differ only by the case of their trail byte.
      {"trail bytes are not folded", "[S]\r\n\x83\x41=a\r\n", "S", "\x83\x61", "D"},
      {"double-byte names match exactly", "[S]\r\n\x83\x41=a\r\n", "S", "\x83\x41", "a"},
      // Full-width "ＡＢ" (82 60 82 61) and "ａｂ" (82 81 82 82) are different names.
      {"full-width letters are not folded", "[S]\r\n\x82\x60\x82\x61=x\r\n", "S",
       "\x82\x81\x82\x82", "D"},
  });
}

TEST(Profile, FirstSectionAndFirstKeyWin) {
  const std::string text =
      "[S]\r\nk=first\r\nK=second\r\n[T]\r\nt=1\r\n[s]\r\nk=later\r\nonly=later\r\n";
  ExpectStrings({
      {"first key", text, "S", "k", "first"},
      {"other section", text, "T", "t", "1"},
      // A later section of the same name is never searched.
      {"key only in the later section", text, "S", "only", "D"},
  });
}

TEST(Profile, LinesThatAreNotPlainKeyLines) {
  const std::string text =
      "before=pre\r\n"
      "[S]\r\n"
      "lineonly\r\n"
      "[Broken\r\n"
      "k3=v3\r\n"
      "=emptyname\r\n"
      "eq=a=b\r\n"
      ";c=comment\r\n"
      "[x]junk\r\n"
      "k=vx\r\n"
      "[a]b]\r\n"
      "k5=v5\r\n"
      "[y\x81\x5d]\r\n"  // "y‐": the trail byte of 81 5D is the code of "]"
      "ky=vy\r\n"
      "[z\x81\x5d\r\n"  // no real "]": a key line of section "y‐"
      "kz=vz\r\n"
      "[]\r\n"
      "k6=v6\r\n";
  ExpectStrings({
      {"a key line without = gives the default", text, "S", "lineonly", "D"},
      {"[ without ] is a key line, not a section", text, "S", "[Broken", "D"},
      {"keys after [Broken stay in S", text, "S", "k3", "v3"},
      {"no section Broken", text, "Broken", "k3", "D"},
      {"empty key name", text, "S", "", "emptyname"},
      {"blank key name", text, "S", "  ", "emptyname"},
      {"value splits at the first =", text, "S", "eq", "a=b"},
      {"comment lines are ordinary keys", text, "S", ";c", "comment"},
      {"text after ] is ignored", text, "x", "k", "vx"},
      {"the name runs to the last ]", text, "a]b", "k5", "v5"},
      {"not the first ]", text, "a", "k5", "D"},
      {"a trail byte is not ]", text, "y\x81\x5d", "ky", "vy"},
      {"no section cut at the trail byte", text, "y\x81", "ky", "D"},
      {"[z without a real ] is a key line", text, "y\x81\x5d", "kz", "vz"},
      {"keys before any section belong to the nameless one", text, "", "before", "pre"},
      {"[] is shadowed by the nameless section", text, "", "k6", "D"},
  });
}

TEST(Profile, OnePairOfMatchingQuotesIsRemoved) {
  const std::string text =
      "[S]\r\n"
      "q1=\"abc\"\r\n"
      "q2='abc'\r\n"
      "q3=\"abc'\r\n"
      "q4=\"\r\n"
      "q5=\"\"\r\n"
      "q6=\" a \"\r\n"
      "q7=\"a\"b\"\r\n"
      "q8='\r\n"
      "q9= \"x\" \r\n"
      "q10=\"\"x\"\"\r\n"
      "q11=\"\x83\x41\"\r\n";
  ExpectStrings({
      {"double quotes", text, "S", "q1", "abc"},
      {"single quotes", text, "S", "q2", "abc"},
      {"mismatched quotes stay", text, "S", "q3", "\"abc'"},
      {"a lone double quote stays", text, "S", "q4", "\""},
      {"an empty quoted value", text, "S", "q5", ""},
      {"spaces inside the quotes stay", text, "S", "q6", " a "},
      {"inner quotes stay", text, "S", "q7", "a\"b"},
      {"a lone single quote stays", text, "S", "q8", "'"},
      {"blanks outside the quotes go first", text, "S", "q9", "x"},
      {"only one pair goes", text, "S", "q10", "\"x\""},
      {"quotes around a double-byte character", text, "S", "q11", "\x83\x41"},
  });
  EXPECT_EQ(GetProfileIntFromText(text, "S", "q5", 77), 77) << "\"\" is an empty value";
}

TEST(Profile, ADefaultLosesTrailingSpacesAndQuotes) {
  struct Case {
    std::string default_value;
    std::string expected;
  };
  const Case cases[] = {
      {"dflt  ", "dflt"}, {"   ", " "},  // the first character always stays
      {"\"dq\"", "dq"},   {"'x'", "x"}, {" a b ", " a b"}, {"the Puzzle", "the Puzzle"}, {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetProfileStringFromText("[S]\r\nk=v\r\n", "S", "missing", c.default_value, 64),
              c.expected)
        << "default \"" << c.default_value << "\"";
    EXPECT_EQ(GetProfileStringFromText("", "S", "k", c.default_value, 64), c.expected)
        << "empty file, default \"" << c.default_value << "\"";
  }
}

TEST(Profile, TextsAreCutToTheBufferLessOneByte) {
  // "ア" (83 41) spans bytes 15 and 16 of the long value.
  const std::string text =
      "[S]\r\nq=\"abc\"\r\nlong=abcdefghijklmn\x83\x41xyz\r\nthe=the Puzzle\r\n";
  struct Case {
    std::string key;
    std::string default_value;
    size_t buffer;
    std::string expected;
  };
  const Case cases[] = {
      {"q", "D", 0, ""},
      {"q", "D", 1, ""},
      {"q", "D", 3, "ab"},
      {"q", "D", 4, "abc"},
      {"q", "D", 5, "abc"},
      {"long", "D", 15, "abcdefghijklmn"},
      {"long", "D", 16, "abcdefghijklmn"},  // the limit falls inside "ア"
      {"long", "D", 17, "abcdefghijklmn\x83\x41"},
      {"long", "D", 18, "abcdefghijklmn\x83\x41x"},
      {"the", "D", 11, "the Puzzle"},
      {"the", "D", 10, "the Puzzl"},
      {"missing", "abcdef", 4, "abc"},
      {"missing", "\x83\x41\x83\x41", 4, "\x83\x41"},
      {"missing", "\"xyz\"", 3, "xy"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetProfileStringFromText(text, "S", c.key, c.default_value, c.buffer), c.expected)
        << "key " << c.key << ", buffer " << c.buffer;
  }
}

TEST(Profile, AZeroByteEndsTheValue) {
  const std::string text("[S]\r\nk=ab\0cd\r\n", 14);
  EXPECT_EQ(GetProfileStringFromText(text, "S", "k", "D", 64), "ab");
}

TEST(Profile, IntegersAreReadAsThePlatformReadsThem) {
  struct Case {
    std::string value;
    int32_t expected;
  };
  const Case cases[] = {
      {"3", 3},
      {"-12abc", -12},  // digits up to the first other character
      {"+7", 7},
      {"0010", 10},  // a leading zero is not octal
      {"12 34", 12},
      {"abc", 0},  // no digits
      {"- 3", 0},
      {"+-3", 0},
      {"\"12\"", 12},  // quotes go first
      {"\" 5\"", 5},   // then leading blanks
      {"\" \t-3\"", -3},
      {"\x01\x02 9", 9},  // every control character counts as a blank
      {"\" \x01 8\"", 8},
      {"4294967297", 1},  // wraps modulo 2^32
      {"2147483648", INT32_MIN},
      {"-2147483649", INT32_MAX},
      {"99999999999", 1215752191},
      {"0x1F", 31},  // the platform's reader takes prefixes
      {"-0x10", -16},
      {"0b101", 5},
      {"0o17", 15},
      {"0X1F", 0},  // ...in lower case only
      {"0x", 0},
      {"0xZZ", 0},
      {"1a", 1},
      {"\x82\x50", 0},  // a full-width digit is not a digit
      // The reader sees 29 bytes: the last digit of the 30 is cut off.
      {"000000000000000000000000000012", 1},
      {"00000000000000000000000000001", 1},
  };
  for (const Case& c : cases) {
    const std::string text = "[S]\r\nk=" + c.value + "\r\n";
    EXPECT_EQ(GetProfileIntFromText(text, "S", "k", 77), c.expected) << "value " << c.value;
  }
}

TEST(Profile, MissingOrEmptyIntegerGivesTheDefault) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"empty text", ""},
      {"no section", "[T]\r\nk=5\r\n"},
      {"no key", "[S]\r\nother=5\r\n"},
      {"empty value", "[S]\r\nk=\r\n"},
      {"blank value", "[S]\r\nk=   \r\n"},
      {"key without =", "[S]\r\nk\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetProfileIntFromText(c.text, "S", "k", -1), -1) << c.what;
    EXPECT_EQ(FindProfileValue(c.text, "S", "k").value_or(""), "") << c.what;
  }
}

TEST(Profile, SetValueCreatesTheSectionAndKey) {
  std::string text = SetProfileValueInText("", "PuzzleData", "xMax", "3");
  EXPECT_EQ(text, "[PuzzleData]\r\nxMax=3\r\n");
  text = SetProfileValueInText(text, "PuzzleData", "yMax", "2");
  EXPECT_EQ(text, "[PuzzleData]\r\nxMax=3\r\nyMax=2\r\n");
  text = SetProfileValueInText(text, "ToolsData", "Slider1", "70");
  EXPECT_EQ(text, "[PuzzleData]\r\nxMax=3\r\nyMax=2\r\n[ToolsData]\r\nSlider1=70\r\n");
}

TEST(Profile, SetValueEditsOnlyWhatItMust) {
  struct Case {
    const char* what;
    std::string text;
    std::string section;
    std::string key;
    std::string value;
    std::string expected;
  };
  const Case cases[] = {
      {"replace keeps the other keys and the line end", "[S]\r\na=1\nk=old\nb=2\n", "S", "k", "new",
       "[S]\r\na=1\nk=new\nb=2\n"},
      {"replace matches without regard to case", "[PuzzleData]\r\nFileVersion=1\r\n", "puzzledata",
       "fileVersion", "2", "[PuzzleData]\r\nfileVersion=2\r\n"},
      {"replace only the first of duplicate keys", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "9",
       "[S]\r\nk=9\r\nk=2\r\n"},
      {"replace a key line without =", "[S]\r\nk\r\n", "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"new key goes before the blank lines of the section", "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n",
       "A", "n", "2", "[A]\r\na=1\r\nn=2\r\n\r\n[B]\r\nb=1\r\n"},
      {"new key in an empty section", "[A]\r\n[B]\r\n", "A", "n", "2", "[A]\r\nn=2\r\n[B]\r\n"},
      {"new key after an unterminated last line", "[A]\r\na=1", "A", "n", "2",
       "[A]\r\na=1\r\nn=2\r\n"},
      {"new key after an unterminated header", "[A]", "A", "n", "2", "[A]\r\nn=2\r\n"},
      {"new section after an unterminated last line", "[A]\r\na=1", "B", "n", "2",
       "[A]\r\na=1\r\n[B]\r\nn=2\r\n"},
      {"only the first section of a name is edited", "[A]\r\na=1\r\n[a]\r\nn=1\r\n", "A", "n", "2",
       "[A]\r\na=1\r\nn=2\r\n[a]\r\nn=1\r\n"},
      {"names are written trimmed", "", " S ", " k ", "v", "[S]\r\nk=v\r\n"},
      {"the nameless section is the top of the file", "[A]\r\na=1\r\n", "", "top", "1",
       "top=1\r\n[A]\r\na=1\r\n"},
      {"a double-byte section name whose trail byte is ]", "[y\x81\x5d]\r\n", "y\x81\x5d", "k", "v",
       "[y\x81\x5d]\r\nk=v\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetProfileValueInText(c.text, c.section, c.key, c.value), c.expected) << c.what;
  }
}

TEST(Profile, WhatIsSetReadsBack) {
  struct Case {
    std::string section;
    std::string key;
    std::string value;
  };
  const Case writes[] = {
      {"PuzzleData", "xMax", "3"},
      {"PuzzleData", "PuzzleName", "\x83\x70\x83\x59\x83\x8b"},  // "パズル"
      {"ToolsData", "SrcDir", "/home/user/pics"},
      {"PuzzleData", "XMAX", "4"},
      {"ToolsData", "Slider1", "70"},
      {"PuzzleData", "PassWord", ""},
  };
  std::string text = "; settings\r\n\r\n[ToolsData]\r\nSlider2=85\r\n";
  for (const Case& w : writes) text = SetProfileValueInText(text, w.section, w.key, w.value);
  EXPECT_EQ(GetProfileIntFromText(text, "PuzzleData", "xMax", 0), 4);
  EXPECT_EQ(GetProfileStringFromText(text, "PuzzleData", "PuzzleName", "D", 16),
            "\x83\x70\x83\x59\x83\x8b");
  EXPECT_EQ(GetProfileStringFromText(text, "ToolsData", "SrcDir", "D", 256), "/home/user/pics");
  EXPECT_EQ(GetProfileIntFromText(text, "ToolsData", "Slider1", 0), 70);
  EXPECT_EQ(GetProfileIntFromText(text, "ToolsData", "Slider2", 0), 85);
  EXPECT_EQ(FindProfileValue(text, "PuzzleData", "PassWord"), std::optional<std::string>(""));
  EXPECT_EQ(text.rfind("; settings\r\n\r\n", 0), 0u) << "the comment at the top stays";
}

}  // namespace
}  // namespace klv
