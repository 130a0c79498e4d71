// Tests of the make's output: the path forms, the private work folder and the order of
// its files and of Puzzle.ini's keys, the hand-off to FileConv, the rename into place and
// the clean-up with faults injected, on an in-memory file system; and one whole make
// through KLVUtils whose package is read back.
#include "maker/make.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/profile.h"
#include "base/work_folder.h"
#include "format/package_reader.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"
#include "maker/colors.h"
#include "maker/grid.h"
#include "maker/make_values.h"
#include "maker/package_pictures.h"
#include "maker/tile_effect.h"
#include "maker/work_canvas.h"

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace klv {
namespace {

using test::Bytes;
using test::FakeEnv;

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A FileConv stand-in: records its argument and the work folder as it found it, and
// writes a package named after the PuzzleName in the folder's Puzzle.ini, as FileConv does.
class FakeConverter : public PackageConverter {
 public:
  explicit FakeConverter(FakeEnv& env, std::optional<int16_t> result = 1)
      : env_(env), result_(result) {}
  StatusOr<int16_t> Convert(const std::string& folder_argument) override {
    arguments.push_back(folder_argument);
    files_at_call = env_.files;
    if (!result_) return Status::NotFound("KLVUtils", "not found");
    if (result_ == 1) {
      const std::string name = env_.GetProfileString(folder_argument + "/Puzzle.ini", "PuzzleData",
                                                     "PuzzleName", "the Puzzle", 16);
      env_.AddText(folder_argument + "/" + name + ".klv", "package of " + folder_argument);
    }
    return *result_;
  }
  std::vector<std::string> arguments;
  std::map<std::string, Bytes> files_at_call;

 private:
  FakeEnv& env_;
  std::optional<int16_t> result_;
};

// The private work folder the fake environment gives the first make into `destination`.
std::string Private(const std::string& destination) {
  return destination + (destination.ends_with("/") ? "" : "/") + kPrivateFolderStem +
         std::to_string(CurrentProcessId()) + "-000001";
}

Raster Picture(int width, int height) {
  Raster picture = Raster::Filled(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.Set(x, y,
                  static_cast<uint32_t>(((x * 3) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | 0x21));
    }
  }
  return picture;
}

MakeRequest Request(int width, int height, const std::string& folder) {
  MakeRequest request;
  request.source = Picture(width, height);
  request.grid = GridForPicture(width, height);
  request.destination = folder;
  request.puzzleName = "Cat";
  request.puzzleSetName = "Animals";
  request.comment = "A cat";
  request.password = "1234";
  request.seed = 42;
  return request;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(Make, WorkPathForms) {
  struct Case {
    const char* folder;
    const char* prefix;
    const char* argument;
  };
  const Case cases[] = {
      {"/", "/", ""},
      {"/tmp/work", "/tmp/work/", "/tmp/work"},
      {"/tmp/work/", "/tmp/work/", "/tmp/work"},
      {"work", "work/", "work"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const WorkPaths paths = DeriveWorkPaths(c.folder);
    EXPECT_EQ(paths.filePrefix, c.prefix);
    EXPECT_EQ(paths.folderArgument, c.argument);
  }
}

// The work files go into the make's private folder; the destination's own files, those
// with the work files' names among them, are neither read nor changed, and the package
// replaces an earlier one of its name.
TEST(Make, WorkFilesGoIntoAPrivateFolderAndOnlyThePackageComesOut) {
  FakeEnv env;
  env.AddText("/work/other.txt", "x");
  env.AddText("/work/res0000.bmp", "the user's");
  env.AddText("/work/resolve.bmp", "the user's");
  env.AddText("/work/base.bmp", "the user's");
  env.AddText("/work/Puzzle.ini", "[PuzzleData]\r\nPrevPassWord=HACK\r\nxMax=7\r\n");
  env.AddText("/work/Cat.klv", "an earlier package");
  std::map<std::string, Bytes> expected_after = env.files;
  const std::string folder = Private("/work");

  FakeConverter converter(env);
  std::vector<MakeStatus> seen_after;
  const MakeResult result =
      MakePuzzle(env, Request(128, 96, "/work"), converter, [&](const MakeResult& r) {
        seen_after.push_back(r.status);
        // The package is in place when the window shows its message.
        EXPECT_EQ(Text(env.files["/work/Cat.klv"]), "package of " + folder);
      });

  EXPECT_EQ(result.status, MakeStatus::kPackageWritten) << result.cause;
  EXPECT_EQ(result.packagePath, "/work/Cat.klv");
  EXPECT_EQ(seen_after, std::vector<MakeStatus>{MakeStatus::kPackageWritten});
  std::vector<std::string> expected_writes;
  for (const char* name : {"res0000.bmp", "res0001.bmp", "res0002.bmp", "res0100.bmp",
                           "res0101.bmp", "res0102.bmp", "base.bmp", "Puzzle.ini"}) {
    expected_writes.push_back(folder + "/" + name);
  }
  EXPECT_EQ(env.writes, expected_writes);
  EXPECT_EQ(converter.arguments, std::vector<std::string>{folder});
  // The lock file was in the folder while the library ran; its lock is let go at the end.
  EXPECT_EQ(Text(converter.files_at_call[folder + "/" + kWorkLockFileName]), kWorkLockText);
  EXPECT_TRUE(env.held_locks.empty());
  const std::string ini = Text(converter.files_at_call[folder + "/Puzzle.ini"]);
  EXPECT_EQ(GetProfileStringFromText(ini, "PuzzleData", "PrevPassWord", "", 11), "");
  const StatusOr<Raster> base = DecodeBitmap(converter.files_at_call[folder + "/base.bmp"]);
  ASSERT_TRUE(base.ok()) << base.status().ToString();
  EXPECT_EQ(base->width, 128);
  EXPECT_EQ(base->height, 96);

  const std::string package = "package of " + folder;
  expected_after["/work/Cat.klv"] = Bytes(package.begin(), package.end());
  EXPECT_EQ(env.files, expected_after);
  EXPECT_TRUE(env.folders.empty());
}

// Every text is written up to its first line break or zero byte, so that no text can
// add a key or a section; the puzzle name loses its blanks. The file written in one piece
// holds the bytes that the profile writer gives the same keys written one by one.
TEST(Make, PuzzleIniHoldsTheNineKeysInOrderOneLineEach) {
  struct Case {
    int back_color_index;
    const char* back_color;
    std::string name, set_name, comment, password;
  };
  const Case cases[] = {
      {13, "FF00FF", "Cat", "Animals", "A cat", "1234"},
      {0, "0", "Cat", "Animals", "A cat", "1234"},
      {15, "FFFFFF", "Cat", "Animals", "A cat", "1234"},
      {12, "FF", "Cat", "Animals", "A cat", "1234"},
      {10, "00FF00", "Cat", "Animals", "A cat", "1234"},
      {13, "FF00FF", "  Cat ", "Animals\r[Other]", "A cat\nPrevPassWord=HACK",
       std::string("1234\0PrevPassWord=X", 19)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.back_color);
    FakeEnv env;
    FakeConverter converter(env);
    MakeRequest request = Request(288, 288, "/w");
    request.backColorIndex = c.back_color_index;
    request.puzzleName = c.name;
    request.puzzleSetName = c.set_name;
    request.comment = c.comment;
    request.password = c.password;
    ASSERT_EQ(MakePuzzle(env, request, converter).status, MakeStatus::kPackageWritten);
    const std::vector<std::string> expected = {"[PuzzleData]",
                                               "xMax=8",
                                               "yMax=8",
                                               std::string("backColor=") + c.back_color,
                                               "PuzzleName=Cat",
                                               "PassWord=1234",
                                               "PuzzleSetName=Animals",
                                               "LongPuzzleName=A cat",
                                               "Difficulty=5",
                                               "FileVersion=2"};
    const Bytes written = converter.files_at_call[Private("/w") + "/Puzzle.ini"];
    EXPECT_EQ(Lines(Text(written)), expected);

    test::TempFolder folder;
    const std::string key_by_key = folder.File("Puzzle.ini");
    for (size_t i = 1; i < expected.size(); ++i) {
      const size_t equals = expected[i].find('=');
      ASSERT_TRUE(Env::Default()
                      .WriteProfileString(key_by_key, "PuzzleData", expected[i].substr(0, equals),
                                          expected[i].substr(equals + 1))
                      .ok());
    }
    EXPECT_EQ(test::ReadDiskFile(key_by_key), written);
  }
}

TEST(Make, RootFolderGetsNoDoubledSeparator) {
  FakeEnv env;
  FakeConverter converter(env);
  const MakeResult result = MakePuzzle(env, Request(96, 64, "/"), converter);
  ASSERT_EQ(result.status, MakeStatus::kPackageWritten);
  const std::string folder = Private("/");
  const std::vector<std::string> expected_writes = {folder + "/res0000.bmp",
                                                    folder + "/res0001.bmp", folder + "/base.bmp",
                                                    folder + "/Puzzle.ini"};
  EXPECT_EQ(env.writes, expected_writes);
  EXPECT_EQ(converter.arguments, std::vector<std::string>{folder});
  EXPECT_EQ(result.packagePath, "/Cat.klv");
  EXPECT_EQ(env.files.size(), 1u);
  EXPECT_EQ(env.files.count("/Cat.klv"), 1u);
}

// Whatever happens, the private folder goes (unless kept) and the destination holds its
// earlier package or the new one, never a part of one.
TEST(Make, OutcomesOfTheConversionAndTheFolderSteps) {
  struct Case {
    const char* name;
    std::optional<int16_t> file_conv = 1;
    std::string unwritable;  // relative to the private folder
    bool fail_make_folder = false, fail_rename = false, fail_remove_folder = false;
    MakeStatus status = MakeStatus::kPackageWritten;
    bool after_runs = true;
    bool new_package = false;
    const char* said = "";  // in the cause (or the warning)
  };
  const Case cases[] = {
      {.name = "written", .new_package = true},
      {.name = "conversion failed", .file_conv = 0, .status = MakeStatus::kConversionFailed},
      {.name = "library missing",
       .file_conv = std::nullopt,
       .status = MakeStatus::kLibraryMissing,
       .after_runs = false,
       .said = "KLVUtils"},
      {.name = "tile unwritable",
       .unwritable = "/res0001.bmp",
       .status = MakeStatus::kWorkFileNotWritten,
       .after_runs = false,
       .said = "res0001.bmp: cannot write the tile file: Read-only file system"},
      {.name = "description unwritable",
       .unwritable = "/Puzzle.ini",
       .status = MakeStatus::kWorkFileNotWritten,
       .after_runs = false,
       .said = "Puzzle.ini: cannot write the puzzle description: Read-only file system"},
      {.name = "folder cannot be made",
       .fail_make_folder = true,
       .status = MakeStatus::kWorkFileNotWritten,
       .after_runs = false,
       .said = "/w: cannot make the work folder: Permission denied"},
      {.name = "rename fails",
       .fail_rename = true,
       .status = MakeStatus::kPackageNotMoved,
       .said = "/w/Cat.klv: could not write the package: Invalid cross-device link"},
      {.name = "folder cannot be removed",
       .fail_remove_folder = true,
       .new_package = true,
       .said = "could not be removed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnv env;
    env.AddText("/w/Cat.klv", "earlier");
    if (!c.unwritable.empty()) env.unwritable.insert(Private("/w") + c.unwritable);
    env.fail_make_folder = c.fail_make_folder;
    env.fail_rename = c.fail_rename;
    env.fail_remove_folder = c.fail_remove_folder;
    FakeConverter converter(env, c.file_conv);
    std::optional<MakeStatus> after;
    const MakeResult result = MakePuzzle(env, Request(96, 96, "/w"), converter,
                                         [&](const MakeResult& r) { after = r.status; });
    EXPECT_EQ(result.status, c.status) << result.cause;
    EXPECT_EQ(after.has_value(), c.after_runs);
    if (after) {
      EXPECT_EQ(*after, c.status);
    }
    EXPECT_NE((result.cause + result.warning).find(c.said), std::string::npos)
        << result.cause << result.warning;
    EXPECT_EQ(Text(env.files["/w/Cat.klv"]),
              c.new_package ? "package of " + Private("/w") : "earlier");
    EXPECT_EQ(result.packagePath, c.new_package ? "/w/Cat.klv" : "");
    if (!c.fail_remove_folder) {
      EXPECT_TRUE(env.folders.empty());
      EXPECT_EQ(env.files.size(), 1u);
    }
  }
}

// A make asked to stop at any of its steps puts no package in place and leaves no work
// folder, kept or not; the earlier package stays.
TEST(Make, AStoppedMakeLeavesNothingOfItself) {
  // {the stop question that first answers yes (1: before anything), kept, conversions}
  const int cases[][3] = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {3, 1, 0}, {4, 0, 1}, {4, 1, 1}};
  for (const auto& [stop_at, keep, conversions] : cases) {
    SCOPED_TRACE(testing::Message() << "stop at " << stop_at << (keep ? ", kept" : ""));
    FakeEnv env;
    env.AddText("/w/Cat.klv", "earlier");
    FakeConverter converter(env);
    MakeRequest request = Request(96, 96, "/w");
    request.keepWorkFiles = keep != 0;
    int asked = 0;
    request.stopRequested = [&asked, stop = stop_at] { return ++asked >= stop; };
    bool after_ran = false;
    const MakeResult result =
        MakePuzzle(env, request, converter, [&](const MakeResult&) { after_ran = true; });
    EXPECT_EQ(result.status, MakeStatus::kStopped);
    EXPECT_EQ(asked, stop_at);
    EXPECT_FALSE(after_ran);
    EXPECT_EQ(converter.arguments.size(), static_cast<size_t>(conversions));
    EXPECT_TRUE(env.folders.empty());
    EXPECT_EQ(env.files,
              (std::map<std::string, Bytes>{{"/w/Cat.klv", {'e', 'a', 'r', 'l', 'i', 'e', 'r'}}}));
  }
}

// Refused requests write nothing at all.
TEST(Make, GridsAndNamesThatCannotMakeAPackageWriteNothing) {
  struct Case {
    int width, height;
    const char* name;
    MakeStatus status;
  };
  const Case cases[] = {
      {336, 100, "Cat", MakeStatus::kGridTooLarge}, {48, 100, "Cat", MakeStatus::kGridTooSmall},
      {100, 40, "Cat", MakeStatus::kGridTooSmall},  {1, 1, "Cat", MakeStatus::kGridTooSmall},
      {335, 1, "Cat", MakeStatus::kGridTooSmall},   {96, 96, "  ", MakeStatus::kNameRefused},
      {96, 96, "a\tb", MakeStatus::kNameRefused},   {96, 96, "\"a\"", MakeStatus::kNameRefused},
      {96, 96, "a/b", MakeStatus::kNameRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " " << c.name);
    FakeEnv env;
    FakeConverter converter(env);
    MakeRequest request = Request(c.width, c.height, "/w");
    request.puzzleName = c.name;
    const MakeResult result = MakePuzzle(env, request, converter);
    EXPECT_EQ(result.status, c.status);
    EXPECT_FALSE(result.cause.empty());
    EXPECT_TRUE(env.files.empty());
    EXPECT_TRUE(env.folders.empty());
    EXPECT_TRUE(converter.arguments.empty());
  }
}

TEST(Make, KeepWorkFilesKeepsThePrivateFolder) {
  FakeEnv env;
  FakeConverter converter(env);
  MakeRequest request = Request(96, 64, "/w");
  request.keepWorkFiles = true;
  const MakeResult result = MakePuzzle(env, request, converter);
  ASSERT_EQ(result.status, MakeStatus::kPackageWritten);
  const std::string kept = std::string("/w/") + kKeptFolderStem + "000001";
  EXPECT_EQ(result.keptFolder, kept);
  EXPECT_EQ(env.folders, std::set<std::string>{kept});
  std::map<std::string, Bytes> expected = converter.files_at_call;
  expected["/w/Cat.klv"] = env.files["/w/Cat.klv"];
  EXPECT_EQ(env.files, expected);
  EXPECT_EQ(env.files.size(), 5u);
}

// A private folder whose make was killed (its lock free) goes with the next make into that
// destination; one whose lock is held (a running make, whatever its number), this
// process's, kept ones, look-alikes and the user's folders stay.
TEST(Make, StalePrivateFoldersOfEndedMakesAreRemoved) {
  FakeEnv env;
  const std::string own = std::to_string(CurrentProcessId());
  const std::string other = std::to_string(CurrentProcessId() + 1);
  const struct {
    std::string name;
    const char* lock_text;  // the lock file's content; none without one
    bool held;              // its lock is held by some make
    const char* extra;      // a file in it
    bool removed;
  } cases[] = {
      {".klvmake-" + other + "-ended1", kWorkLockText, false, "res0000.bmp", true},
      {".klvmake-" + other + "-runs01", kWorkLockText, true, "res0000.bmp", false},
      {".klvmake-" + other + "-nolock", nullptr, false, "res0000.bmp", false},
      {".klvmake-" + other + "-other1", "not a make's\n", false, "base.bmp", false},
      {".klvmake-" + other + "-photo1", kWorkLockText, false, "photo.jpg", false},
      {".klvmake-" + own + "-thread", kWorkLockText, false, "base.bmp", false},
      {"klvmake-work-abcdef", kWorkLockText, false, "base.bmp", false},
      {"photos", nullptr, false, "cat.bmp", false},
  };
  for (const auto& c : cases) {
    const std::string folder = "/w/" + c.name;
    env.folders.insert(folder);
    env.AddText(folder + "/" + c.extra, "debris");
    if (c.lock_text != nullptr) env.AddText(folder + "/" + kWorkLockFileName, c.lock_text);
    if (c.held) env.held_locks.insert(folder + "/" + kWorkLockFileName);
  }
  FakeConverter converter(env);
  ASSERT_EQ(MakePuzzle(env, Request(64, 64, "/w"), converter).status, MakeStatus::kPackageWritten);
  for (const auto& c : cases) {
    EXPECT_EQ(env.folders.count("/w/" + c.name), c.removed ? 0u : 1u) << c.name;
    EXPECT_EQ(env.files.count("/w/" + c.name + "/" + c.extra), c.removed ? 0u : 1u) << c.name;
  }
  EXPECT_TRUE(env.held_locks.count("/w/" + cases[1].name + "/" + kWorkLockFileName));
}

TEST(Make, DensitiesAndTheSeedFixTheTiles) {
  auto tiles_of = [](const MakeRequest& request) {
    FakeEnv env;
    FakeConverter converter(env);
    EXPECT_EQ(MakePuzzle(env, request, converter).status, MakeStatus::kPackageWritten);
    return converter.files_at_call;
  };
  auto decode = [](const Bytes& bytes) {
    const StatusOr<Raster> raster = DecodeBitmap(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_TRUE(raster.ok()) << raster.status().ToString();
    return raster.value_or(Raster());
  };

  const std::string folder = Private("/w");
  MakeRequest request = Request(96, 96, "/w");
  request.pieceDensity = Percent{150};     // every shared pixel in all its tiles
  request.backgroundDensity = Percent{0};  // the base stays white
  std::map<std::string, Bytes> files = tiles_of(request);
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      const Raster tile = decode(files[folder + "/" + TileFileName(r, c)]);
      Raster expected = Raster::Filled(64, 64, 0);
      for (int v = 0; v < 64; ++v) {
        for (int u = 0; u < 64; ++u) expected.Set(u, v, request.source.At(32 * c + u, 32 * r + v));
      }
      EXPECT_EQ(tile, expected) << r << ", " << c;
    }
  }
  EXPECT_EQ(decode(files[folder + "/base.bmp"]), Raster::Filled(96, 96, 0xFFFFFF));

  request.pieceDensity = Percent{30};
  request.backgroundDensity = Percent{15};
  const std::map<std::string, Bytes> first = tiles_of(request);
  EXPECT_EQ(tiles_of(request), first);
  request.seed = 43;
  EXPECT_NE(tiles_of(request), first);
}

// The window shows the rendered canvas before anything is saved; what it is shown is
// exactly what the work files then hold.
TEST(Make, RenderedCanvasIsHandedOutBeforeItIsSaved) {
  FakeEnv env;
  FakeConverter converter(env);
  const MakeRequest request = Request(96, 64, "/w");
  WorkCanvas shown;
  size_t files_when_shown = 0;
  const MakeResult result =
      MakePuzzle(env, request, converter, nullptr, [&](const WorkCanvas& canvas) {
        shown = canvas;
        files_when_shown = env.files.size();
      });
  ASSERT_EQ(result.status, MakeStatus::kPackageWritten) << result.cause;
  EXPECT_EQ(files_when_shown, 0u);
  ASSERT_EQ(shown.tiles.size(), 2u);
  const std::string folder = Private("/w");
  for (int c = 0; c < 2; ++c) {
    const Bytes& saved = converter.files_at_call[folder + "/" + TileFileName(0, c)];
    EXPECT_EQ(DecodeBitmap(std::vector<uint8_t>(saved.begin(), saved.end())).value_or(Raster()),
              shown.tiles[c])
        << c;
  }
  const Bytes& base = converter.files_at_call[folder + "/base.bmp"];
  EXPECT_EQ(DecodeBitmap(std::vector<uint8_t>(base.begin(), base.end())).value_or(Raster()),
            shown.base);
}

// The package at `path` as the package reader reads it, with its pictures decoded;
// nothing, with *error set, unless it is sound and every picture decodes.
struct ReadBack {
  Package package;
  PackagePictures pictures;
};

std::optional<ReadBack> ReadBackPackage(const std::filesystem::path& path, std::string* error) {
  const std::optional<std::vector<uint8_t>> bytes =
      ReadPackageFile(Env::Default(), path.string(), error);
  if (!bytes) return std::nullopt;
  ReadBack read{ReadPackage(*bytes), {}};
  if (!read.package.sound()) {
    *error = DescribeProblem(read.package.problems.front());
    return std::nullopt;
  }
  read.pictures = DecodePackagePictures(read.package);
  if (!read.pictures.problems.empty()) {
    *error = DescribeProblem(read.pictures.problems.front());
    return std::nullopt;
  }
  return read;
}

TEST(Make, WholeMakeThroughTheLibraryGivesAPackageOfThePicture) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("klv_make_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);

  const Raster picture = Picture(160, 128);  // 4 x 3 tiles
  MakeRequest request = Request(160, 128, folder.string());
  request.source = picture;
  request.puzzleName = "Sample";
  request.password = "5551234";
  std::vector<std::string> messages;
  std::unique_ptr<PackageConverter> converter = MakeLibraryConverter(
      Env::Default(), [&messages](const std::string& text) { messages.push_back(text); });
  const MakeResult result = MakePuzzle(Env::Default(), request, *converter);
  ASSERT_EQ(result.status, MakeStatus::kPackageWritten) << result.cause;
  EXPECT_TRUE(messages.empty());

  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder)) {
    left.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(left, std::vector<std::string>{"Sample.klv"});

  std::string error;
  const std::optional<ReadBack> read = ReadBackPackage(folder / "Sample.klv", &error);
  ASSERT_TRUE(read.has_value()) << error;
  const PackageHeader& header = *read->package.header;
  EXPECT_EQ(header.fileVersion, 2);
  EXPECT_EQ(header.xMax, 4);
  EXPECT_EQ(header.yMax, 3);
  EXPECT_EQ(header.tileWidth, 64);
  EXPECT_EQ(header.pictureWidth, 160);
  EXPECT_EQ(header.Difficulty, 5);
  EXPECT_EQ(header.backColor, (std::array<uint8_t, 3>{0xFF, 0x00, 0xFF}));
  EXPECT_EQ(header.PassWord, "5551234");
  EXPECT_EQ(header.PuzzleName, "Sample");
  EXPECT_EQ(header.PuzzleSetName, "Animals");
  EXPECT_EQ(header.LongPuzzleName, "A cat");

  // The base: the picture's size, each pixel white or the picture's.
  ASSERT_TRUE(read->pictures.base);
  const Raster& base = *read->pictures.base;
  ASSERT_EQ(base.width, 160);
  ASSERT_EQ(base.height, 128);
  int sprinkled = 0;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 160; ++x) {
      const uint32_t pixel = base.At(x, y);
      ASSERT_TRUE(pixel == 0xFFFFFF || pixel == picture.At(x, y)) << x << ", " << y;
      sprinkled += pixel == picture.At(x, y);
    }
  }
  EXPECT_GT(sprinkled, 0);
  EXPECT_LT(sprinkled, 160 * 128);

  // The tiles: 64 x 64, each pixel the background or the picture's at its place; corner
  // cells complete; every picture pixel in at least one tile.
  ASSERT_EQ(read->pictures.tiles.size(), 12u);
  std::vector<int> holders(160 * 128, 0);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      const Raster& tile = read->pictures.tiles[static_cast<size_t>(r * 4 + c)].raster;
      ASSERT_EQ(tile.width, 64);
      ASSERT_EQ(tile.height, 64);
      for (int v = 0; v < 64; ++v) {
        for (int u = 0; u < 64; ++u) {
          const int X = 32 * c + u;
          const int Y = 32 * r + v;
          const uint32_t pixel = tile.At(u, v);
          ASSERT_TRUE(pixel == 0xFF00FF || pixel == picture.At(X, Y)) << r << c << u << v;
          if (pixel == picture.At(X, Y)) ++holders[static_cast<size_t>(Y * 160 + X)];
        }
      }
    }
  }
  for (int Y = 0; Y < 128; ++Y) {
    for (int X = 0; X < 160; ++X) {
      const bool corner = (X < 32 || X >= 128) && (Y < 32 || Y >= 96);
      const int holding = holders[static_cast<size_t>(Y * 160 + X)];
      ASSERT_GE(holding, 1) << X << ", " << Y;
      if (corner) {
        ASSERT_EQ(holding, 1) << X << ", " << Y;
      }
    }
  }
  fs::remove_all(folder);
}

