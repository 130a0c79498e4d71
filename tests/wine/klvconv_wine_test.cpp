// klvconv (Linux) against klvconv.exe with KLVUtils.dll (Windows, under Wine): the same
// work folders must give the same result, the same messages and byte-identical folders
// afterwards: every bitmap kind, the failure cases (the earlier package kept), names of
// 15 and more bytes, and folder names that the Windows side must pass through its code
// page and its RIFF functions.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/platform.h"
#include "wine_support.h"

namespace klv::winetest {
namespace {

using Files = std::map<std::string, Bytes>;  // file name (UTF-8) -> bytes

struct ConvCase {
  const char* name;
  Files files;
  bool written;                 // the package is expected to be written (exit status 0)
  std::string folder = "work";  // the work folder's name (UTF-8)
};

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A 64 x 64 tile of `bits` bits per pixel.
BmpFields Tile(uint16_t bits) {
  BmpFields fields;
  fields.width = 64;
  fields.height = 64;
  fields.bit_count = bits;
  return fields;
}

// A work folder of `columns` x `rows` tiles made from `tile` (each its own pattern)
// and a base picture, with Puzzle.ini naming the puzzle `name`.
Files Folder(int columns, int rows, BmpFields tile, const std::string& name = "Cat") {
  Files files;
  files["Puzzle.ini"] = Text(PuzzleIni({{"xMax", std::to_string(columns)},
                                        {"yMax", std::to_string(rows)},
                                        {"backColor", "FF00FF"},
                                        {"PuzzleName", name},
                                        {"PassWord", "123456"},
                                        {"PuzzleSetName", "Animals"},
                                        {"LongPuzzleName", "A cat"},
                                        {"Difficulty", "5"},
                                        {"FileVersion", "2"}}));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      char file[32];
      std::snprintf(file, sizeof file, "res%02d%02d.bmp", r, c);
      tile.seed = static_cast<uint8_t>(r * 16 + c + 1);
      files[file] = MakeBmp(tile);
    }
  }
  BmpFields base;
  base.width = (columns + 1) * 32;
  base.height = (rows + 1) * 32;
  if (base.width <= 0 || base.height <= 0) base.width = base.height = 32;
  base.seed = 200;
  files["base.bmp"] = MakeBmp(base);
  return files;
}

Files With(Files files, const std::string& name, Bytes bytes) {
  files[name] = std::move(bytes);
  return files;
}

Files Without(Files files, const std::string& name) {
  files.erase(name);
  return files;
}

const std::string kJapanese = "日本語のパズル名前";  // 18 bytes in code page 932
const Bytes kEarlierPackage = Text("the earlier package");

