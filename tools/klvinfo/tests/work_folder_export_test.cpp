// Tests of unpacking a package into its work folder: Puzzle.ini with every key, the
// picture files, the warnings for what the converter would not give back, and writing
// only into a new or empty folder.
#include "klvinfo/work_folder_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "klvtest/test_support.h"

namespace klv {
namespace {

using test::Bytes;

Package GridPackage(int16_t x_max, int16_t y_max, int tiles) {
  Package package;
  PackageHeader header = NewPackageHeader(x_max, y_max);
  header.fileVersion = -7;
  header.Difficulty = 5;
  header.backColor = {0x00, 0x80, 0xFF};
  header.PuzzleName = "Cat";
  header.PrevPassWord = "9";
  package.header = header;
  package.base = PackagePicture{612, -1, -1, -1, Bytes{'B', 'M', 1}};
  for (int i = 0; i < tiles; ++i) {
    package.tiles.push_back({0, i, i / x_max, i % x_max, Bytes{'B', 'M', static_cast<uint8_t>(i)}});
  }
  return package;
}

std::vector<std::string> Names(const WorkFolderExport& work) {
  std::vector<std::string> names;
  for (const ExportedFile& file : work.files) names.push_back(file.name);
  return names;
}

TEST(WorkFolderExport, PuzzleIniHoldsEveryKeyAndThePicturesTheirChunks) {
  const WorkFolderExport work = ExportWorkFolder(GridPackage(2, 1, 2));
  EXPECT_TRUE(work.warnings.empty()) << work.warnings[0];
  EXPECT_EQ(Names(work),
            (std::vector<std::string>{"Puzzle.ini", "base.bmp", "res0000.bmp", "res0001.bmp"}));
  EXPECT_EQ(std::string(work.files[0].bytes.begin(), work.files[0].bytes.end()),
            "[PuzzleData]\r\nxMax=2\r\nyMax=1\r\nbackColor=0080FF\r\nPuzzleName=Cat\r\n"
            "PassWord=\r\nPuzzleSetName=\r\nLongPuzzleName=\r\nDifficulty=5\r\n"
            "FileVersion=-7\r\nPrevPassWord=9\r\n");
  EXPECT_EQ(work.files[3].bytes, (Bytes{'B', 'M', 1}));
}

TEST(WorkFolderExport, TextsThatPuzzleIniCannotKeepAreWarnedAbout) {
  struct Case {
    std::string name;
    bool warned;
  } cases[] = {
      {"Cat", false},   {"", false},     {"a\"b", false},   {"\x94\x4C", false},
      {" Cat", true},   {"Cat\t", true}, {"\"Cat\"", true}, {"'Cat'", true},
      {"a\r\nb", true}, {"a=b", false},  {"[x]", false},
  };
  for (const Case& c : cases) {
    Package package = GridPackage(1, 1, 1);
    package.header->LongPuzzleName = c.name;
    const WorkFolderExport work = ExportWorkFolder(package);
    ASSERT_EQ(work.warnings.size(), c.warned ? 1u : 0u) << c.name;
    if (c.warned) {
      EXPECT_EQ(work.warnings[0].rfind("the comment \"", 0), 0u) << work.warnings[0];
    }
  }
}

TEST(WorkFolderExport, MissingPicturesAndLargeGridsAreWarnedAbout) {
  Package package = GridPackage(13, 12, 2);
  package.base.reset();
  const WorkFolderExport work = ExportWorkFolder(package);
  ASSERT_GE(work.warnings.size(), 3u);
  EXPECT_EQ(work.warnings[0], "the grid holds 156 tiles; the converter takes at most 144");
  EXPECT_EQ(work.warnings[1], "the base picture is missing");
  EXPECT_EQ(work.warnings[2], "tile 2 (row 0, column 2) is missing");
  EXPECT_EQ(Names(work), (std::vector<std::string>{"Puzzle.ini", "res0000.bmp", "res0001.bmp"}));
}

TEST(WorkFolderExport, WritesOnlyIntoANewOrEmptyFolder) {
  test::TempFolder temp;
  const std::vector<ExportedFile> files = {{"Puzzle.ini", {'x'}}, {"base.bmp", {'B', 'M'}}};
  std::filesystem::create_directory(temp.File("empty"));
  std::filesystem::create_directory(temp.File("full"));
  test::WriteDiskText(temp.File("full/mine.txt"), "keep");
  std::filesystem::create_directory(temp.File("target"));
  std::filesystem::create_directory_symlink(temp.File("target"), temp.File("link"));
  struct Case {
    const char* folder;
    bool written;
  } cases[] = {
      {"new", true}, {"empty", true}, {"full", false}, {"link", false}, {"no/parent", false}};
  for (const Case& c : cases) {
    std::string cause;
    EXPECT_EQ(WriteWorkFolder(temp.File(c.folder), files, &cause), c.written) << c.folder;
    EXPECT_EQ(test::ReadDiskFile(temp.File(std::string(c.folder) + "/base.bmp")).has_value(),
              c.written)
        << c.folder;
  }
  EXPECT_EQ(test::DiskFolderNames(temp.File("full")), std::vector<std::string>{"mine.txt"});
  EXPECT_TRUE(std::filesystem::is_empty(temp.File("target")));
}

}  // namespace
}  // namespace klv
