// Tests of the make's output: the work-file names and path forms, the order of the work
// files and of Puzzle.ini's keys, the hand-off to FileConv and the clean-up, on an
// in-memory file system; and one whole make through KLVUtils whose package is read back.
#include "maker/make.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/platform.h"
#include "base/profile.h"
#include "base/work_folder.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"
#include "maker/grid.h"
#include "maker/make_values.h"
#include "maker/tile_effect.h"
#include "maker/work_canvas.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace klv {
namespace {

using test::Bytes;
using test::FakeEnv;

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A FileConv stand-in: records its argument and the work folder as it found it.
class FakeConverter : public PackageConverter {
 public:
  explicit FakeConverter(FakeEnv& env, std::optional<int16_t> result = 1)
      : env_(env), result_(result) {}
  std::optional<int16_t> Convert(const std::string& folder_argument, std::string* cause) override {
    arguments.push_back(folder_argument);
    files_at_call = env_.files;
    if (!result_ && cause != nullptr) *cause = "KLVUtils: not found";
    return result_;
  }
  std::vector<std::string> arguments;
  std::map<std::string, Bytes> files_at_call;

 private:
  FakeEnv& env_;
  std::optional<int16_t> result_;
};

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
  request.workFolder = folder;
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

// A picture that is base.bmp, Puzzle.ini or a "res????.bmp" of the work folder would be
// overwritten and removed by the make; the same names elsewhere are harmless.
TEST(Make, WorkFileOfPictureFindsThePicturesTheMakeWouldDestroy) {
  const std::string root = testing::TempDir() + "klv-work-file-of-picture";
  const std::string work = root + "/work";
  const std::string other = root + "/other";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(work);
  std::filesystem::create_directories(other);
  for (const std::string& path : {work + "/base.bmp", work + "/res0102.bmp", work + "/cat.bmp",
                                  other + "/base.bmp", other + "/res0000.bmp"}) {
    std::ofstream(path) << "BM";
  }
  struct Case {
    std::string picture;
    std::string folder;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {work + "/base.bmp", work, "base.bmp"},
      {work + "/res0102.bmp", work, "res0102.bmp"},
      {work + "/res0102.bmp", work + "/", "res0102.bmp"},
      {work + "/../work/base.bmp", work, "base.bmp"},
      {work + "/cat.bmp", work, std::nullopt},
      {other + "/base.bmp", work, std::nullopt},
      {other + "/res0000.bmp", work, std::nullopt},
      {work + "/missing.bmp", work, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WorkFileOfPicture(c.picture, c.folder), c.expected)
        << c.picture << " in " << c.folder;
  }
  std::filesystem::remove_all(root);
}

TEST(Make, WorkFilesAreWrittenInOrderThenConvertedThenRemoved) {
  FakeEnv env;
  env.AddText("/work/other.txt", "x");
  env.AddText("/work/res0808.bmp", "an earlier, larger grid");
  env.AddText("/work/res1.bmp", "kept");
  env.AddText("/work/res00000.bmp", "kept");
  env.AddText("/work/res0000.bmp.bak", "kept");
  env.AddText("/work/RES0000.BMP", "kept");
  env.AddText("/work/sub/res0000.bmp", "kept");
  env.AddText("/workx/res0000.bmp", "kept");
  env.AddText("/work/Cat.klv", "an earlier package");
  const std::map<std::string, Bytes> before = env.files;

  FakeConverter converter(env);
  std::vector<MakeStatus> seen_after;
  const MakeRequest request = Request(128, 96, "/work");
  const MakeResult result = MakePuzzle(env, request, converter, [&](const MakeResult& r) {
    seen_after.push_back(r.status);
    // The work files are still there when the window shows its message.
    EXPECT_TRUE(env.files.count("/work/base.bmp"));
  });

  EXPECT_EQ(result.status, MakeStatus::kPackageWritten) << result.cause;
  EXPECT_EQ(seen_after, std::vector<MakeStatus>{MakeStatus::kPackageWritten});
  const std::vector<std::string> expected_writes = {
      "/work/res0000.bmp", "/work/res0001.bmp", "/work/res0002.bmp", "/work/res0100.bmp",
      "/work/res0101.bmp", "/work/res0102.bmp", "/work/base.bmp",    "/work/Puzzle.ini"};
  EXPECT_EQ(env.writes, expected_writes);
  EXPECT_EQ(converter.arguments, std::vector<std::string>{"/work"});
  for (const std::string& path : expected_writes) {
    EXPECT_TRUE(converter.files_at_call.count(path)) << path;
  }
  std::string cause;
  const std::optional<Raster> base =
      DecodeBitmap(std::vector<uint8_t>(converter.files_at_call["/work/base.bmp"].begin(),
                                        converter.files_at_call["/work/base.bmp"].end()),
                   &cause);
  ASSERT_TRUE(base.has_value()) << cause;
  EXPECT_EQ(base->width, 128);
  EXPECT_EQ(base->height, 96);

  // Only the earlier files that match none of the work-file patterns stay.
  std::map<std::string, Bytes> expected_after = before;
  expected_after.erase("/work/res0808.bmp");
  EXPECT_EQ(env.files, expected_after);
}

TEST(Make, PuzzleIniHoldsTheNineKeysInOrder) {
  struct Case {
    int back_color_index;
    const char* back_color;
  };
  const Case cases[] = {{13, "FF00FF"}, {0, "0"}, {15, "FFFFFF"}, {12, "FF"}, {10, "FF00"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.back_color);
    FakeEnv env;
    FakeConverter converter(env);
    MakeRequest request = Request(288, 288, "/w");
    request.backColorIndex = c.back_color_index;
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
    EXPECT_EQ(Lines(Text(converter.files_at_call["/w/Puzzle.ini"])), expected);
  }
}

TEST(Make, ExistingPuzzleIniIsUpdatedNotReplaced) {
  FakeEnv env;
  env.AddText("/w/Puzzle.ini",
              "[PuzzleData]\r\nPrevPassWord=old\r\nxMax=7\r\nfileVersion=9\r\n[Other]\r\nA=1\r\n");
  FakeConverter converter(env);
  ASSERT_EQ(MakePuzzle(env, Request(96, 64, "/w"), converter).status, MakeStatus::kPackageWritten);
  const std::string text = Text(converter.files_at_call["/w/Puzzle.ini"]);
  EXPECT_EQ(GetProfileStringFromText(text, "PuzzleData", "PrevPassWord", "", 11), "old");
  EXPECT_EQ(GetProfileIntFromText(text, "PuzzleData", "xMax", -1), 2);
  EXPECT_EQ(GetProfileIntFromText(text, "PuzzleData", "fileVersion", 0), 2);
  EXPECT_EQ(GetProfileStringFromText(text, "Other", "A", "", 11), "1");
  EXPECT_FALSE(env.files.count("/w/Puzzle.ini"));
}

TEST(Make, RootFolderGetsNoDoubledSeparatorAndAnEmptyFolderArgument) {
  FakeEnv env;
  FakeConverter converter(env);
  ASSERT_EQ(MakePuzzle(env, Request(96, 64, "/"), converter).status, MakeStatus::kPackageWritten);
  const std::vector<std::string> expected_writes = {"/res0000.bmp", "/res0001.bmp", "/base.bmp",
                                                    "/Puzzle.ini"};
  EXPECT_EQ(env.writes, expected_writes);
  EXPECT_EQ(converter.arguments, std::vector<std::string>{""});
  EXPECT_TRUE(env.files.empty());
}

TEST(Make, OutcomesOfTheConversion) {
  struct Case {
    std::optional<int16_t> file_conv;
    MakeStatus status;
    bool after_runs;
    bool work_files_stay;
  };
  const Case cases[] = {
      {1, MakeStatus::kPackageWritten, true, false},
      {0, MakeStatus::kConversionFailed, true, false},
      {std::nullopt, MakeStatus::kLibraryMissing, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.status));
    FakeEnv env;
    FakeConverter converter(env, c.file_conv);
    std::optional<MakeStatus> after;
    const MakeResult result = MakePuzzle(env, Request(96, 96, "/w"), converter,
                                         [&](const MakeResult& r) { after = r.status; });
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(after.has_value(), c.after_runs);
    if (after) {
      EXPECT_EQ(*after, c.status);
    }
    if (c.status != MakeStatus::kPackageWritten) {
      EXPECT_FALSE(result.cause.empty());
    }
    EXPECT_EQ(env.files.count("/w/res0101.bmp") == 1, c.work_files_stay);
    EXPECT_EQ(env.files.count("/w/base.bmp") == 1, c.work_files_stay);
    EXPECT_EQ(env.files.count("/w/Puzzle.ini") == 1, c.work_files_stay);
  }
}

