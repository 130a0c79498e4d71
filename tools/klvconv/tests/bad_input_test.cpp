// klvconv's bad-input table: the program run as a child process on missing, empty,
// unreadable and malformed work folders, descriptions and bitmaps, and unwritable
// packages. Each case names the outcome and the message it expects; none may crash or hang.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "klvtest/program_table.h"

namespace klv::test {
namespace {

namespace fs = std::filesystem;

// The table's test suite, over the harness's fixture.
class BadInputTest : public ProgramTableTest {};

std::string PuzzleIni(const std::string& lines) { return "[PuzzleData]\r\n" + lines; }

TEST_F(BadInputTest, Klvconv) {
  const std::string kLoadFailed = "画像を読み込めませんでした: ";
  const std::string kSaveFailed = "ファイルを保存できませんでした: ";
  // A folder that converts, given one change.
  const auto folder = [](std::function<void(const fs::path&)> change) {
    return [change](const fs::path& r) {
      WriteText(r / "Puzzle.ini", PuzzleIni("xMax=1\r\nyMax=1\r\nPuzzleName=Cat\r\n"));
      WriteBytes(r / "res0000.bmp", Picture(64, 64));
      WriteBytes(r / "base.bmp", Picture(64, 64));
      change(r);
    };
  };
  const std::vector<Case> cases = {
      {"no folder", Nothing(), {}, kUsage, {"missing FOLDER"}},
      {"two folders", Nothing(), {"@", "@"}, kUsage, {"one FOLDER only"}},
      {"missing folder", Nothing(), {"@/nowhere"}, kFailed, {"@/nowhere: no such folder"}},
      {"file as folder",
       [](const fs::path& r) { WriteText(r / "file.txt", "x"); },
       {"@/file.txt"},
       kFailed,
       {"@/file.txt: no such folder"}},
      // Without a description the library would take the defaults: a package of no tile.
      {"empty folder",
       Nothing(),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: there is no Puzzle.ini in the folder"}},
      {"no Puzzle.ini",
       folder([](const fs::path& r) { fs::remove(r / "Puzzle.ini"); }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: there is no Puzzle.ini in the folder"}},
      {"Puzzle.ini is a pipe",
       folder([](const fs::path& r) {
         fs::remove(r / "Puzzle.ini");
         mkfifo((r / "Puzzle.ini").c_str(), 0644);
       }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: cannot be read: not a regular file"}},
      {"Puzzle.ini over 1 MiB",
       folder([](const fs::path& r) { fs::resize_file(r / "Puzzle.ini", (1u << 20) + 1); }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: is 1048577 bytes long, more than a Puzzle.ini may be (1 MiB)"}},
      {"grid without a tile",
       folder([](const fs::path& r) {
         WriteText(r / "Puzzle.ini", PuzzleIni("xMax=-5\r\nyMax=1\r\n"));
       }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: the grid of xMax -5 by yMax 1 holds no tile"}},
      // A folder from Windows: the names are found whatever their case, as they are there.
      {"names in other cases",
       folder([](const fs::path& r) {
         fs::rename(r / "Puzzle.ini", r / "puzzle.ini");
         fs::rename(r / "res0000.bmp", r / "RES0000.BMP");
       }),
       {"@"},
       kWritten,
       {},
       "Cat.klv"},
      {"valid folder", folder([](const fs::path&) {}), {"@"}, kWritten, {}, "Cat.klv"},
      {"empty base",
       folder([](const fs::path& r) { WriteText(r / "base.bmp", ""); }),
       {"@"},
       kFailed,
       {kLoadFailed + "@/base.bmp", kSaveFailed + "@/Cat.klv"}},
      {"text renamed .bmp",
       folder([](const fs::path& r) { WriteText(r / "res0000.bmp", "just some text\n"); }),
       {"@"},
       kFailed,
       {kLoadFailed + "@/res0000.bmp", kSaveFailed + "@/Cat.klv"}},
      {"folder as picture",
       folder([](const fs::path& r) {
         fs::remove(r / "base.bmp");
         fs::create_directory(r / "base.bmp");
       }),
       {"@"},
       kFailed,
       {kLoadFailed + "@/base.bmp"}},
      {"unreadable picture",
       folder([](const fs::path& r) { fs::permissions(r / "base.bmp", fs::perms::none); }),
       {"@"},
       kFailed,
       {kLoadFailed + "@/base.bmp"},
       "",
       true},
      {"top-down picture",
       folder([](const fs::path& r) { WriteBytes(r / "res0000.bmp", TopDownPicture(64, 64)); }),
       {"@"},
       kFailed,
       {"画像の大きさが正しくありません: @/res0000.bmp", kLoadFailed + "@/res0000.bmp"}},
      {"picture of only its file header",
       folder([](const fs::path& r) {
         WriteBytes(r / "base.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
       }),
       {"@"},
       kFailed,
       {kSaveFailed + "@/Cat.klv", "40 バイトではありません"}},
      {"grid over 144 tiles",
       folder([](const fs::path& r) {
         WriteText(r / "Puzzle.ini", PuzzleIni("xMax=100000\r\nyMax=100000\r\n"));
       }),
       {"@"},
       kFailed,
       {"144 を超えています: @/Puzzle.ini"}},
      {"Puzzle.ini of random bytes",
       folder([](const fs::path& r) {
         std::vector<uint8_t> noise(300);
         for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 151 + 7);
         for (uint8_t& b : noise) b = b == '[' ? 'x' : b;
         WriteBytes(r / "Puzzle.ini", noise);
       }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: the grid of xMax -1 by yMax 8 holds no tile"}},
      {"Puzzle.ini is a folder",
       folder([](const fs::path& r) {
         fs::remove(r / "Puzzle.ini");
         fs::create_directory(r / "Puzzle.ini");
       }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: cannot be read: Is a directory"}},
      {"puzzle name with folder separators",
       folder([](const fs::path& r) {
         WriteText(r / "Puzzle.ini", PuzzleIni("xMax=1\r\nyMax=1\r\nPuzzleName=../x/y\r\n"));
       }),
       {"@"},
       kWritten,
       {},
       ".._x_y.klv"},
      {"puzzle name outside code page 932",
       folder([](const fs::path& r) {
         WriteText(r / "Puzzle.ini", PuzzleIni("xMax=1\r\nyMax=1\r\nPuzzleName=a\xFF\xA6z\r\n"));
       }),
       {"@"},
       kWritten,
       {},
       "a%FF\xEF\xBD\xA6z.klv"},
      {"read-only folder",
       folder([](const fs::path& r) { fs::permissions(r, fs::perms(0555)); }),
       {"@"},
       kFailed,
       {kSaveFailed + "@/Cat.klv（作成できません: Permission denied）"},
       "",
       true},
  };
  RunTable("klvconv", cases);
}

}  // namespace
}  // namespace klv::test
