// The package library's messages, composed by the library's own message table, as the
// command-line tools show them: unchanged in Japanese; in English with the names and the
// system's reason as they were.
#include "language/library_messages.h"

#include <gtest/gtest.h>

#include <string>

#include "conversion/messages.h"

namespace klv {
namespace {

// `pattern` with every "@" of it replaced by `file` and every "#" by `picture`.
std::string WithNames(std::string pattern, const std::string& file, const std::string& picture) {
  std::string text;
  for (const char c : pattern) text += c == '@' ? file : c == '#' ? picture : std::string(1, c);
  return text;
}

TEST(LibraryMessages, EnglishKeepsTheNamesAndTheReason) {
  // Names holding pieces of the messages: ": ", the cause's brackets, Japanese, a percent.
  const std::string file = "/w/a: %1 b/猫（白）.klv";
  const std::string picture = "/w/a: %1 b/res0102.bmp";
  const struct {
    Message message;
    SaveCause cause;
    const char* reason;
    const char* english;  // @: the file, #: the picture
  } cases[] = {
      {Message::kInvalidSize, SaveCause::kNone, "", "The picture has an invalid size: @"},
      {Message::kLoadFailed, SaveCause::kNone, "", "Cannot load the picture: @"},
      {Message::kGridRefused, SaveCause::kNone, "",
       "The number of tiles (xMax x yMax) is more than 144: @"},
      {Message::kSaveFailed, SaveCause::kNone, "", "Cannot save the file: @"},
      {Message::kSaveFailed, SaveCause::kCannotCreate, "Permission denied",
       "Cannot save the file: @ (it cannot be created: Permission denied)"},
      {Message::kSaveFailed, SaveCause::kWriteFailed, "No space left on device",
       "Cannot save the file: @ (writing it failed: No space left on device)"},
      {Message::kSaveFailed, SaveCause::kWriteFailed, "",
       "Cannot save the file: @ (writing it failed)"},
      {Message::kSaveFailed, SaveCause::kPictureMissing, "",
       "Cannot save the file: @ (# is not loaded)"},
      {Message::kSaveFailed, SaveCause::kHeaderNot40, "",
       "Cannot save the file: @ (the info header of # is not 40 bytes long)"},
      {Message::kSaveFailed, SaveCause::kPictureTruncated, "",
       "Cannot save the file: @ (# holds less data than its header gives)"},
      {Message::kSaveFailed, SaveCause::kFolderChanged, "",
       "Cannot save the file: @ (# was changed during the conversion)"},
  };
  for (const auto& c : cases) {
    const std::string text = MessageText(c.message, file, c.cause, picture, c.reason);
    SCOPED_TRACE(text);
    EXPECT_EQ(LibraryMessageIn(WindowLanguage::kJapanese, text), text);
    EXPECT_EQ(LibraryMessageIn(WindowLanguage::kEnglish, text),
              WithNames(c.english, file, picture));
  }
}

TEST(LibraryMessages, OtherTextsStayAsTheyAre) {
  for (const std::string text : {"", "KLVUtils: something new", "画像を読み込めませんでした",
                                 "前に 画像を読み込めませんでした: x"}) {
    EXPECT_EQ(LibraryMessageIn(WindowLanguage::kEnglish, text), text);
  }
}

}  // namespace
}  // namespace klv
