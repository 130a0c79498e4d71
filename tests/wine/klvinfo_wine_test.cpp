// klvinfo (Linux) against klvinfo.exe (Windows, under Wine) on the same package: the same
// JSON object (texts converted alike), the same work folder unpacked, the same solved picture as a
// BMP; PNG output, which the Windows build lacks, is refused there with exit status 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "wine_support.h"

namespace klv::winetest {
namespace {

// Standard output without the carriage returns that the Windows C runtime adds.
std::string Plain(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

TEST(KlvinfoOnWine, SamePackageGivesTheSameAnswers) {
  TempFolder root;
  const std::string folder = root.path() + "/made";
  std::filesystem::create_directories(folder);
  for (const auto& [name, tile] : {std::pair{"res0000.bmp", 1}, {"res0001.bmp", 2}}) {
    BmpFields fields;
    fields.width = fields.height = 64;
    fields.seed = static_cast<uint8_t>(tile);
    WriteDiskFile(folder + "/" + name, MakeBmp(fields));
  }
  BmpFields base;
  base.width = 96;
  base.height = 64;
  WriteDiskFile(folder + "/base.bmp", MakeBmp(base));
  // "ﾈｺ" and "三毛猫です" in code page 932.
  WriteDiskText(folder + "/Puzzle.ini",
                PuzzleIni({{"xMax", "2"},
                           {"yMax", "1"},
                           {"PuzzleName", "\xC8\xBA"},
                           {"LongPuzzleName", "\x8E\x4F\x96\xD1\x94\x4C\x82\xC5\x82\xB7"},
                           {"PassWord", "4321"}}));
  ASSERT_EQ(RunLinux("klvconv", {folder}).exit_code, 0);
  const std::string package = folder + "/ﾈｺ.klv";
  const std::string windows_package = WindowsPath(package);

  const RunResult linux_json = RunLinux("klvinfo", {"--json", package});
  const RunResult windows_json = RunWine("klvinfo", {"--json", windows_package});
  ASSERT_EQ(linux_json.exit_code, 0) << Describe(linux_json);
  EXPECT_EQ(windows_json.exit_code, 0) << Describe(windows_json);
  EXPECT_EQ(Plain(windows_json.out), linux_json.out);

  const RunResult linux_extract = RunLinux("klvinfo", {"--extract", root.path() + "/l", package});
  const RunResult windows_extract =
      RunWine("klvinfo", {"--extract", WindowsPath(root.path() + "/w"), windows_package});
  ASSERT_EQ(linux_extract.exit_code, 0) << Describe(linux_extract);
  EXPECT_EQ(windows_extract.exit_code, 0) << Describe(windows_extract);
  EXPECT_EQ(FolderDifference(FolderFiles(root.path() + "/l"), FolderFiles(root.path() + "/w")), "");

  ASSERT_EQ(RunLinux("klvinfo", {"--picture", root.path() + "/l.bmp", package}).exit_code, 0);
  const RunResult windows_picture =
      RunWine("klvinfo", {"--picture", WindowsPath(root.path() + "/w.bmp"), windows_package});
  EXPECT_EQ(windows_picture.exit_code, 0) << Describe(windows_picture);
  EXPECT_EQ(ReadDiskFile(root.path() + "/w.bmp"), ReadDiskFile(root.path() + "/l.bmp"));

  const RunResult png =
      RunWine("klvinfo", {"--picture", WindowsPath(root.path() + "/w.png"), windows_package});
  EXPECT_EQ(png.exit_code, 1);
  EXPECT_NE(png.err.find("cannot write PNG files"), std::string::npos) << Describe(png);
  EXPECT_FALSE(ReadDiskFile(root.path() + "/w.png"));
}

// Both builds refuse the same outputs for the same cause before anything is written: a
// folder in use, and a grid no package can hold.
TEST(KlvinfoOnWine, ExtractsThatCannotBeWrittenAreRefusedAlike) {
  TempFolder root;
  const std::string folder = root.path() + "/made";
  std::filesystem::create_directories(folder + "/used");
  WriteDiskText(folder + "/used/mine", "kept");
  BmpFields tile;
  tile.width = tile.height = 64;
  WriteDiskFile(folder + "/res0000.bmp", MakeBmp(tile));
  WriteDiskFile(folder + "/base.bmp", MakeBmp(tile));
  WriteDiskText(folder + "/Puzzle.ini", PuzzleIni({{"xMax", "1"}, {"yMax", "1"}}));
  ASSERT_EQ(RunLinux("klvconv", {folder}).exit_code, 0);
  Bytes hostile = ReadDiskFile(folder + "/the Puzzle.klv").value();
  hostile[24] = 145;  // xMax: 145 x 1 tiles
  WriteDiskFile(folder + "/hostile.klv", hostile);
  const struct {
    const char* package;
    const char* into;
    const char* said;
  } cases[] = {{"the Puzzle.klv", "used", "is a folder that is not empty"},
               {"hostile.klv", "new", "the grid holds 145 tiles, more than a package holds"}};
  for (const auto& c : cases) {
    const std::string package = folder + "/" + c.package, into = folder + "/" + c.into;
    const RunResult linux_run = RunLinux("klvinfo", {"--extract", into, package});
    const RunResult windows_run =
        RunWine("klvinfo", {"--extract", WindowsPath(into), WindowsPath(package)});
    for (const RunResult* run : {&linux_run, &windows_run}) {
      EXPECT_EQ(run->exit_code, 1) << Describe(*run);
      EXPECT_NE(run->err.find(c.said), std::string::npos) << Describe(*run);
    }
  }
  EXPECT_EQ(FolderFiles(folder + "/used").size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(folder + "/new"));
}

}  // namespace
}  // namespace klv::winetest
