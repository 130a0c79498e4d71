// klvmake (Linux) against klvmake.exe (Windows, under Wine, loading KLVUtils.dll by its
// bare name): the same picture (BMP or PNG, as it is or fitted), options and --seed must
// give byte-identical packages,
// also when the Windows make goes into the root of a drive (the file prefix "K:\" and
// the folder argument "K:").
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "klvtest/picture_files.h"
#include "maker/make.h"
#include "wine_support.h"

namespace klv::winetest {
namespace {

struct MakeCase {
  const char* name;
  BmpFields picture;
  std::vector<std::string> options;  // besides the picture, --out and --seed
  bool written = true;
  std::string picture_name = "picture.bmp";  // UTF-8
  std::string earlier_ini;  // a Puzzle.ini already in the work folder (UTF-8), or none
  std::string out = "out";  // the work folder's name (UTF-8)
  Bytes file;               // the picture file when not empty (then `picture` is unused)
};

BmpFields Picture(int32_t width, int32_t height, uint16_t bits = 24, uint8_t seed = 3) {
  BmpFields fields;
  fields.width = width;
  fields.height = height;
  fields.bit_count = bits;
  fields.seed = seed;
  return fields;
}

std::vector<MakeCase> Cases() {
  return {
      {.name = "128 x 96, defaults", .picture = Picture(128, 96)},
      {.name = "335 x 335, black, full densities",
       .picture = Picture(335, 335),
       .options = {"--color", "black", "--piece-density", "100", "--background-density", "0"}},
      {.name = "8-bit picture, Japanese texts",
       .picture = Picture(100, 70, 8),
       // 〜 (U+301C), − (U+2212) and ¥ are JIS characters in their second Unicode form.
       .options = {"--name", "日本語のパズル名前", "--set-name", "動物たち", "--comment",
                   "猫が表示ソフトを見ている〜−¥", "--color", "yellow", "--piece-density", "55.5"}},
      {.name = "name taken from a Japanese file name",
       .picture = Picture(64, 64, 4),
       .picture_name = "猫の絵.bmp"},
      {.name = "earlier Puzzle.ini keeps PrevPassWord",
       .picture = Picture(96, 64),
       .options = {"--name", "Cat", "--keep-work-files"},
       .earlier_ini = "[PuzzleData]\r\nPrevPassWord=before\r\nxMax=99\r\n[Other]\r\nkept=yes\r\n"},
      {.name = "comment of two lines",
       .picture = Picture(64, 64),
       .options = {"--comment", "A cat\r\nholds", "--keep-work-files"}},
      {.name = "picture too large", .picture = Picture(336, 40), .written = false},
      {.name = "picture under one tile", .picture = Picture(48, 100), .written = false},
      {.name = "PNG picture",
       .picture_name = "photo.png",
       .file = test::EncodePngRaster(test::TestPhoto(128, 96))},
      {.name = "PNG photo cut, then fitted",
       .options = {"--crop", "500x300+71+13", "--fit"},
       .picture_name = "photo.png",
       .file = test::EncodePngRaster(test::TestPhoto(640, 480))},
      {.name = "BMP fitted", .picture = Picture(500, 400), .options = {"--fit"}},
      {.name = "Japanese work folder", .picture = Picture(64, 64), .out = "作業フォルダ"},
      // 表 is 0x95 0x5C in code page 932: its trail byte is the backslash.
      {.name = "work folder ending in a backslash trail byte",
       .picture = Picture(64, 96),
       .options = {"--name", "Cat"},
       .out = "図表"},
  };
}

void Lay(const std::string& folder, const MakeCase& make) {
  std::filesystem::create_directories(folder);
  if (!make.earlier_ini.empty()) WriteDiskText(folder + "/Puzzle.ini", make.earlier_ini);
}

TEST(KlvmakeOnWine, SamePictureOptionsAndSeedGiveTheSamePackage) {
  for (const MakeCase& make : Cases()) {
    SCOPED_TRACE(make.name);
    TempFolder root;
    const std::string picture = root.File(make.picture_name);
    WriteDiskFile(picture, make.file.empty() ? MakeBmp(make.picture) : make.file);
    const std::string linux_out = root.path() + "/linux/" + make.out;
    const std::string windows_out = root.path() + "/windows/" + make.out;
    Lay(linux_out, make);
    Lay(windows_out, make);

    std::vector<std::string> linux_args{picture, "--out", linux_out, "--seed", "4242"};
    std::vector<std::string> windows_args{WindowsPath(picture), "--out", WindowsPath(windows_out),
                                          "--seed", "4242"};
    linux_args.insert(linux_args.end(), make.options.begin(), make.options.end());
    windows_args.insert(windows_args.end(), make.options.begin(), make.options.end());
    const RunResult linux_run = RunLinux("klvmake", linux_args);
    const RunResult windows_run = RunWine("klvmake", windows_args);
    EXPECT_EQ(linux_run.exit_code, make.written ? 0 : 1) << Describe(linux_run);
    EXPECT_EQ(windows_run.exit_code, linux_run.exit_code) << Describe(windows_run);

    // Puzzle.ini (kept by --keep-work-files) is compared too: the portable profile
    // writer must lay the keys out as WritePrivateProfileStringA does.
    const auto linux_files = FolderFiles(linux_out);
    const auto windows_files = FolderFiles(windows_out);
    EXPECT_EQ(FolderDifference(linux_files, windows_files), "");
    size_t packages = 0;
    for (const auto& [name, bytes] : linux_files) {
      if (name.size() > 4 && name.substr(name.size() - 4) == ".klv") {
        ++packages;
        EXPECT_TRUE(ReadRiff(bytes).has_value()) << name;
      }
    }
    EXPECT_EQ(packages, make.written ? 1u : 0u);
  }
}

// The root of a drive: the work files are "K:\res0000.bmp" and so on, and FileConv gets
// "K:" without a separator. The package must be the one a make into a plain folder gives.
TEST(KlvmakeOnWine, MakeIntoTheRootOfADrive) {
  TempFolder root;
  const std::string picture = root.File("picture.bmp");
  WriteDiskFile(picture, MakeBmp(Picture(160, 128)));
  const std::string linux_out = root.path() + "/linux";
  const std::string drive = root.path() + "/drive";
  std::filesystem::create_directories(linux_out);
  std::filesystem::create_directories(drive);
  ASSERT_TRUE(MapWineDrive('k', drive));

  const std::vector<std::string> options{"--name", "Root", "--seed", "77", "--color", "cyan"};
  std::vector<std::string> linux_args{picture, "--out", linux_out};
  std::vector<std::string> windows_args{WindowsPath(picture), "--out", "K:\\"};
  linux_args.insert(linux_args.end(), options.begin(), options.end());
  windows_args.insert(windows_args.end(), options.begin(), options.end());
  const RunResult linux_run = RunLinux("klvmake", linux_args);
  const RunResult windows_run = RunWine("klvmake", windows_args);
  UnmapWineDrive('k');

  ASSERT_EQ(linux_run.exit_code, 0) << Describe(linux_run);
  ASSERT_EQ(windows_run.exit_code, 0) << Describe(windows_run);
  EXPECT_NE(windows_run.out.find("K:\\Root.klv"), std::string::npos) << Describe(windows_run);
  const auto linux_files = FolderFiles(linux_out);
  const auto windows_files = FolderFiles(drive);
  EXPECT_EQ(FolderDifference(linux_files, windows_files), "");
  ASSERT_EQ(windows_files.count("Root.klv"), 1u);
  // The work files went to the root and were removed from there.
  EXPECT_EQ(windows_files.size(), 1u);
}

// The texts reach the package in code page 932 whatever the system's code page: here
// Wine runs with code page 1252, and the Japanese set name and comment (given as
// arguments, so as UTF-16 to the program) must still give the Linux build's package.
// The names stay within their fields: a code page 1252 system cuts texts byte by byte.
TEST(KlvmakeOnWine, TextsAreCodePage932WhateverTheSystemCodePage) {
  TempFolder root;
  const std::string picture = root.File("picture.bmp");
  WriteDiskFile(picture, MakeBmp(Picture(96, 96)));
  const std::string linux_out = root.path() + "/linux";
  const std::string windows_out = root.path() + "/windows";
  std::filesystem::create_directories(linux_out);
  std::filesystem::create_directories(windows_out);

  const std::vector<std::string> options{
      "--name", "Cat", "--set-name", "動物たち", "--comment", "ネコとソフト表", "--seed", "9"};
  std::vector<std::string> linux_args{picture, "--out", linux_out};
  std::vector<std::string> windows_args{WindowsPath(picture), "--out", WindowsPath(windows_out)};
  linux_args.insert(linux_args.end(), options.begin(), options.end());
  windows_args.insert(windows_args.end(), options.begin(), options.end());
  const RunResult linux_run = RunLinux("klvmake", linux_args);
  const RunResult windows_run = RunWine("klvmake", windows_args, "C.UTF-8");
  ASSERT_EQ(linux_run.exit_code, 0) << Describe(linux_run);
  ASSERT_EQ(windows_run.exit_code, 0) << Describe(windows_run);
  const auto linux_files = FolderFiles(linux_out);
  EXPECT_EQ(FolderDifference(linux_files, FolderFiles(windows_out)), "");
  EXPECT_EQ(linux_files.count("Cat.klv"), 1u);
}

// A work folder whose make was killed (its lock file free) goes with the next make; one
// that merely has such a name stays, whatever its process number says.
TEST(KlvmakeOnWine, StaleWorkFoldersGoOnlyWhenTheyShowAKilledMake) {
  TempFolder root;
  const std::string picture = root.File("picture.bmp");
  WriteDiskFile(picture, MakeBmp(Picture(64, 64)));
  for (const char* side : {"linux", "windows"}) {
    const std::string out = root.path() + "/" + side;
    for (const char* name : {"/.klvmake-1-killed", "/.klvmake-1-nolock"}) {
      std::filesystem::create_directories(out + name);
      WriteDiskText(out + name + "/res0000.bmp", "debris");
    }
    WriteDiskText(out + "/.klvmake-1-killed/" + kWorkLockFileName, kWorkLockText);
    const RunResult run =
        std::string(side) == "linux"
            ? RunLinux("klvmake", {picture, "--out", out, "--seed", "1"})
            : RunWine("klvmake", {WindowsPath(picture), "--out", WindowsPath(out), "--seed", "1"});
    EXPECT_EQ(run.exit_code, 0) << Describe(run);
    EXPECT_FALSE(std::filesystem::exists(out + "/.klvmake-1-killed")) << side;
    EXPECT_TRUE(std::filesystem::exists(out + "/.klvmake-1-nolock/res0000.bmp")) << side;
  }
}

}  // namespace
}  // namespace klv::winetest