TEST(Make, UnwritableWorkFileStopsBeforeTheConversion) {
  struct Case {
    std::string unwritable;
    std::vector<std::string> left;  // files written before the failure
  };
  const Case cases[] = {
      {"/w/res0001.bmp", {"/w/res0000.bmp"}},
      {"/w/base.bmp", {"/w/res0000.bmp", "/w/res0001.bmp", "/w/res0100.bmp", "/w/res0101.bmp"}},
      {"/w/Puzzle.ini",
       {"/w/base.bmp", "/w/res0000.bmp", "/w/res0001.bmp", "/w/res0100.bmp", "/w/res0101.bmp"}},
      // An existing Puzzle.ini is edited key by key; a key that cannot be written stops.
      {"/w/Puzzle.ini:PuzzleName",
       {"/w/Puzzle.ini", "/w/base.bmp", "/w/res0000.bmp", "/w/res0001.bmp", "/w/res0100.bmp",
        "/w/res0101.bmp"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.unwritable);
    FakeEnv env;
    env.unwritable.insert(c.unwritable);
    if (c.unwritable.find(':') != std::string::npos) env.AddText("/w/Puzzle.ini", "");
    FakeConverter converter(env);
    bool after_ran = false;
    const MakeResult result = MakePuzzle(env, Request(96, 96, "/w"), converter,
                                         [&](const MakeResult&) { after_ran = true; });
    EXPECT_EQ(result.status, MakeStatus::kWorkFileNotWritten);
    const std::string named = c.unwritable.substr(0, c.unwritable.find(':'));
    EXPECT_NE(result.cause.find(named), std::string::npos) << result.cause;
    // The system's reason comes through.
    EXPECT_NE(result.cause.find("Read-only file system"), std::string::npos) << result.cause;
    EXPECT_TRUE(converter.arguments.empty());
    EXPECT_FALSE(after_ran);
    std::vector<std::string> left;
    for (const auto& [path, bytes] : env.files) left.push_back(path);
    EXPECT_EQ(left, c.left);
  }
}

TEST(Make, GridsWithoutTilesFindNothingToRemoveAndSucceed) {
  struct Case {
    int width, height;
  };
  for (const Case& c : {Case{40, 100}, Case{100, 40}, Case{15, 15}}) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    FakeEnv env;
    FakeConverter converter(env);
    const MakeResult result = MakePuzzle(env, Request(c.width, c.height, "/w"), converter);
    EXPECT_EQ(result.status, MakeStatus::kPackageWritten) << result.cause;
    EXPECT_EQ(env.writes, (std::vector<std::string>{"/w/base.bmp", "/w/Puzzle.ini"}));
    EXPECT_EQ(converter.arguments.size(), 1u);
    EXPECT_TRUE(env.files.empty());
  }
}