// The player keys out the header's colour: for every colour a user may choose, the
// package through the library names the colour its tiles are painted with.
TEST(Make, EveryBackgroundChoiceGivesTheHeaderTheColourOfItsTiles) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("klv_colours_" + std::to_string(::getpid()));
  const std::unique_ptr<PackageConverter> converter = MakeLibraryConverter(Env::Default());
  for (const BackgroundChoice& choice : kBackgroundChoices) {
    SCOPED_TRACE(choice.name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    // 2 x 2 tiles; at piece density 0 a shared pixel shows on one tile only, so every tile
    // shows the background somewhere.
    MakeRequest request = Request(96, 96, folder.string());
    request.pieceDensity = Percent{0};
    request.backColorIndex = choice.paletteIndex;
    ASSERT_EQ(MakePuzzle(Env::Default(), request, *converter).status, MakeStatus::kPackageWritten);
    std::string error;
    const std::optional<ReadBack> read = ReadBackPackage(folder / "Cat.klv", &error);
    ASSERT_TRUE(read.has_value()) << error;
    const uint32_t header = BackColorRgb(*read->package.header);
    EXPECT_EQ(header, QBColor(choice.paletteIndex));
    ASSERT_EQ(read->pictures.tiles.size(), 4u);
    for (int i = 0; i < 4; ++i) {
      int background = 0;
      for (int k = 0; k < 64 * 64; ++k) {
        const uint32_t pixel =
            read->pictures.tiles[static_cast<size_t>(i)].raster.At(k % 64, k / 64);
        if (pixel == request.source.At(32 * (i % 2) + k % 64, 32 * (i / 2) + k / 64)) continue;
        ASSERT_EQ(pixel, header) << "tile " << i << ", pixel " << k;
        ++background;
      }
      EXPECT_GT(background, 0) << "tile " << i;
    }
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace klv
