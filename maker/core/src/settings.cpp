// The maker's remembered settings: the nine keys of section ToolsData in Morvel.ini, read
// at start-up and written back by SaveSettings, with the platform's profile-file rules.
#include "maker/settings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/platform.h"

namespace klv {
namespace {

constexpr char kSection[] = "ToolsData";
// Text values are read into a 256-byte buffer: at most 255 bytes come back.
constexpr size_t kTextBufferSize = 256;

// Code page 932 defaults: "ﾊﾟｽﾞﾙｾｯﾄ名", "ﾊﾟｽﾞﾙ名", "コメント".
constexpr char kDefaultPuzzleSetName[] = "\xca\xdf\xbd\xde\xd9\xbe\xaf\xc4\x96\xbc";
constexpr char kDefaultPuzzleName[] = "\xca\xdf\xbd\xde\xd9\x96\xbc";
constexpr char kDefaultComment[] = "\x83\x52\x83\x81\x83\x93\x83\x67";

constexpr int kDefaultSlider1 = 70;
constexpr int kDefaultSlider2 = 85;

// A stored value ends at its first zero byte, as in the platform's text buffer.
std::string ReadText(Env& env, const std::string& path, const char* key,
                     const std::string& default_value) {
  std::string value = env.GetProfileString(path, kSection, key, default_value, kTextBufferSize);
  const size_t zero = value.find('\0');
  if (zero != std::string::npos) value.resize(zero);
  return value;
}

int ReadSlider(Env& env, const std::string& path, const char* key, int default_value) {
  return std::clamp(static_cast<int>(env.GetProfileInt(path, kSection, key, default_value)), 0,
                    100);
}

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

Settings DefaultSettings() {
  Settings settings;
  settings.puzzleSetName = kDefaultPuzzleSetName;
  settings.puzzleName = kDefaultPuzzleName;
  settings.longPuzzleName = kDefaultComment;
  settings.slider1 = kDefaultSlider1;
  settings.slider2 = kDefaultSlider2;
  return settings;
}

Settings LoadSettings(Env& env, const std::string& path) {
  Settings settings;
  settings.puzzleSetName = ReadText(env, path, "PuzzleSetName", kDefaultPuzzleSetName);
  settings.puzzleName = ReadText(env, path, "PuzzleName", kDefaultPuzzleName);
  settings.longPuzzleName = ReadText(env, path, "LongPuzzleName", kDefaultComment);
  settings.srcDrive = ReadText(env, path, "SrcDrive", "");
  settings.srcDir = ReadText(env, path, "SrcDir", "");
  settings.destDrive = ReadText(env, path, "DestDrive", "");
  settings.destDir = ReadText(env, path, "DestDir", "");
  settings.slider1 = ReadSlider(env, path, "Slider1", kDefaultSlider1);
  settings.slider2 = ReadSlider(env, path, "Slider2", kDefaultSlider2);
  return settings;
}

Status SaveSettings(Env& env, const std::string& path, const Settings& settings) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return Status::IOError(folder.string(), error.message());
  }
  // In one replace of the file on Linux, key by key through the system's functions on
  // Windows; either way with the result of the nine writes in this order.
  return env.WriteProfileStrings(path, kSection,
                                 {{"PuzzleName", settings.puzzleName},
                                  {"PuzzleSetName", settings.puzzleSetName},
                                  {"LongPuzzleName", settings.longPuzzleName},
                                  {"SrcDrive", settings.srcDrive},
                                  {"SrcDir", settings.srcDir},
                                  {"DestDrive", settings.destDrive},
                                  {"DestDir", settings.destDir},
                                  {"Slider1", std::to_string(settings.slider1)},
                                  {"Slider2", std::to_string(settings.slider2)}});
}

std::string SettingsPath() {
  const std::string tail = std::string("KLVMaker") + kPathSeparator + "Morvel.ini";
#if defined(_WIN32)
  const std::string app_data = EnvironmentValue("APPDATA");
  if (!app_data.empty()) return app_data + kPathSeparator + tail;
  return "Morvel.ini";
#else
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
  const std::string config_home = EnvironmentValue("XDG_CONFIG_HOME");
  if (!config_home.empty() && config_home.front() == '/') return config_home + "/" + tail;
  const std::string home = EnvironmentValue("HOME");
  if (!home.empty()) return home + "/.config/" + tail;
  return "Morvel.ini";
#endif
}

}  // namespace klv