TEST(Make, KeepWorkFilesLeavesThemInPlace) {
  FakeEnv env;
  FakeConverter converter(env);
  MakeRequest request = Request(96, 64, "/w");
  request.keepWorkFiles = true;
  ASSERT_EQ(MakePuzzle(env, request, converter).status, MakeStatus::kPackageWritten);
  EXPECT_EQ(env.files, converter.files_at_call);
  EXPECT_EQ(env.files.size(), 4u);
}

TEST(Make, TooLargeGridWritesNothing) {
  FakeEnv env;
  FakeConverter converter(env);
  MakeRequest request = Request(336, 100, "/w");
  const MakeResult result = MakePuzzle(env, request, converter);
  EXPECT_EQ(result.status, MakeStatus::kGridTooLarge);
  EXPECT_TRUE(env.files.empty());
  EXPECT_TRUE(converter.arguments.empty());
}

TEST(Make, DensitiesAreReadFromTheBoxTextsAndTheSeedFixesTheTiles) {
  auto tiles_of = [](const MakeRequest& request) {
    FakeEnv env;
    FakeConverter converter(env);
    EXPECT_EQ(MakePuzzle(env, request, converter).status, MakeStatus::kPackageWritten);
    return converter.files_at_call;
  };
  auto decode = [](const Bytes& bytes) {
    std::string cause;
    std::optional<Raster> raster =
        DecodeBitmap(std::vector<uint8_t>(bytes.begin(), bytes.end()), &cause);
    EXPECT_TRUE(raster.has_value()) << cause;
    return raster.value_or(Raster());
  };

  MakeRequest request = Request(96, 96, "/w");
  request.pieceDensityText = "1 5 0";     // 1.5: every shared pixel in all its tiles
  request.backgroundDensityText = "abc";  // 0: the base stays white
  std::map<std::string, Bytes> files = tiles_of(request);
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) {
      const Raster tile = decode(files["/w/" + TileFileName(r, c)]);
      Raster expected = Raster::Filled(64, 64, 0);
      for (int v = 0; v < 64; ++v) {
        for (int u = 0; u < 64; ++u) expected.Set(u, v, request.source.At(32 * c + u, 32 * r + v));
      }
      EXPECT_EQ(tile, expected) << r << ", " << c;
    }
  }
  EXPECT_EQ(decode(files["/w/base.bmp"]), Raster::Filled(96, 96, 0xFFFFFF));

  request.pieceDensityText = "30";
  request.backgroundDensityText = "15";
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
  for (int c = 0; c < 2; ++c) {
    const Bytes& saved = converter.files_at_call["/w/" + TileFileName(0, c)];
    EXPECT_EQ(DecodeBitmap(std::vector<uint8_t>(saved.begin(), saved.end()), nullptr),
              shown.tiles[c])
        << c;
  }
  const Bytes& base = converter.files_at_call["/w/base.bmp"];
  EXPECT_EQ(DecodeBitmap(std::vector<uint8_t>(base.begin(), base.end()), nullptr), shown.base);
}

