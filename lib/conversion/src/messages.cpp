// The package library's message table. The wording is kept in UTF-8 here; the Windows
// build converts it to code page 932 before it reaches a message box. "{file}" and
// "{cause}" mark where the file names go, so that they are inserted after any conversion
// and keep the bytes of the path as the platform gave them.
#include "conversion/messages.h"

#include <string_view>

#include "base/platform.h"

namespace klv {
namespace {

std::string_view Template(Message message) {
  switch (message) {
    case Message::kInvalidSize: return "画像の大きさが正しくありません: {file}";
    case Message::kLoadFailed: return "画像を読み込めませんでした: {file}";
    case Message::kSaveFailed: return "ファイルを保存できませんでした: {file}";
    case Message::kGridRefused: return "タイルの数 (xMax × yMax) が 144 を超えています: {file}";
  }
  return "{file}";
}

std::string_view CauseTemplate(SaveCause cause) {
  switch (cause) {
    case SaveCause::kNone: return "";
    case SaveCause::kCannotCreate: return "（作成できません）";
    case SaveCause::kWriteFailed: return "（書き込みに失敗しました）";
    case SaveCause::kPictureMissing: return "（{cause} が読み込まれていません）";
    case SaveCause::kHeaderNot40: return "（{cause} の情報ヘッダーが 40 バイトではありません）";
    case SaveCause::kPictureTruncated:
      return "（{cause} のデータがヘッダーの示す大きさに足りません）";
    case SaveCause::kFolderChanged: return "（{cause} が変換の途中で変更されました）";
  }
  return "";
}

// Replaces the first `marker` at or after `from` in `text` by `value`; returns the
// position after the value, so that a later marker is never looked for inside a name.
size_t Fill(std::string& text, size_t from, std::string_view marker, const std::string& value) {
  size_t at = text.find(marker, from);
  if (at == std::string::npos) return from;
  text.replace(at, marker.size(), value);
  return at + value.size();
}

// The message with its wording converted by `convert`, then the names and the system's
// reason filled in.
template <typename Convert>
std::string Compose(Message message, const std::string& file, SaveCause cause,
                    const std::string& cause_file, const std::string& reason, Convert convert) {
  std::string text(Template(message));
  if (message == Message::kSaveFailed) {
    std::string cause_text(CauseTemplate(cause));
    // The reason goes inside the brackets, before the closing one.
    constexpr std::string_view kClose = "）";
    if (!reason.empty() && cause_text.ends_with(kClose)) {
      cause_text.insert(cause_text.size() - kClose.size(), ": {reason}");
    }
    text += cause_text;
  }
  text = convert(text);
  size_t next = Fill(text, 0, "{file}", file);
  next = Fill(text, next, "{cause}", cause_file);
  Fill(text, next, "{reason}", reason);
  return text;
}

}  // namespace

std::string MessageText(Message message, const std::string& file, SaveCause cause,
                        const std::string& cause_file, const std::string& reason) {
  return Compose(message, file, cause, cause_file, reason, [](const std::string& s) { return s; });
}

void ShowLibraryMessage(Env& env, Message message, const std::string& file, SaveCause cause,
                        const std::string& cause_file, const std::string& reason) {
  env.ShowMessage(Compose(message, file, cause, cause_file, reason, [](const std::string& utf8) {
#if defined(_WIN32)
    // The wording is plain code page 932 text, so the conversion cannot fail in practice;
    // should it, the UTF-8 bytes are still better than no message.
    return Utf8ToCp932(utf8).value_or(utf8);
#else
    return utf8;
#endif
  }));
}

}  // namespace klv
