// Tests of the remembered settings in Morvel.ini: defaults, the nine keys written in order,
// values cut or clamped on reading, and where the file lives.
#include "maker/settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform.h"
#include "klvtest/test_support.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace klv {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() /
              ("klv_settings_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  static std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  fs::path folder_;
};

std::string Cp932(const std::string& utf8) { return Utf8ToCp932(utf8).value_or("?"); }

TEST_F(SettingsTest, AbsentFileGivesTheDefaults) {
  const Settings settings = LoadSettings(Env::Default(), PathOf("Morvel.ini"));
  EXPECT_EQ(settings, DefaultSettings());
  EXPECT_EQ(settings.puzzleSetName, Cp932("ﾊﾟｽﾞﾙｾｯﾄ名"));
  EXPECT_EQ(settings.puzzleSetName.size(), 10u);
  EXPECT_EQ(settings.puzzleName, Cp932("ﾊﾟｽﾞﾙ名"));
  EXPECT_EQ(settings.longPuzzleName, Cp932("コメント"));
  EXPECT_EQ(settings.srcDrive, "");
  EXPECT_EQ(settings.destDir, "");
  EXPECT_EQ(settings.slider1, 70);
  EXPECT_EQ(settings.slider2, 85);
}

TEST_F(SettingsTest, SaveWritesAllNineKeysInOrderAndCreatesTheFolder) {
  const std::string path = PathOf("KLVMaker/Morvel.ini");
  Settings settings = DefaultSettings();
  settings.srcDir = "/home/user/pics";
  settings.destDir = "/tmp/out";
  settings.srcDrive = "/";
  settings.destDrive = "/";
  ASSERT_TRUE(SaveSettings(Env::Default(), path, settings).ok());

  const std::string text = ReadText(path);
  const std::vector<std::string> keys = {
      "PuzzleName=", "PuzzleSetName=", "LongPuzzleName=", "SrcDrive=", "SrcDir=",
      "DestDrive=",  "DestDir=",       "Slider1=70",      "Slider2=85"};
  size_t previous = text.find("[ToolsData]");
  ASSERT_NE(previous, std::string::npos) << text;
  for (const std::string& key : keys) {
    const size_t at = text.find("\n" + key, previous);
    ASSERT_NE(at, std::string::npos) << key << " in\n" << text;
    EXPECT_GT(at, previous) << key;
    previous = at;
  }
  EXPECT_EQ(LoadSettings(Env::Default(), path), settings);
}

TEST_F(SettingsTest, SaveReplacesOldValuesAndKeepsOtherLines) {
  const std::string path = PathOf("Morvel.ini");
  WriteText(path, "[Other]\r\nKeep=1\r\n[ToolsData]\r\nSlider1=5\r\nExtra=x\r\n");
  Settings settings = DefaultSettings();
  settings.slider1 = 40;
  settings.puzzleName = "Cat";
  ASSERT_TRUE(SaveSettings(Env::Default(), path, settings).ok());

  EXPECT_EQ(LoadSettings(Env::Default(), path), settings);
  EXPECT_EQ(Env::Default().GetProfileString(path, "Other", "Keep", "", 256), "1");
  EXPECT_EQ(Env::Default().GetProfileString(path, "ToolsData", "Extra", "", 256), "x");
  const std::string text = ReadText(path);
  EXPECT_EQ(text.find("Slider1=5"), std::string::npos) << text;
}

TEST_F(SettingsTest, SaveSaysWhatFailed) {
  // A file where the folder should be: the folder cannot be made, and nothing is written.
  WriteText(PathOf("KLVMaker"), "x");
  const Status unmade =
      SaveSettings(Env::Default(), PathOf("KLVMaker/Morvel.ini"), DefaultSettings());
  EXPECT_FALSE(unmade.ok());
  EXPECT_EQ(unmade.context(), PathOf("KLVMaker"));
  EXPECT_FALSE(unmade.reason().empty());
  EXPECT_EQ(ReadText(PathOf("KLVMaker")), "x");

  test::FakeEnv env;
  env.unwritable.insert("Morvel.ini");
  const Status unwritten = SaveSettings(env, "Morvel.ini", DefaultSettings());
  EXPECT_FALSE(unwritten.ok());
  EXPECT_EQ(unwritten.context(), "Morvel.ini");
}

TEST_F(SettingsTest, StoredValuesAreCutAndClamped) {
  struct Case {
    const char* slider_line;  // as stored
    int slider;               // as loaded
  };
  const Case cases[] = {
      {"Slider1=-5", 0},    {"Slider1=150", 100}, {"Slider1=abc", 0},  {"Slider1=", 70},
      {"Slider1=100", 100}, {"Slider1=0", 0},     {"Slider1= 42", 42}, {"", 70},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.slider_line);
    const std::string path = PathOf("Morvel.ini");
    WriteText(path, "[ToolsData]\r\nLongPuzzleName=" + std::string(300, 'c') +
                        "\r\nSrcDrive=\r\nSrcDir=/pics\r\n" + c.slider_line + "\r\n");
    const Settings settings = LoadSettings(Env::Default(), path);
    EXPECT_EQ(settings.slider1, c.slider);
    EXPECT_EQ(settings.slider2, 85);
    EXPECT_EQ(settings.longPuzzleName, std::string(255, 'c'));
    EXPECT_EQ(settings.srcDrive, "");
    EXPECT_EQ(settings.srcDir, "/pics");
    EXPECT_EQ(settings.puzzleName, Cp932("ﾊﾟｽﾞﾙ名"));
  }
}

#if !defined(_WIN32)
TEST(SettingsPathTest, FollowsTheConfigurationFolder) {
  const char* saved_config = std::getenv("XDG_CONFIG_HOME");
  const char* saved_home = std::getenv("HOME");
  const std::string config_copy = saved_config ? saved_config : "";
  const std::string home_copy = saved_home ? saved_home : "";

  struct Case {
    const char* config;  // null: unset
    const char* home;
    const char* path;
  };
  const Case cases[] = {
      {"/cfg", "/home/u", "/cfg/KLVMaker/Morvel.ini"},
      {nullptr, "/home/u", "/home/u/.config/KLVMaker/Morvel.ini"},
      {"", "/home/u", "/home/u/.config/KLVMaker/Morvel.ini"},
      {"relative/cfg", "/home/u", "/home/u/.config/KLVMaker/Morvel.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    if (c.config) {
      setenv("XDG_CONFIG_HOME", c.config, 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    setenv("HOME", c.home, 1);
    EXPECT_EQ(SettingsPath(), c.path);
  }

  if (saved_config) {
    setenv("XDG_CONFIG_HOME", config_copy.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
  if (saved_home) {
    setenv("HOME", home_copy.c_str(), 1);
  } else {
    unsetenv("HOME");
  }
}
#endif

}  // namespace
}  // namespace klv