// The package read back: the header fields this test checks and the pictures of the
// "KLVB" and "KLVP" chunks, decoded.
struct Package {
  int16_t xMax = 0, yMax = 0, tileWidth = 0, pictureWidth = 0, difficulty = 0;
  int32_t fileVersion = 0;
  uint8_t backColor[4] = {};
  std::string password, puzzleSetName, puzzleName, longPuzzleName;
  Raster base;
  std::vector<Raster> tiles;
};

std::string Unscramble(const uint8_t* field, size_t width) {
  std::string text;
  for (size_t i = 0; i < width && field[i] != 0; ++i) {
    const uint8_t swapped = static_cast<uint8_t>((field[i] << 4) | (field[i] >> 4));
    text.push_back(static_cast<char>(255 - swapped));
  }
  return text;
}

std::optional<Package> ReadPackage(const std::vector<uint8_t>& file, std::string* error) {
  auto fail = [error](const std::string& why) {
    *error = why;
    return std::optional<Package>();
  };
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
      std::memcmp(file.data() + 8, "DATA", 4) != 0) {
    return fail("no RIFF DATA form");
  }
  if (GetLe32(file.data() + 4) != file.size() - 8) return fail("RIFF size does not match");
  Package package;
  size_t pos = 12;
  int chunk_number = 0;
  while (pos < file.size()) {
    if (file.size() - pos < 8) return fail("truncated chunk header");
    const std::string id(reinterpret_cast<const char*>(file.data() + pos), 4);
    const uint32_t size = GetLe32(file.data() + pos + 4);
    if (size > file.size() - pos - 8) return fail("chunk " + id + " runs past the end");
    const uint8_t* data = file.data() + pos + 8;
    if (chunk_number == 0) {
      if (id != "KLVZ" || size != 592) return fail("first chunk is not a 592-byte KLVZ");
      package.fileVersion = static_cast<int32_t>(GetLe32(data));
      package.xMax = static_cast<int16_t>(GetLe16(data + 4));
      package.yMax = static_cast<int16_t>(GetLe16(data + 6));
      package.tileWidth = static_cast<int16_t>(GetLe16(data + 8));
      package.pictureWidth = static_cast<int16_t>(GetLe16(data + 12));
      package.difficulty = static_cast<int16_t>(GetLe16(data + 16));
      std::memcpy(package.backColor, data + 20, 4);
      package.password = Unscramble(data + 24, 11);
      package.puzzleSetName = Unscramble(data + 46, 11);
      package.puzzleName = Unscramble(data + 57, 16);
      package.longPuzzleName = Unscramble(data + 73, 256);
    } else {
      if (id != (chunk_number == 1 ? "KLVB" : "KLVP")) return fail("unexpected chunk " + id);
      std::string cause;
      std::optional<Raster> picture = DecodeBitmap(std::vector<uint8_t>(data, data + size), &cause);
      if (!picture) return fail("chunk " + std::to_string(chunk_number) + ": " + cause);
      (chunk_number == 1 ? package.base : package.tiles.emplace_back()) = std::move(*picture);
    }
    pos += 8 + size + (size & 1);
    ++chunk_number;
  }
  return package;
}

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
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
  const std::optional<Package> package = ReadPackage(ReadWholeFile(folder / "Sample.klv"), &error);
  ASSERT_TRUE(package.has_value()) << error;
  EXPECT_EQ(package->fileVersion, 2);
  EXPECT_EQ(package->xMax, 4);
  EXPECT_EQ(package->yMax, 3);
  EXPECT_EQ(package->tileWidth, 64);
  EXPECT_EQ(package->pictureWidth, 160);
  EXPECT_EQ(package->difficulty, 5);
  EXPECT_EQ(std::vector<uint8_t>(package->backColor, package->backColor + 4),
            (std::vector<uint8_t>{0xFF, 0x00, 0xFF, 0x00}));
  EXPECT_EQ(package->password, "5551234");
  EXPECT_EQ(package->puzzleName, "Sample");
  EXPECT_EQ(package->puzzleSetName, "Animals");
  EXPECT_EQ(package->longPuzzleName, "A cat");

  // The base: the picture's size, each pixel white or the picture's.
  ASSERT_EQ(package->base.width, 160);
  ASSERT_EQ(package->base.height, 128);
  int sprinkled = 0;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 160; ++x) {
      const uint32_t pixel = package->base.At(x, y);
      ASSERT_TRUE(pixel == 0xFFFFFF || pixel == picture.At(x, y)) << x << ", " << y;
      sprinkled += pixel == picture.At(x, y);
    }
  }
  EXPECT_GT(sprinkled, 0);
  EXPECT_LT(sprinkled, 160 * 128);

  // The tiles: 64 x 64, each pixel the background or the picture's at its place; corner
  // cells complete; every picture pixel in at least one tile.
  ASSERT_EQ(package->tiles.size(), 12u);
  std::vector<int> holders(160 * 128, 0);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      const Raster& tile = package->tiles[static_cast<size_t>(r * 4 + c)];
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

}  // namespace
}  // namespace klv
