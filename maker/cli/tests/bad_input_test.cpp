// klvmake's bad-input table: the program run as a child process on missing, empty,
// unreadable and malformed pictures, odd picture sizes, odd densities and texts, and
// unwritable destinations. Each case names the outcome and the message it expects; none
// may crash or hang.
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

TEST_F(BadInputTest, Klvmake) {
  const auto picture = [](const char* name, std::vector<uint8_t> bytes) {
    return [name, bytes](const fs::path& root) {
      fs::create_directory(root / "out");
      WriteBytes(root / name, bytes);
    };
  };
  const std::vector<Case> cases = {
      {"missing picture",
       [](const fs::path& r) { fs::create_directory(r / "out"); },
       {"@/missing.bmp", "--out", "@/out"},
       kFailed,
       {"@/missing.bmp: cannot read the picture: the file cannot be opened"}},
      {"folder without pictures",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         fs::create_directory(r / "folder.bmp");
       },
       {"@/folder.bmp", "--out", "@/out"},
       kFailed,
       {"@/folder.bmp: the folder holds no picture that klvmake can read"}},
      {"pipe as picture",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         mkfifo((r / "pipe.bmp").c_str(), 0644);
       },
       {"@/pipe.bmp", "--out", "@/out"},
       kFailed,
       {"@/pipe.bmp: cannot read the picture: the file cannot be opened"}},
      {"unreadable picture",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         WriteBytes(r / "locked.bmp", Picture(64, 64));
         fs::permissions(r / "locked.bmp", fs::perms::none);
       },
       {"@/locked.bmp", "--out", "@/out"},
       kFailed,
       {"@/locked.bmp: cannot read the picture: the file cannot be opened"},
       "",
       true},
      {"empty file",
       picture("empty.bmp", {}),
       {"@/empty.bmp", "--out", "@/out"},
       kFailed,
       {"@/empty.bmp: cannot read the picture: truncated file header"}},
      {"text renamed .bmp",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         WriteText(r / "notes.bmp", "These are my notes, not a picture.\n");
       },
       {"@/notes.bmp", "--out", "@/out"},
       kFailed,
       {"@/notes.bmp: cannot read the picture: not a bitmap file"}},
      {"0 x 0 pixels",
       picture("zero.bmp", Picture(0, 0)),
       {"@/zero.bmp", "--out", "@/out"},
       kFailed,
       {"@/zero.bmp: cannot read the picture: empty picture (0 x 0)"}},
      // The grid of a 1 x 1 picture is -1 x -1: no tile, so no package is made.
      {"1 x 1 pixels",
       picture("one.bmp", Picture(1, 1)),
       {"@/one.bmp", "--out", "@/out", "--seed", "1"},
       kFailed,
       {"@/one.bmp: 画像が小さすぎです (1 x 1 pixels"}},
      {"100000 x 1 pixels",
       picture("wide.bmp", Picture(100000, 1)),
       {"@/wide.bmp", "--out", "@/out"},
       kFailed,
       {"@/wide.bmp: cannot read the picture: picture too large (100000 x 1"}},
      {"336 x 1 pixels",
       picture("wide.bmp", Picture(336, 1)),
       {"@/wide.bmp", "--out", "@/out"},
       kFailed,
       {"@/wide.bmp: 画像が大きすぎです (336 x 1"}},
      // Densities are percentages from 0 to 100; anything else is refused, never used.
      {"negative densities",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--piece-density", "-30", "--background-density", "-1"},
       kUsage,
       {"--piece-density: \"-30\" is not a number from 0 to 100"}},
      {"densities over 100",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--piece-density", "100", "--background-density=101"},
       kUsage,
       {"--background-density: \"101\" is not a number from 0 to 100"}},
      {"density that is no number",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--piece-density", "lots"},
       kUsage,
       {"--piece-density: \"lots\""}},
      {"name outside code page 932",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--name", "猫\xF0\x9F\x98\xBA"},
       kUsage,
       {"--name: the character", "(U+1F63A) cannot be written in code page 932"}},
      {"comment outside code page 932",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--comment", "a\xE2\x82\xAC"},
       kUsage,
       {"--comment: the character", "(U+20AC)"}},
      {"set name that is not UTF-8",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--set-name", "\xFF\xFE"},
       kUsage,
       {"--set-name: the text is not valid UTF-8"}},
      {"file name outside code page 932",
       picture("\xF0\x9F\x90\xB1.bmp", Picture(64, 64)),
       {"@/\xF0\x9F\x90\xB1.bmp", "--out", "@/out"},
       kUsage,
       {"give the puzzle name with --name"}},
      {"name with a folder separator",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--name", "../p"},
       kUsage,
       {"contains \"/\""}},
      // The make works in a private folder of its own: a picture in the destination that
      // bears a work file's name is only read.
      {"picture that is the destination's base.bmp",
       [](const fs::path& r) { WriteBytes(r / "base.bmp", Picture(64, 64)); },
       {"@/base.bmp", "--out", "@"},
       kWritten,
       {},
       "base.klv"},
      {"picture that is a tile file of the destination",
       [](const fs::path& r) { WriteBytes(r / "res0907.bmp", Picture(64, 64)); },
       {"@/res0907.bmp", "--out", "@/."},
       kWritten,
       {},
       "res0907.klv"},
      {"picture named base.bmp elsewhere",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         fs::create_directory(r / "pics");
         WriteBytes(r / "pics" / "base.bmp", Picture(64, 64));
       },
       {"@/pics/base.bmp", "--out", "@/out"},
       kWritten,
       {},
       "pics/base.bmp"},
      {"missing destination",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/nowhere"},
       kFailed,
       {"@/nowhere: the destination does not exist"}},
      {"destination under a file",
       [](const fs::path& r) {
         WriteBytes(r / "p.bmp", Picture(64, 64));
         WriteText(r / "file.txt", "x");
       },
       {"@/p.bmp", "--out", "@/file.txt/sub"},
       kFailed,
       {"@/file.txt/sub: the destination does not exist"}},
      {"destination is a file",
       [](const fs::path& r) {
         WriteBytes(r / "p.bmp", Picture(64, 64));
         WriteText(r / "file.txt", "x");
       },
       {"@/p.bmp", "--out", "@/file.txt"},
       kFailed,
       {"@/file.txt: the destination is a file, not a folder"}},
      {"destination that cannot be written",
       [](const fs::path& r) { WriteBytes(r / "p.bmp", Picture(64, 64)); },
       {"@/p.bmp", "--out", "/proc"},
       kFailed,
       {"/proc: cannot make the work folder"}},
      {"read-only destination",
       [](const fs::path& r) {
         WriteBytes(r / "p.bmp", Picture(64, 64));
         fs::create_directory(r / "out");
         fs::permissions(r / "out", fs::perms(0555));
       },
       {"@/p.bmp", "--out", "@/out"},
       kFailed,
       {"@/out: cannot make the work folder: Permission denied"},
       "",
       true},
  };
  RunTable("klvmake", cases);
}

}  // namespace
}  // namespace klv::test
