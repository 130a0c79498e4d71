// Tests of klvmake's texts: the code page 932 forms, the defaults, the name proposed from
// the picture's file name, the warnings about what the package will not keep, and the
// errors that name the character that cannot be written.
#include "package_texts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"

namespace klv {
namespace {

Options WithPicture(const std::string& picture) {
  Options options;
  options.picture = ProgramArgument{picture, picture};
  return options;
}

std::string Cp932(const std::string& utf8) { return Utf8ToCp932(utf8).value(); }

TEST(PackageTexts, DefaultsAndTheProposedName) {
  const struct {
    const char* picture;
    const char* name;
  } cases[] = {
      {"cat.bmp", "cat"},
      {"/pics/abc.def.bmp", "abc"},
      {"/my.pics/cat", "cat"},  // a dot in the folder is not the name's
      {"dir/abcdefghijklmnopqrst.bmp", "abcdefghijklmno"},
      {"ネコ.bmp", "ネコ"},
      {"/pics/ cat .bmp", "cat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    std::string error;
    const std::optional<PackageTexts> texts = ReadPackageTexts(WithPicture(c.picture), &error);
    ASSERT_TRUE(texts) << error;
    EXPECT_EQ(texts->puzzleName, Cp932(c.name));
    EXPECT_EQ(texts->puzzleSetName, Cp932("ﾊﾟｽﾞﾙｾｯﾄ名"));
    EXPECT_EQ(texts->comment, Cp932("コメント"));
  }
}

TEST(PackageTexts, GivenTextsAreConvertedAndWarnedAbout) {
  const struct {
    const char* name;
    const char* set_name;
    const char* comment;
    std::vector<std::string> warnings;
  } cases[] = {
      {"猫", "動物", "ねこ", {}},
      {"abcdefghijklmno", "0123456789", "c", {}},  // exactly their fields
      {" x ",
       "x",
       "a\r\nb",
       {"the puzzle name \" x \" has leading or trailing blanks; they are dropped",
        "the comment holds a line break; the package keeps its first line only"}},
      {"日本語のパズル名前",
       "ﾊﾟｽﾞﾙｾｯﾄ名前",
       "x",
       {"the puzzle name is 18 bytes in code page 932; the package keeps its first 14 bytes",
        "the puzzle-set name is 12 bytes in code page 932; the package keeps its first 10 bytes"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Options options = WithPicture("p.bmp");
    options.name = c.name;
    options.setName = c.set_name;
    options.comment = c.comment;
    std::string error;
    const std::optional<PackageTexts> texts = ReadPackageTexts(options, &error);
    ASSERT_TRUE(texts) << error;
    EXPECT_EQ(texts->puzzleName, Cp932(c.name[0] == ' ' ? "x" : c.name));  // " x " loses blanks
    EXPECT_EQ(texts->puzzleSetName, Cp932(c.set_name));
    EXPECT_EQ(texts->comment, Cp932(c.comment));
    EXPECT_EQ(texts->warnings, c.warnings);
  }
}

TEST(PackageTexts, TextsThatCannotBeWrittenAreRefused) {
  const struct {
    const char* picture;
    std::optional<std::string> name, set_name, comment;
    const char* said;
  } cases[] = {
      {"p.bmp",
       "a\xF0\x9F\x98\x80",
       {},
       {},
       "--name: the character \"\xF0\x9F\x98\x80\" (U+1F600)"},
      {"p.bmp", {}, "\xC3(", {}, "--set-name: the text is not valid UTF-8"},
      {"p.bmp", {}, {}, "\xE2\x82", "--comment: the text is not valid UTF-8"},
      {"p.bmp", {}, {}, "a\xC3\xA9\xE2\x82\xAC", "--comment: the character \"\xC3\xA9\" (U+00E9)"},
      {"/x/\xE2\x82\xAC.bmp", {}, {}, {}, "/x/\xE2\x82\xAC.bmp: the file name: the character"},
      {"/x/\xE2\x82\xAC.bmp", {}, {}, {}, "; give the puzzle name with --name"},
      // The file name is not read when the name is given.
      {"/x/\xE2\x82\xAC.bmp", "ok", "\xE2\x82\xAC", {}, "--set-name: the character"},
      {"p.bmp", "a/b", {}, {}, "the puzzle name \"a/b\" contains \"/\""},
      {"a/b.bmp", "../x", {}, {}, "contains \"/\"; it names the package file"},
      {"p.bmp", "   ", {}, {}, "the puzzle name is empty"},
      {"/pics/.bmp", {}, {}, {}, "is empty; it names the package file (proposed from the"},
      {"p.bmp", "a\tb", {}, {}, "holds a control character"},
      {"p.bmp", "'x'", {}, {}, "is enclosed in quotes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    Options options = WithPicture(c.picture);
    options.name = c.name;
    options.setName = c.set_name;
    options.comment = c.comment;
    std::string error;
    EXPECT_FALSE(ReadPackageTexts(options, &error));
    EXPECT_NE(error.find(c.said), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace klv
