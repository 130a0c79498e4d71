// The maker's command line: options, and whether a file is a package or a picture by what
// its first bytes are, so that "Open with" on a photo chooses it instead of reading it as
// a package.
#include "form/launch.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "format/package_reader.h"
#include "language/ui_text.h"

namespace klv::form {
namespace {

constexpr UiText kCannotOpen = KLV_TEXT("klvmaker", "ファイルを開けません");
constexpr UiText kNotInCodePage =
    KLV_TEXT("klvmaker", "%1 にはシステムのコードページで表せない文字があります");
constexpr UiText kUnknownOption = KLV_TEXT("klvmaker", "知らないオプションです: %1");
constexpr UiText kOnePicture =
    KLV_TEXT("klvmaker", "開ける画像は一つだけです（パズルファイルはいくつでも開けます）");

constexpr size_t kPackageStart = 20;  // "RIFF", size, "DATA", "KLVZ", the header's size

// Opens `path` and tells whether it begins as a package; nothing, with *cause, when it
// cannot be opened.
std::optional<bool> FileBeginsAsPackage(Env& env, const std::string& path, std::string* cause) {
  std::unique_ptr<InputFile> file;
  const Status opened = env.OpenForSharedRead(path, &file);
  if (!opened.ok()) {
    *cause = opened.reason();
    return std::nullopt;
  }
  std::array<uint8_t, kPackageStart> head{};
  size_t got = 0;
  const Status read = file->Read(head.data(), head.size(), &got);
  if (!read.ok()) {
    *cause = read.reason();
    return std::nullopt;
  }
  return BeginsAsPackage(std::span<const uint8_t>(head.data(), got));
}

Launch Refused(const std::string& message) {
  Launch launch;
  launch.kind = LaunchKind::kRefused;
  launch.message = message;
  return launch;
}

}  // namespace

Launch ReadLaunch(Env& env, const std::vector<ProgramArgument>& arguments,
                  WindowLanguage language) {
  const auto say = [language](UiText text) { return std::string(Translate(language, text)); };
  Launch launch;
  bool any_picture = false;
  for (const ProgramArgument& argument : arguments) {
    if (argument.utf8 == "--help") return Launch{LaunchKind::kHelp, {}, {}};
    if (argument.utf8 == "--version") return Launch{LaunchKind::kVersion, {}, {}};
  }
  for (const ProgramArgument& argument : arguments) {
    if (argument.utf8.starts_with("-") && argument.utf8.size() > 1) {
      return Refused(FormatText(say(kUnknownOption), {argument.utf8}));
    }
    if (!argument.path) {
      return Refused(say(kCannotOpen) + "\n" + FormatText(say(kNotInCodePage), {argument.utf8}));
    }
    std::string cause;
    const std::optional<bool> package = FileBeginsAsPackage(env, *argument.path, &cause);
    if (!package) {
      return Refused(say(kCannotOpen) + "\n" + argument.utf8 + ": " + NativeToUtf8(cause));
    }
    any_picture = any_picture || !*package;
    launch.paths.push_back(argument.utf8);
  }
  if (launch.paths.empty()) return launch;
  if (any_picture && launch.paths.size() > 1) return Refused(say(kOnePicture));
  launch.kind = any_picture ? LaunchKind::kPicture : LaunchKind::kPackages;
  return launch;
}

}  // namespace klv::form