std::vector<ConvCase> Cases() {
  BmpFields used3 = Tile(8);
  used3.used_colors = 3;
  BmpFields bitfields = Tile(16);
  bitfields.compression = 3;
  bitfields.table_entries = 3;  // the three colour masks
  BmpFields narrow24 = Tile(24);
  narrow24.width = 63;
  BmpFields rle8 = Tile(8);
  rle8.compression = 1;
  rle8.image_size = 4095;  // odd: the chunk is followed by a pad byte
  rle8.seed = 9;
  rle8.pixels = PatternBytes(4095, rle8.seed);
  BmpFields rle4 = Tile(4);
  rle4.compression = 2;
  rle4.image_size = 513;
  rle4.seed = 10;
  rle4.pixels = PatternBytes(513, rle4.seed);
  BmpFields top_down = Tile(24);
  top_down.height = -64;
  BmpFields core = Tile(24);
  core.header_size = 12;
  BmpFields v5 = Tile(24);
  v5.header_size = 124;
  BmpFields truncated = Tile(24);
  truncated.seed = 11;
  truncated.pixels = PatternBytes(1000, truncated.seed);
  BmpFields tiny;
  tiny.width = 1;
  tiny.height = 1;

  Files not_bm = Folder(2, 1, Tile(24));
  not_bm["res0001.bmp"][0] = 'X';

  Files base_only;
  base_only["Puzzle.ini"] = Text(PuzzleIni({{"xMax", "0"}, {"yMax", "0"}, {"PuzzleName", "Tiny"}}));
  base_only["base.bmp"] = MakeBmp(tiny);

  Files header_only = Folder(1, 1, Tile(24));
  header_only["base.bmp"].resize(14);

  Files all_keys;
  all_keys["Puzzle.ini"] = Text(
      "[PuzzleData]\r\nxMax=1\r\nyMax=1\r\nbackColor=ff\r\nPuzzleName=Keys\r\n"
      "PassWord=0123456789ABC\r\nPrevPassWord=prev\r\nPuzzleSetName=Set name too long\r\n"
      "LongPuzzleName=\"quoted comment\"\r\nDifficulty=70000\r\nfileVersion=-3\r\n");
  all_keys["res0000.bmp"] = MakeBmp(Tile(8));
  all_keys["base.bmp"] = MakeBmp(tiny);

  Files no_ini = Without(Folder(0, 0, Tile(24)), "Puzzle.ini");
  // As a folder made on Windows often spells them.
  Files other_cases = Folder(1, 1, Tile(24));
  other_cases["puzzle.ini"] = other_cases["Puzzle.ini"];
  other_cases["RES0000.BMP"] = other_cases["res0000.bmp"];
  other_cases = Without(Without(other_cases, "Puzzle.ini"), "res0000.bmp");

  return {
      {"1 bit", Folder(2, 1, Tile(1)), true},
      {"4 bits", Folder(2, 1, Tile(4)), true},
      {"8 bits", Folder(2, 1, Tile(8)), true},
      {"8 bits with 3 used colours", Folder(1, 1, used3), true},
      {"16 bits", Folder(1, 1, Tile(16)), true},
      {"16 bits with bit fields", Folder(1, 1, bitfields), true},
      {"24 bits, 63 pixels wide", Folder(1, 2, narrow24), true},
      {"32 bits", Folder(1, 1, Tile(32)), true},
      {"run-length 8 bits, odd size", Folder(2, 1, rle8), true},
      {"run-length 4 bits, odd size, last chunk", Folder(1, 1, rle4), true},
      // A grid without a tile, or no Puzzle.ini (the defaults' grid), makes no puzzle.
      {"1 x 1 base without tiles", base_only, false},
      {"9 x 9 tiles", Folder(9, 9, Tile(24)), true},
      {"16 x 9 tiles (the whole table)", Folder(16, 9, Tile(8)), true},
      {"every key, odd values", all_keys, true},
      {"no Puzzle.ini", no_ini, false},
      {"puzzle.ini and RES0000.BMP", other_cases, true},
      {"earlier package overwritten", With(Folder(1, 1, Tile(24)), "Cat.klv", kEarlierPackage),
       true},
      {"missing tile, earlier package kept",
       With(Without(Folder(3, 2, Tile(24)), "res0102.bmp"), "Cat.klv", kEarlierPackage), false},
      {"top-down tile", With(Folder(2, 1, Tile(24)), "res0001.bmp", MakeBmp(top_down)), false},
      {"core header tile", With(Folder(2, 1, Tile(24)), "res0000.bmp", MakeBmp(core)), false},
      {"124-byte header tile", With(Folder(1, 1, Tile(24)), "res0000.bmp", MakeBmp(v5)), false},
      {"tile without BM", not_bm, false},
      {"base of its 14-byte header only", header_only, false},
      {"tile shorter than its header says",
       With(Folder(1, 1, Tile(24)), "res0000.bmp", MakeBmp(truncated)), false},
      {"more than 144 tiles", Folder(13, 12, Tile(1)), false},
      {"name of 20 bytes", Folder(1, 1, Tile(24), "ABCDEFGHIJKLMNOPQRST"), true},
      {"Japanese name cut before a double-byte character", Folder(1, 1, Tile(24), kJapanese), true},
      {"Japanese name of exactly 15 bytes", Folder(1, 1, Tile(24), "a" + kJapanese), true},
      {"name with a backslash trail byte", Folder(1, 1, Tile(24), "表示ソフト"), true},
      {"name with a slash", Folder(1, 1, Tile(24), "Cat/Dog"), true},
      {"Japanese folder name", Folder(1, 1, Tile(24)), true, "作業フォルダ"},
      {"folder path beyond 128 bytes", Folder(1, 1, Tile(24)), true, std::string(140, 'f')},
      {"folder name with + and .", Folder(1, 1, Tile(24)), true, "pics.v2+old"},
      // 表 is 0x95 0x5C in code page 932: its trail byte is the backslash.
      {"folder name ending in a backslash trail byte", Folder(1, 1, Tile(24)), true, "図表"},
  };
}

// Writes `files` (names and Puzzle.ini texts in UTF-8, converted to code page 932 where
// the Windows side expects it: the profile text) into `folder`.
void Lay(const std::string& folder, const Files& files) {
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : files) {
    Bytes content = bytes;
    if (name == "Puzzle.ini" || name == "puzzle.ini") {
      const std::string utf8(bytes.begin(), bytes.end());
      const std::optional<std::string> cp932 = Utf8ToCp932(utf8);
      ASSERT_TRUE(cp932.has_value()) << utf8;
      content.assign(cp932->begin(), cp932->end());
    }
    WriteDiskFile(folder + "/" + name, content);
  }
}

// The messages of a run, one per line, with the work folder's path replaced by
// "<folder>" and Windows separators turned into "/"; code page 932 lines become UTF-8.
// `line` with the system's reason at the end of its bracket ("...: No such file or
// directory）") as "<reason>": each system gives its own words, in its own language.
std::string WithoutSystemReason(std::string line) {
  for (const std::string close : {"）", ")"}) {
    if (!line.ends_with(close)) continue;
    const size_t open = line.rfind(close == ")" ? "(" : "（");
    const size_t colon = line.rfind(": ");
    if (open != std::string::npos && colon != std::string::npos && colon > open) {
      line.replace(colon + 2, line.size() - close.size() - colon - 2, "<reason>");
    }
    break;
  }
  return line;
}

