// Tests of the package header record: the text scramble, the fields at their offsets,
// the grid values kept to 16 bits, the texts within their fields, and decoding the
// record back into its values.
#include "format/package_format.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/bytes.h"

namespace klv {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(PackageFormat, ScrambleIsItsOwnInverse) {
  std::array<uint8_t, 4> abc = {'a', 'b', 'c', 0};
  ScrambleText(abc);
  EXPECT_EQ(abc, (std::array<uint8_t, 4>{0xE9, 0xD9, 0xC9, 0}));
  // Every byte but 0xFF (which becomes the terminator) comes back unchanged.
  for (int b = 1; b < 255; ++b) {
    std::array<uint8_t, 1> one = {static_cast<uint8_t>(b)};
    ScrambleText(one);
    EXPECT_NE(one[0], 0) << b;
    ScrambleText(one);
    EXPECT_EQ(one[0], b);
  }
}

TEST(PackageFormat, TextFieldsAreScrambledUpToTheTerminator) {
  struct Case {
    Bytes field;
    Bytes expected;
  } cases[] = {
      {{'a', 0, 'b', 'c'}, {0xE9, 0, 'b', 'c'}},  // bytes after the terminator stay
      {{0, 'a'}, {0, 'a'}},
      {{'a', 'b'}, {0xE9, 0xD9}},   // no terminator: up to the field's end
      {{0xFF, 'a'}, {0x00, 0xE9}},  // 0xFF scrambles to 0, the rest goes on
      {{}, {}},
  };
  for (Case& c : cases) {
    ScrambleText(c.field);
    EXPECT_EQ(c.field, c.expected);
  }
}

TEST(PackageFormat, HeaderFieldsSitAtTheirOffsets) {
  PackageHeader header = NewPackageHeader(4, 3);
  header.fileVersion = -2;
  header.Difficulty = 5;
  header.backColor = {0x11, 0x22, 0x33};
  const PackageHeaderBytes bytes = EncodePackageHeader(header);
  struct Field {
    size_t offset;
    uint32_t size;
    uint32_t value;
  } fields[] = {
      {0, 4, 0xFFFFFFFE}, {4, 2, 4},    {6, 2, 3},  {8, 2, 64}, {10, 2, 64},
      {12, 2, 160},       {14, 2, 128}, {16, 2, 5}, {18, 2, 0}, {20, 4, 0x00332211},
  };
  for (const Field& f : fields) {
    const uint32_t got = f.size == 4 ? GetLe32(&bytes[f.offset]) : GetLe16(&bytes[f.offset]);
    EXPECT_EQ(got, f.value) << "offset " << f.offset;
  }
  // Empty texts: everything from byte 24 on is zero.
  for (size_t i = 24; i < kPackageHeaderSize; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(PackageFormat, GridValuesWrapTo16Bits) {
  struct Case {
    int32_t x_max, y_max;
    uint16_t x_field, y_field, width, height;
  } cases[] = {
      {4, 3, 4, 3, 160, 128},
      {-1, 8, 0xFFFF, 8, 0, 288},
      {0, 0, 0, 0, 32, 32},
      {1023, 2047, 1023, 2047, 0x8000, 0},
      {0x12345, -2, 0x2345, 0xFFFE, static_cast<uint16_t>(0x12346 * 32), 0xFFE0},
      {INT32_MAX, INT32_MIN, 0xFFFF, 0, 0, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x_max << " x " << c.y_max);
    const PackageHeaderBytes bytes = EncodePackageHeader(NewPackageHeader(c.x_max, c.y_max));
    EXPECT_EQ(GetLe16(&bytes[4]), c.x_field);
    EXPECT_EQ(GetLe16(&bytes[6]), c.y_field);
    EXPECT_EQ(GetLe16(&bytes[12]), c.width);
    EXPECT_EQ(GetLe16(&bytes[14]), c.height);
  }
}

TEST(PackageFormat, TextsFillTheirFieldsWithinTheLimit) {
  const std::string fifteen = "ABCDEFGHIJKLMNO";
  const std::string twenty = fifteen + "PQRST";
  const std::string kana = std::string(14, 'x') + "\x82\xA0";  // 14 bytes, then "あ"
  struct Case {
    const char* name;
    std::string PackageHeader::*field;
    std::string value;
    size_t offset;
    size_t width;
    size_t kept;  // bytes of the value that land in the field
  } cases[] = {
      {"empty PassWord", &PackageHeader::PassWord, "", kPassWordOffset, kPassWordWidth, 0},
      {"PassWord of 10", &PackageHeader::PassWord, "0123456789", kPassWordOffset, kPassWordWidth,
       10},
      {"PrevPassWord of 11", &PackageHeader::PrevPassWord, "0123456789A", kPrevPassWordOffset,
       kPrevPassWordWidth, 10},
      {"PuzzleSetName", &PackageHeader::PuzzleSetName, "Animals", kPuzzleSetNameOffset,
       kPuzzleSetNameWidth, 7},
      {"PuzzleName of 15", &PackageHeader::PuzzleName, fifteen, kPuzzleNameOffset, kPuzzleNameWidth,
       15},
      {"PuzzleName of 20", &PackageHeader::PuzzleName, twenty, kPuzzleNameOffset, kPuzzleNameWidth,
       15},
      {"double-byte character across the limit", &PackageHeader::PuzzleName, kana,
       kPuzzleNameOffset, kPuzzleNameWidth, 14},
      {"zero byte ends the text", &PackageHeader::PuzzleName, std::string("ab\0cd", 5),
       kPuzzleNameOffset, kPuzzleNameWidth, 2},
      {"LongPuzzleName of 300", &PackageHeader::LongPuzzleName, std::string(300, 'L'),
       kLongPuzzleNameOffset, kLongPuzzleNameWidth, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageHeader header;
    header.*(c.field) = c.value;
    PackageHeaderBytes bytes = EncodePackageHeader(header);
    // Unscrambling the field gives the value's first `kept` bytes, then zeros.
    std::span<uint8_t> field(bytes.data() + c.offset, c.width);
    ScrambleText(field);
    std::string expected = c.value.substr(0, c.kept);
    expected.resize(c.width, '\0');
    EXPECT_EQ(std::string(field.begin(), field.end()), expected);
    // Nothing outside the field was touched.
    for (size_t i = 0; i < kPackageHeaderSize; ++i) {
      if (i < c.offset || i >= c.offset + c.width) {
        ASSERT_EQ(bytes[i], 0) << i;
      }
    }
  }
}

TEST(PackageFormat, DecodingGivesBackWhatWasEncoded) {
  PackageHeader japanese = NewPackageHeader(9, 9);
  japanese.fileVersion = 2;
  japanese.Difficulty = 5;
  japanese.backColor = {0x00, 0xFF, 0xFF};
  japanese.PassWord = "1234567";
  japanese.PuzzleSetName = "\xCA\xDF\xBD\xDE\xD9\xBE\xAF\xC4\x96\xBC";  // ﾊﾟｽﾞﾙｾｯﾄ名
  japanese.PuzzleName = "\x94\x4C\x82\xC5\x82\xB7";                     // 猫です
  japanese.LongPuzzleName = std::string(255, '\x81');  // fills the field to its last byte
  PackageHeader extremes = NewPackageHeader(-1, 8);
  extremes.fileVersion = INT32_MIN;
  extremes.Difficulty = -32768;
  extremes.tileWidth = -1;
  extremes.pictureHeight = 32767;
  extremes.backColor = {0xFE, 0x01, 0x80};
  extremes.PrevPassWord = "0123456789";
  extremes.PuzzleName = std::string("\x01\x7F\x80\xFE", 4);
  const PackageHeader cases[] = {PackageHeader{}, NewPackageHeader(4, 3), japanese, extremes};
  for (const PackageHeader& header : cases) {
    SCOPED_TRACE(header.PuzzleName);
    EXPECT_EQ(DecodePackageHeader(EncodePackageHeader(header)), header);
  }
}

TEST(PackageFormat, DecodedTextsEndAtTheirTerminator) {
  struct Case {
    const char* name;
    Bytes stored;  // the PuzzleName field as stored (scrambled), up to its 16 bytes
    std::string text;
  } cases[] = {
      {"abc", {0xE9, 0xD9, 0xC9}, "abc"},
      {"bytes after the terminator are not read", {0xE9, 0, 0xD9}, "a"},
      {"a stored 0xFF unscrambles to a zero byte, which ends the text", {0xE9, 0xFF, 0xD9}, "a"},
      {"no terminator: the whole field", Bytes(16, 0xE9), std::string(16, 'a')},
      {"empty", {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PackageHeaderBytes record{};
    std::copy(c.stored.begin(), c.stored.end(), record.begin() + kPuzzleNameOffset);
    const PackageHeader header = DecodePackageHeader(record);
    EXPECT_EQ(header.PuzzleName, c.text);
    // The neighbouring fields stay empty whatever this one holds.
    EXPECT_EQ(header.PuzzleSetName, "");
    EXPECT_EQ(header.LongPuzzleName, "");
  }
}

// The library names its package by this rule, and a set plans its names by it: a name
// cut by the library, or two names that meet in one file, are found before the make.
TEST(PackageFormat, FileNameStaysInTheWorkFolder) {
  struct Case {
    std::string puzzle_name;
    std::string file_name;
  } cases[] = {
    {"Cat", "Cat.klv"},
    {"the Puzzle", "the Puzzle.klv"},
    {"", ".klv"},
    {"a/b", "a_b.klv"},
    {"../up", ".._up.klv"},
    {"..\\up", ".._up.klv"},
    {"/", "_.klv"},
    {".", "..klv"},
    {"..", "...klv"},
    {std::string("ab\0/x", 5), "ab.klv"},
    {"abcdefghijklmnopqrst", "abcdefghijklmno.klv"},   // the library's 15 bytes
    {"a\\b", "a_b.klv"},                               // meets "a_b"
    {"abcdefghijklmn\x94\x4C", "abcdefghijklmn.klv"},  // no half of 猫 at the cut
#if !defined(_WIN32)
    {"\x94\x4C", "\xE7\x8C\xAB.klv"},  // 猫
    {"\x83\x5C", "\xE3\x82\xBD.klv"},  // ソ: its 0x5C is no separator
    {"\x83\x70\x83\x59\x83\x8B/", "\xE3\x83\x91\xE3\x82\xBA\xE3\x83\xAB_.klv"},  // パズル/
    {"A\x82", "A%82.klv"},  // a lead byte without its pair
    {"\xFF"
     "b",
     "%FFb.klv"},
    {"\x94\x4C\xFF/", "\xE7\x8C\xAB%FF_.klv"},
#else
    {"\x83\x5C", "\x83\x5C.klv"},
#endif
  };
  for (const Case& c : cases) EXPECT_EQ(PackageFileName(c.puzzle_name), c.file_name);
}

}  // namespace
}  // namespace klv
