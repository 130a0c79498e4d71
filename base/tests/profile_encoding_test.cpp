// Tests of the profile files' encodings over bytes in memory: a byte-order mark selects
// UTF-8 or UTF-16, reading never fails, and editing happens only when the file would
// come back byte for byte.
#include "base/profile_encoding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/profile.h"

namespace klv {
namespace {

// "あ" is U+3042, 0x82A0 in code page 932; "ア" is U+30A2, 0x8341.
TEST(ProfileEncoding, AByteOrderMarkSelectsTheEncodingForReading) {
  struct Case {
    const char* what;
    std::string bytes;
    ProfileEncoding encoding;
    std::string expected;  // the value of k in section U, code page 932
  };
  const Case cases[] = {
      // The euro sign has no code page 932 equivalent and reads as "?".
      {"UTF-8", "\xEF\xBB\xBF[U]\r\nk=\xE3\x81\x82\xE2\x82\xAC\r\n", ProfileEncoding::kUtf8,
       "\x82\xA0?"},
      {"UTF-16LE", std::string("\xFF\xFE[\0U\0]\0\r\0\n\0k\0=\0\x42\x30\r\0\n\0", 22),
       ProfileEncoding::kUtf16Le, "\x82\xA0"},
      {"UTF-16BE", std::string("\xFE\xFF\0[\0U\0]\0\r\0\n\0k\0=\x30\x42\0\r\0\n", 22),
       ProfileEncoding::kUtf16Be, "\x82\xA0"},
      {"UTF-8 with an invalid byte",
       "\xEF\xBB\xBF[U]\r\nk=a\xFF"
       "b\r\n",
       ProfileEncoding::kUtf8, "a?b"},
      {"UTF-8 cut inside a character", "\xEF\xBB\xBF[U]\r\nk=a\xE3\x81", ProfileEncoding::kUtf8,
       "a??"},
      {"UTF-16LE with a character beyond the BMP and a lone surrogate",
       std::string("\xFF\xFE[\0U\0]\0\n\0k\0=\0\x3D\xD8\x00\xDE\x00\xD8z\0", 22),
       ProfileEncoding::kUtf16Le, "??z"},
      {"UTF-16BE with an odd last byte", std::string("\xFE\xFF\0[\0U\0]\0\n\0k\0=\0a\0", 17),
       ProfileEncoding::kUtf16Be, "a?"},
      {"no mark: code page 932 bytes as they are", "[U]\r\nk=\x82\xA0\r\n", ProfileEncoding::kCp932,
       "\x82\xA0"},
      {"a UTF-8 mark in the middle is text", "[U]\r\nk=\xEF\xBB\xBF", ProfileEncoding::kCp932,
       "\xEF\xBB\xBF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(DetectProfileEncoding(c.bytes), c.encoding);
    const std::string text = DecodeProfileForReading(c.bytes);
    EXPECT_EQ(GetProfileStringFromText(text, "U", "k", "D", 64), c.expected);
  }
}

TEST(ProfileEncoding, AnEditKeepsTheEncodingAndEveryOtherByte) {
  struct Case {
    const char* what;
    std::string before;
    std::string after;  // with k=ア set in section U
  };
  const Case cases[] = {
      {"UTF-8", "\xEF\xBB\xBF[U]\r\na=\xE3\x81\x82\r\n",
       "\xEF\xBB\xBF[U]\r\na=\xE3\x81\x82\r\nk=\xE3\x82\xA2\r\n"},
      {"UTF-16LE", std::string("\xFF\xFE[\0U\0]\0\r\0\n\0", 12),
       std::string("\xFF\xFE[\0U\0]\0\r\0\n\0k\0=\0\xA2\x30\r\0\n\0", 22)},
      {"UTF-16BE", std::string("\xFE\xFF\0[\0U\0]\0\r\0\n", 12),
       std::string("\xFE\xFF\0[\0U\0]\0\r\0\n\0k\0=\x30\xA2\0\r\0\n", 22)},
      {"code page 932", "[U]\r\na=\x82\xA0\r\n", "[U]\r\na=\x82\xA0\r\nk=\x83\x41\r\n"},
      {"an empty file", "", "[U]\r\nk=\x83\x41\r\n"},
      {"only a UTF-8 mark", "\xEF\xBB\xBF", "\xEF\xBB\xBF[U]\r\nk=\xE3\x82\xA2\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::optional<ProfileText> text = DecodeProfileForEditing(c.before);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->encoding, DetectProfileEncoding(c.before));
    text->text = SetProfileValueInText(text->text, "U", "k", "\x83\x41");
    EXPECT_EQ(EncodeProfile(*text), std::optional<std::string>(c.after));
  }
}

TEST(ProfileEncoding, AFileThatWouldNotComeBackWholeIsNotEdited) {
  const std::pair<const char*, std::string> refused[] = {
      {"a character without a code page 932 form", "\xEF\xBB\xBF[U]\r\na=\xE2\x82\xAC\r\n"},
      {"an invalid UTF-8 byte", "\xEF\xBB\xBF[U]\r\na=\xFF\r\n"},
      {"a lone UTF-16 surrogate", std::string("\xFF\xFE[\0U\0]\0\x00\xD8", 10)},
      {"an odd UTF-16 length", std::string("\xFE\xFF\0[\0U\0]\0", 9)},
  };
  for (const auto& [what, bytes] : refused) {
    EXPECT_EQ(DecodeProfileForEditing(bytes), std::nullopt) << what;
  }
  // A value that is not code page 932 cannot be written into a Unicode file.
  EXPECT_EQ(EncodeProfile(ProfileText{ProfileEncoding::kUtf8, "k=\x83"}), std::nullopt);
  EXPECT_EQ(EncodeProfile(ProfileText{ProfileEncoding::kCp932, "k=\x83"}),
            std::optional<std::string>("k=\x83"))
      << "code page 932 files take their bytes as they are";
}

}  // namespace
}  // namespace klv