std::vector<std::string> Messages(const std::string& err, const std::string& folder, bool cp932) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < err.size()) {
    size_t end = err.find('\n', start);
    if (end == std::string::npos) end = err.size();
    std::string line = err.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (cp932) {
      // The folder's bytes are in the message as the system's code page gave them.
      line = Cp932ToUtf8(line).value_or("(not code page 932) " + line);
    }
    for (size_t at; (at = line.find(folder)) != std::string::npos;) {
      line.replace(at, folder.size(), "<folder>");
    }
    for (char& c : line) {
      if (c == '\\') c = '/';
    }
    lines.push_back(WithoutSystemReason(line));
  }
  return lines;
}

TEST(KlvconvOnWine, SameFoldersGiveTheSamePackages) {
  for (const ConvCase& conv : Cases()) {
    SCOPED_TRACE(conv.name);
    TempFolder root;
    const std::string linux_folder = root.path() + "/linux/" + conv.folder;
    const std::string windows_folder = root.path() + "/windows/" + conv.folder;
    Lay(linux_folder, conv.files);
    Lay(windows_folder, conv.files);

    const RunResult linux_run = RunLinux("klvconv", {linux_folder});
    const RunResult windows_run = RunWine("klvconv", {WindowsPath(windows_folder)});
    EXPECT_EQ(linux_run.exit_code, conv.written ? 0 : 1) << Describe(linux_run);
    EXPECT_EQ(windows_run.exit_code, linux_run.exit_code) << Describe(windows_run);
    EXPECT_EQ(Messages(windows_run.err, WindowsPath(windows_folder), true),
              Messages(linux_run.err, linux_folder, false));

    const Files linux_files = FolderFiles(linux_folder);
    const Files windows_files = FolderFiles(windows_folder);
    EXPECT_EQ(FolderDifference(linux_files, windows_files), "");
    // A package that was written is a well-formed RIFF form; one that was not leaves the
    // earlier file as it was.
    int packages = 0;
    for (const auto& [name, bytes] : linux_files) {
      if (name.size() < 4 || name.substr(name.size() - 4) != ".klv") continue;
      if (conv.files.count(name) != 0 && !conv.written) {
        EXPECT_EQ(bytes, kEarlierPackage) << name;
      } else {
        ++packages;
        EXPECT_TRUE(ReadRiff(bytes).has_value()) << name << " is not a RIFF form";
      }
    }
    EXPECT_EQ(packages, conv.written ? 1 : 0);
  }
}

// "J:\" names the root of a drive: klvconv.exe hands FileConv "J:", and the library adds
// its own separator.
TEST(KlvconvOnWine, ConvertsTheRootOfADrive) {
  TempFolder root;
  const std::string linux_folder = root.path() + "/linux";
  const std::string drive = root.path() + "/drive";
  Lay(linux_folder, Folder(2, 2, Tile(8)));
  Lay(drive, Folder(2, 2, Tile(8)));
  ASSERT_TRUE(MapWineDrive('j', drive));
  const RunResult linux_run = RunLinux("klvconv", {linux_folder});
  const RunResult windows_run = RunWine("klvconv", {"J:\\"});
  UnmapWineDrive('j');
  ASSERT_EQ(linux_run.exit_code, 0) << Describe(linux_run);
  ASSERT_EQ(windows_run.exit_code, 0) << Describe(windows_run);
  const Files linux_files = FolderFiles(linux_folder);
  EXPECT_EQ(FolderDifference(linux_files, FolderFiles(drive)), "");
  EXPECT_EQ(linux_files.count("Cat.klv"), 1u);
}

// An English user on a Japanese system (code page 932) reads the library's messages in
// English with the names byte for byte. The folder "ａi表" holds the bytes of the
// cause's bracket "（" (0x81 0x69) across two characters and a trail byte 0x5C.
TEST(KlvconvOnWine, MessagesInEnglishKeepTheNames) {
  TempFolder root;
  const std::string linux_folder = root.path() + "/linux/ａi表";
  const std::string windows_folder = root.path() + "/windows/ａi表";
  Lay(linux_folder, Without(Folder(2, 1, Tile(24)), "res0001.bmp"));
  Lay(windows_folder, Without(Folder(2, 1, Tile(24)), "res0001.bmp"));
  const RunResult linux_run = RunLinux("klvconv", {linux_folder}, "en");
  const RunResult windows_run =
      RunWine("klvconv", {WindowsPath(windows_folder)}, "ja_JP.UTF-8", "en_US.UTF-8");
  EXPECT_EQ(windows_run.exit_code, 1) << Describe(windows_run);
  const std::vector<std::string> expected = {
      "Cannot load the picture: <folder>/res0001.bmp",
      "Cannot save the file: <folder>/Cat.klv (<folder>/res0001.bmp is not loaded: <reason>)"};
  EXPECT_EQ(Messages(windows_run.err, WindowsPath(windows_folder), true), expected);
  EXPECT_EQ(Messages(linux_run.err, linux_folder, false), expected);
}

}  // namespace
}  // namespace klv::winetest
