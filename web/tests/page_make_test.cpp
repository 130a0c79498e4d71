// Tests of the web page's make: with a seed it makes exactly klvmake's package of the
// same picture, texts, colour and densities (through the conversion linked in instead of
// the library loaded); without one each make has a password of its own; and whatever
// happens, the page's folder is left as it was, with the message the window would show.
#include "web/page_make.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/platform.h"
#include "format/package_reader.h"
#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/source_picture.h"

namespace klv::web {
namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

TEST(PageMake, WithASeedThePackageIsKlvmakes) {
  test::TempFolder folder;
  const std::string photo = folder.File("harbour photo.png");
  test::WriteDiskFile(photo, test::EncodePngRaster(test::TestPhoto(500, 380)));
  SourceOptions fit;
  fit.fit = true;
  const std::optional<Raster> picture = ReadSourcePicture(Env::Default(), photo, fit, nullptr);
  ASSERT_TRUE(picture);

  const struct {
    PageValues values;
    std::string options;  // klvmake's for the same values
    std::string file;
  } cases[] = {
      {{.puzzleSetName = "動物たち",
        .puzzleName = " 港の朝 ",
        .comment = "夜明け\nの港",
        .colourOption = 1,
        .slider1 = 55,
        .slider2 = 80,
        .seed = 7},
       "--name '港の朝' --set-name '動物たち' --comment '夜明け' --color blue "
       "--piece-density 45 --background-density 20 --seed 7",
       "港の朝.klv"},
      {{.puzzleSetName = "Set",
        .puzzleName = "Cat",
        .comment = "",
        .colourOption = 0,
        .seed = 4294967295u},
       "--name Cat --set-name Set --comment '' --color black --seed 4294967295",
       "Cat.klv"},
  };
  for (const auto& c : cases) {
    const test::TempFolder page_folder;
    const test::TempFolder klvmake_folder;
    const std::string command = std::string(KLV_BINARY_DIR) + "/klvmake " + Quoted(photo) +
                                " --fit --out " + Quoted(klvmake_folder.path()) + " " + c.options +
                                " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const PagePackage made = MakePagePuzzle(Env::Default(), page_folder.path(), *picture, c.values,
                                            WindowLanguage::kJapanese);
    EXPECT_EQ(made.status, MakeStatus::kPackageWritten) << made.message;
    EXPECT_EQ(made.message, "コンバートが終了しました");
    EXPECT_EQ(made.fileName, c.file);
    EXPECT_EQ(made.bytes, test::ReadDiskFile(klvmake_folder.File(c.file))) << c.file;
    EXPECT_EQ(test::DiskFolderNames(page_folder.path()), std::vector<std::string>{});
  }
}

TEST(PageMake, WithoutASeedEachMakeHasAPasswordOfItsOwn) {
  const test::TempFolder folder;
  const Raster picture = test::TestPhoto(64, 64);
  std::vector<std::string> passwords;
  for (int i = 0; i < 2; ++i) {
    const PagePackage made =
        MakePagePuzzle(Env::Default(), folder.path(), picture, PageValues{.puzzleName = "Cat"},
                       WindowLanguage::kEnglish);
    const Package package = ReadPackage(made.bytes);
    ASSERT_TRUE(package.header) << made.message;
    passwords.push_back(package.header->PassWord);
  }
  EXPECT_NE(passwords[0], passwords[1]);
}

TEST(PageMake, AMakeThatCannotBeMadeSaysWhyAndLeavesNothing) {
  const test::TempFolder folder;
  const Raster picture = test::TestPhoto(64, 64);
  const struct {
    std::string folder;
    std::string name;
    MakeStatus status;
    std::string message;  // its beginning
  } cases[] = {
      {folder.path(), "  ", MakeStatus::kNameRefused,
       "The puzzle name cannot be used\nEnter a puzzle name"},
      {folder.path(), "a/b", MakeStatus::kNameRefused,
       "The puzzle name cannot be used\nA puzzle name cannot hold a folder separator"},
      {folder.File("gone"), "Cat", MakeStatus::kWorkFileNotWritten,
       "The work files could not be saved\n" + folder.File("gone") +
           ": cannot make the work folder: "},
  };
  for (const auto& c : cases) {
    const PagePackage made =
        MakePagePuzzle(Env::Default(), c.folder, picture,
                       PageValues{.puzzleName = c.name, .seed = 1}, WindowLanguage::kEnglish);
    EXPECT_EQ(made.status, c.status) << c.name;
    EXPECT_EQ(made.message.rfind(c.message, 0), 0u) << made.message;
    EXPECT_TRUE(made.bytes.empty());
    EXPECT_EQ(test::DiskFolderNames(folder.path()), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace klv::web
