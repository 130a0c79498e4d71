// The package library's messages to the user: the message table and the one place that
// hands a message to the platform (a message box on Windows, a handler or standard error
// elsewhere). Every message names the file it is about.
#ifndef KLV_CONVERSION_MESSAGES_H_
#define KLV_CONVERSION_MESSAGES_H_

#include <string>

namespace klv {

class Env;

// The library's messages. kInvalidSize and kLoadFailed keep their table numbers 4 and 5.
enum class Message {
  kInvalidSize = 4,  // a picture has a negative width or height
  kLoadFailed = 5,   // a picture could not be loaded
  kSaveFailed,       // "ファイルを保存できませんでした": the package was not written
  kGridRefused,      // Puzzle.ini asks for more tiles than the tile table holds
};

// Why a package was not written; shown in brackets after the save-failure message.
enum class SaveCause {
  kNone,
  kCannotCreate,      // the package file could not be created
  kWriteFailed,       // writing or completing the package file failed
  kPictureMissing,    // a picture (the cause file) was not loaded
  kHeaderNot40,       // a picture's info header is not 40 bytes long
  kPictureTruncated,  // a picture's header claims more bytes than the file holds
  kFolderChanged,     // a file (the cause file) changed while the package was written
};

// The text of `message` about `file`, in UTF-8. For kSaveFailed, `cause` and `cause_file`
// (the picture concerned, if any) add the reason, and a non-empty `reason` (the system's
// words for a failed create or write) follows the cause inside its brackets. `file`,
// `cause_file` and `reason` are inserted as they are. Always succeeds.
std::string MessageText(Message message, const std::string& file,
                        SaveCause cause = SaveCause::kNone, const std::string& cause_file = "",
                        const std::string& reason = "");

// Shows the message through env.ShowMessage, in the platform's narrow encoding (code
// page 932 on Windows, UTF-8 elsewhere); `file` and `cause_file` must already be in that
// encoding (they are the paths the library works with), and so must `reason`. Returns
// when the message has been dismissed.
void ShowLibraryMessage(Env& env, Message message, const std::string& file,
                        SaveCause cause = SaveCause::kNone, const std::string& cause_file = "",
                        const std::string& reason = "");

}  // namespace klv

#endif  // KLV_CONVERSION_MESSAGES_H_
