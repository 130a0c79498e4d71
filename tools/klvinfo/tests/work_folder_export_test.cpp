// Tests of unpacking a package into its work folder: Puzzle.ini with every key, the
// picture files, the warnings for what the converter would not give back, and grids no
// package holds.
#include "klvinfo/work_folder_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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
  std::string cause;
  const WorkFolderExport work = ExportWorkFolder(GridPackage(2, 1, 2), &cause).value();
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
    std::string cause;
    const WorkFolderExport work = ExportWorkFolder(package, &cause).value();
    ASSERT_EQ(work.warnings.size(), c.warned ? 1u : 0u) << c.name;
    if (c.warned) {
      EXPECT_EQ(work.warnings[0].rfind("the comment \"", 0), 0u) << work.warnings[0];
    }
  }
}

TEST(WorkFolderExport, MissingPicturesAreWarnedAbout) {
  Package package = GridPackage(12, 12, 2);
  package.base.reset();
  std::string cause;
  const WorkFolderExport work = ExportWorkFolder(package, &cause).value();
  ASSERT_EQ(work.warnings.size(), 1u + 142u);
  EXPECT_EQ(work.warnings[0], "the base picture is missing");
  EXPECT_EQ(work.warnings[1], "tile 2 (row 0, column 2) is missing");
  EXPECT_EQ(Names(work), (std::vector<std::string>{"Puzzle.ini", "res0000.bmp", "res0001.bmp"}));
}

// Every grid a package holds gives each tile a name of its own, however long its rows or
// columns; a grid beyond the package's 144 slots is refused before anything is made.
TEST(WorkFolderExport, TileNamesNeverCollideAndLargerGridsAreRefused) {
  const struct {
    int16_t x_max, y_max;
    bool exported;
  } cases[] = {{144, 1, true},  {1, 144, true},  {12, 12, true},  {16, 9, true},
               {145, 1, false}, {1, 145, false}, {13, 12, false}, {1000, 101, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.x_max) + " x " + std::to_string(c.y_max));
    const int tiles = std::min(c.x_max * c.y_max, 144);
    std::string cause;
    const std::optional<WorkFolderExport> work =
        ExportWorkFolder(GridPackage(c.x_max, c.y_max, tiles), &cause);
    ASSERT_EQ(work.has_value(), c.exported);
    if (!work) {
      EXPECT_EQ(cause, "the grid holds " + std::to_string(c.x_max * c.y_max) +
                           " tiles, more than a package holds (144)");
      continue;
    }
    const std::vector<std::string> names = Names(*work);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 2u + tiles);
  }
}

}  // namespace
}  // namespace klv
