// The window texts' code page 932 forms and the typing rules of the byte-limited boxes and
// of the density boxes.
#include "form/text_boxes.h"

#include <gtest/gtest.h>

#include <string>

namespace klv::form {
namespace {

TEST(TextBoxes, ConversionsKeepWhatTheCodePageHolds) {
  const struct {
    const char* text;
    std::string bytes;
    bool roundTrips;
  } cases[] = {
      {"Cat 1", "Cat 1", true},
      {"ﾊﾟｽﾞﾙｾｯﾄ名", "\xca\xdf\xbd\xde\xd9\xbe\xaf\xc4\x96\xbc", true},
      {"コメント", "\x83\x52\x83\x81\x83\x93\x83\x67", true},
      {"caf\u00e9", "caf?", false},                    // unfit character becomes ?
      {"あ\U0001F600い", "\x82\xa0?\x82\xa2", false},  // unfit beside fitting
      {"a\xff"
       "b",
       "a?b", false},  // a byte that starts nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToCp932(c.text), c.bytes) << c.text;
    if (c.roundTrips) {
      EXPECT_EQ(FromCp932(c.bytes), c.text);
    }
  }
}

TEST(TextBoxes, UndefinedBytesDecodeToReplacementCharacters) {
  // A lone lead byte at the end and an undefined byte: only they are lost.
  EXPECT_EQ(FromCp932(std::string("a\xff\x82\xa0"
                                  "b\x81")),
            "a\uFFFDあb\uFFFD");
}

TEST(TextBoxes, CommentLineBreaksAreCrLfInTheCodePage) {
  EXPECT_EQ(MultiLineToCp932("a\nb"), "a\r\nb");
  EXPECT_EQ(MultiLineFromCp932("a\r\nb\rc"), "a\nb\nc");
}

TEST(TextBoxes, Utf16AndUtf8) {
  EXPECT_EQ(Utf8ToUtf16("aあ\U0001F600"), u"aあ\U0001F600");
  EXPECT_EQ(Utf16ToUtf8(u"aあ\U0001F600"), "aあ\U0001F600");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\uFFFD");  // unpaired
  EXPECT_EQ(Utf8ToUtf16("a\xc0"), u"a\uFFFD");
}

TEST(TextBoxes, EditsAreCutToTheByteLimit) {
  const struct {
    const char* name;
    std::u16string before, after;
    size_t limit;
    std::u16string allowed;
    size_t cursor;
  } cases[] = {
      {"fits", u"abc", u"abXc", 10, u"abXc", 3},
      {"one byte too many", u"abcdefghij", u"abcdefghijk", 10, u"abcdefghij", 10},
      {"full-width cut at a whole character", u"ab", u"abあいうえお", 10, u"abあいうえ", 6},
      {"full-width does not fit in one byte", u"abcdefghi", u"abcdefghiあ", 10, u"abcdefghi", 9},
      {"insertion in the middle", u"abcdefgh", u"abcXYZdefgh", 10, u"abcXYdefgh", 5},
      {"unfit character refused", u"abc", u"ab\u00e9c", 10, u"abc", 2},
      {"typing stops at an unfit character", u"", u"ab\u00e9cd", 10, u"ab", 2},
      {"deleting from an over-long text", u"あいうえおかきく", u"あいうえおかき", 10,
       u"あいうえおかき", 7},
      {"replacing inside an over-long text", u"あいうえおかきく", u"あいうえおかきa", 10,
       u"あいうえおかきa", 8},
      {"growing an over-long text refused", u"あいうえおかきく", u"あいうえおかきくa", 10,
       u"あいうえおかきく", 8},
      {"a pair of surrogates is one character", u"a", u"a\U0001F600", 10, u"a", 1},
  };
  for (const auto& c : cases) {
    size_t cursor = 99;
    EXPECT_EQ(LimitEdit(c.before, c.after, c.limit, 1, &cursor), c.allowed) << c.name;
    EXPECT_EQ(cursor, c.cursor) << c.name;
  }
}

TEST(TextBoxes, LineBreaksCountAsTheBoxSays) {
  EXPECT_EQ(Cp932Length(u"a\nb", 2), 4u);
  EXPECT_EQ(Cp932Length(u"a\nb", 1), 3u);
  EXPECT_EQ(Cp932Length(u"\u00e9あ", 1), 3u);  // the unfit character is written as "?"
  EXPECT_EQ(FittingInsert(u"abc", u"abc", u"\nd", u"", 5, 2), u"\n");
}

TEST(TextBoxes, DensityBoxesTakeWholeNumbersFrom0To100) {
  for (const char* good : {"", "0", "7", "30", "100", "007"})
    EXPECT_TRUE(IsDensityText(good)) << good;
  for (const char* bad : {"101", "150", "1000", "-5", "55.5", "abc", "12x", "1e2", " 5", "0100"}) {
    EXPECT_FALSE(IsDensityText(bad)) << bad;
  }
}

}  // namespace
}  // namespace klv::form
