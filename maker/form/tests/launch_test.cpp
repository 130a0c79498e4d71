// The maker's command line: what each argument opens, by the file's first bytes.
#include "form/launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/bytes.h"
#include "klvtest/test_support.h"

namespace klv::form {
namespace {

// The first bytes of a package: "RIFF", a size, "DATA", "KLVZ" and the header's size.
test::Bytes PackageStart(uint32_t header_size = 592, const char* form = "DATA") {
  test::Bytes bytes(40, 0);
  std::copy_n("RIFF", 4, bytes.begin());
  PutLe32(&bytes[4], 32);
  std::copy_n(form, 4, bytes.begin() + 8);
  std::copy_n("KLVZ", 4, bytes.begin() + 12);
  PutLe32(&bytes[16], header_size);
  return bytes;
}

TEST(Launch, ArgumentsOpenThePictureThePackagesOrNothing) {
  test::TempFolder folder;
  test::WriteDiskFile(folder.File("photo.png"), test::Bytes{0x89, 'P', 'N', 'G'});
  test::WriteDiskFile(folder.File("a.klv"), PackageStart());
  test::WriteDiskFile(folder.File("b.dat"), PackageStart());  // a package by its bytes
  test::WriteDiskFile(folder.File("short.klv"), test::Bytes{'R', 'I', 'F', 'F'});
  test::WriteDiskFile(folder.File("avi.klv"), PackageStart(592, "AVI "));
  test::WriteDiskFile(folder.File("odd.klv"), PackageStart(600));
  const struct {
    std::vector<std::string> arguments;
    LaunchKind kind;
    size_t paths;
    const char* message;  // kRefused: how the message starts
  } cases[] = {
      {{}, LaunchKind::kWindow, 0, ""},
      {{"photo.png"}, LaunchKind::kPicture, 1, ""},
      {{"a.klv"}, LaunchKind::kPackages, 1, ""},
      {{"a.klv", "b.dat"}, LaunchKind::kPackages, 2, ""},
      // Files that do not begin as a package are pictures to the window.
      {{"short.klv"}, LaunchKind::kPicture, 1, ""},
      {{"avi.klv"}, LaunchKind::kPicture, 1, ""},
      {{"odd.klv"}, LaunchKind::kPicture, 1, ""},
      {{"--help"}, LaunchKind::kHelp, 0, ""},
      {{"photo.png", "--version"}, LaunchKind::kVersion, 0, ""},
      {{"missing.png"}, LaunchKind::kRefused, 0, "ファイルを開けません\n"},
      {{"."}, LaunchKind::kRefused, 0, "ファイルを開けません\n.: "},
      {{"--fit"}, LaunchKind::kRefused, 0, "知らないオプションです: --fit"},
      {{"photo.png", "a.klv"}, LaunchKind::kRefused, 0, "開ける画像は一つだけです"},
  };
  std::filesystem::current_path(folder.path());
  for (const auto& c : cases) {
    std::vector<ProgramArgument> arguments;
    std::string shown;
    for (const std::string& argument : c.arguments) {
      arguments.push_back(ProgramArgument{argument, argument});
      shown += argument + " ";
    }
    const Launch launch = ReadLaunch(Env::Default(), arguments, WindowLanguage::kJapanese);
    EXPECT_EQ(launch.kind, c.kind) << shown;
    EXPECT_EQ(launch.paths.size(), c.paths) << shown;
    EXPECT_TRUE(launch.message.starts_with(c.message)) << shown << ": " << launch.message;
  }
  // A path the platform cannot name is refused by its name, in the window's language.
  const Launch unnamed = ReadLaunch(Env::Default(), {ProgramArgument{"写真.png", std::nullopt}},
                                    WindowLanguage::kEnglish);
  EXPECT_EQ(unnamed.kind, LaunchKind::kRefused);
  EXPECT_EQ(
      unnamed.message,
      "Cannot open the file\n写真.png has characters that the system's code page cannot hold");
  std::filesystem::current_path("/");
}

}  // namespace
}  // namespace klv::form
