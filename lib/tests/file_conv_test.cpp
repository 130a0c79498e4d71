// Tests of the package conversion over an in-memory work folder: what is read, loaded,
// reported and written, how failures leave an earlier package alone, and how grids
// beyond the tile table are refused.
#include "conversion/file_conv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/bytes.h"
#include "base/work_folder.h"
#include "conversion/messages.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

// The pictures opened, in order: Puzzle.ini is also held open while a folder is
// converted, and is left out here.
std::vector<std::string> PicturesOpened(const test::FakeEnv& env) {
  std::vector<std::string> pictures;
  for (const std::string& path : env.opened) {
    if (!path.ends_with(kDescriptionFileName)) pictures.push_back(path);
  }
  return pictures;
}

using test::BmpFields;
using test::Bytes;
using test::FakeEnv;
using test::MakeBmp;
using test::PuzzleIni;
using test::ReadFault;
using test::ReadRiff;
using test::RiffForm;

const std::string kFolder = "/work";

std::string InFolder(const std::string& name) { return kFolder + "/" + name; }

// A work folder of x_max by y_max valid 64 x 64 tiles (each with its own pixels), a
// base picture and a Puzzle.ini naming the puzzle "Cat".
void AddWorkFolder(FakeEnv& env, int x_max, int y_max,
                   std::vector<std::pair<std::string, std::string>> extra_keys = {}) {
  std::vector<std::pair<std::string, std::string>> keys = {
      {"xMax", std::to_string(x_max)}, {"yMax", std::to_string(y_max)}, {"PuzzleName", "Cat"}};
  keys.insert(keys.end(), extra_keys.begin(), extra_keys.end());
  env.AddText(InFolder("Puzzle.ini"), PuzzleIni(keys));
  for (int r = 0; r < y_max; ++r) {
    for (int c = 0; c < x_max; ++c) {
      env.AddFile(InFolder(TileFileName(r, c)),
                  MakeBmp({.width = 64,
                           .height = 64,
                           .bit_count = 8,
                           .image_size = 4096,
                           .seed = static_cast<uint8_t>(r * 16 + c)}));
    }
  }
  env.AddFile(InFolder("base.bmp"),
              MakeBmp({.width = (x_max + 1) * 32, .height = (y_max + 1) * 32, .seed = 200}));
}

std::optional<RiffForm> Package(FakeEnv& env, const std::string& name = "Cat.klv") {
  auto it = env.files.find(InFolder(name));
  if (it == env.files.end()) return std::nullopt;
  return ReadRiff(it->second);
}

std::string SaveFailed(const std::string& package, SaveCause cause, const std::string& picture = "",
                       const std::string& reason = "") {
  return MessageText(Message::kSaveFailed, InFolder(package), cause,
                     picture.empty() ? "" : InFolder(picture), reason);
}

std::string Loading(Message message, const std::string& name) {
  return MessageText(message, InFolder(name));
}

TEST(FileConv, ValidFolderGivesPackageWithoutMessages) {
  FakeEnv env;
  AddWorkFolder(env, 3, 2);
  // An earlier, longer package of the same name is replaced whole.
  env.AddFile(InFolder("Cat.klv"), Bytes(100000, 0xAA));
  ConversionState state;
  EXPECT_EQ(ConvertWorkFolder(env, state, kFolder), 1);
  EXPECT_EQ(env.messages, std::vector<std::string>{});
  EXPECT_EQ(env.open_writers, 0);

  std::optional<RiffForm> form = Package(env);
  ASSERT_TRUE(form);
  ASSERT_EQ(form->chunks.size(), 2u + 6u);
  EXPECT_EQ(form->chunks[1].id, "KLVB");
  // Tile chunks in row order, each the tile file itself from offset 14 on.
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c) {
      const test::Chunk& chunk = form->chunks[2 + r * 3 + c];
      const Bytes& tile = env.files[InFolder(TileFileName(r, c))];
      EXPECT_EQ(chunk.id, "KLVP");
      EXPECT_EQ(chunk.size, 5174u);
      EXPECT_EQ(Bytes(chunk.data.begin() + 14, chunk.data.end()),
                Bytes(tile.begin() + 14, tile.end()))
          << TileFileName(r, c);
    }
  }
  // Files are read row by row, the base picture last.
  const std::vector<std::string> order = {InFolder("res0000.bmp"), InFolder("res0001.bmp"),
                                          InFolder("res0002.bmp"), InFolder("res0100.bmp"),
                                          InFolder("res0101.bmp"), InFolder("res0102.bmp"),
                                          InFolder("base.bmp")};
  EXPECT_EQ(PicturesOpened(env), order);
  // The pictures stay loaded until the next call.
  EXPECT_TRUE(state.tiles[5]);
  EXPECT_TRUE(state.base);
}

TEST(FileConv, MissingTileLeavesTheEarlierPackageAlone) {
  FakeEnv env;
  AddWorkFolder(env, 3, 2);
  env.files.erase(InFolder("res0102.bmp"));
  const Bytes earlier = {'o', 'l', 'd'};
  env.AddFile(InFolder("Cat.klv"), earlier);
  ConversionState state;
  EXPECT_EQ(ConvertWorkFolder(env, state, kFolder), 0);
  const std::vector<std::string> expected = {
      Loading(Message::kLoadFailed, "res0102.bmp"),
      SaveFailed("Cat.klv", SaveCause::kPictureMissing, "res0102.bmp", std::strerror(ENOENT))};
  EXPECT_EQ(env.messages, expected);
  EXPECT_EQ(env.files[InFolder("Cat.klv")], earlier);
  EXPECT_EQ(env.commits, 0);
  EXPECT_EQ(env.open_writers, 0);
  // Loading went on after the missing tile.
  EXPECT_EQ(PicturesOpened(env).back(), InFolder("base.bmp"));
}

TEST(FileConv, BadPicturesAreReportedAndLoadingGoesOn) {
  const Bytes fourteen = {'B', 'M', 14, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, 0};
  const Bytes top_down = MakeBmp({.width = 64, .height = -64, .bit_count = 8});
  Bytes not_bmp = MakeBmp({.width = 64, .height = 64});
  not_bmp[1] = 'X';
  struct Case {
    const char* name;
    std::string file;            // the picture that is spoilt
    std::optional<Bytes> bytes;  // nothing: the file is absent
    ReadFault fault;
    std::vector<Message> loading;  // messages while loading, about `file`
    SaveCause cause;
    std::string reason;  // why the picture is missing, in the save failure's brackets
  } cases[] = {
      {"14-byte tile", "res0001.bmp", fourteen, ReadFault::kNone, {}, SaveCause::kHeaderNot40, ""},
      // The size's own message says what is wrong.
      {"top-down tile",
       "res0000.bmp",
       top_down,
       ReadFault::kNone,
       {Message::kInvalidSize, Message::kLoadFailed},
       SaveCause::kPictureMissing,
       ""},
      {"top-down base",
       "base.bmp",
       top_down,
       ReadFault::kNone,
       {Message::kInvalidSize, Message::kLoadFailed},
       SaveCause::kPictureMissing,
       ""},
      {"missing base",
       "base.bmp",
       std::nullopt,
       ReadFault::kNone,
       {Message::kLoadFailed},
       SaveCause::kPictureMissing,
       std::strerror(ENOENT)},
      {"not a BMP",
       "res0100.bmp",
       not_bmp,
       ReadFault::kNone,
       {Message::kLoadFailed},
       SaveCause::kPictureMissing,
       "not a bitmap (the file does not begin with \"BM\")"},
      {"locked tile",
       "res0000.bmp",
       {},
       ReadFault::kOpenFails,
       {Message::kLoadFailed},
       SaveCause::kPictureMissing,
       std::strerror(EACCES)},
      {"unmeasurable tile",
       "res0000.bmp",
       {},
       ReadFault::kLengthFails,
       {Message::kLoadFailed},
       SaveCause::kPictureMissing,
       std::strerror(EIO)},
      // The head (54 bytes) arrives; of the other 5120 bytes, the 46 up to the limit.
      {"tile cut short while reading",
       "res0101.bmp",
       {},
       ReadFault::kShortRead,
       {Message::kLoadFailed},
       SaveCause::kPictureMissing,
       "the file ends early (46 of 5120 bytes arrived)"},
      {"tile vanishes",
       "res0101.bmp",
       {},
       ReadFault::kVanishes,
       {Message::kLoadFailed},
       SaveCause::kPictureMissing,
       "the file ends early (0 of 54 bytes arrived)"},
      {"tile claims more pixels than it holds",
       "res0001.bmp",
       MakeBmp({.width = 64, .height = 64, .bit_count = 8, .pixels = Bytes(100, 1)}),
       ReadFault::kNone,
       {},
       SaveCause::kPictureTruncated,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnv env;
    AddWorkFolder(env, 2, 2);
    const std::string path = InFolder(c.file);
    if (c.fault == ReadFault::kNone) {
      if (c.bytes)
        env.AddFile(path, *c.bytes);
      else
        env.files.erase(path);
    }
    env.read_faults[path] = c.fault;
    env.short_read_limit = 100;
    ConversionState state;
    EXPECT_EQ(ConvertWorkFolder(env, state, kFolder), 0);
    std::vector<std::string> expected;
    for (Message m : c.loading) expected.push_back(Loading(m, c.file));
    expected.push_back(SaveFailed("Cat.klv", c.cause, c.file, c.reason));
    EXPECT_EQ(env.messages, expected);
    EXPECT_EQ(PicturesOpened(env).size(), 5u);  // every picture was tried
    EXPECT_FALSE(Package(env));
    EXPECT_EQ(env.open_writers, 0);
  }
}

TEST(FileConv, WriteFailuresLeaveNothingBehind) {
  // Count the steps of a good write first.
  FakeEnv probe;
  AddWorkFolder(probe, 2, 1);
  ConversionState state;
  ASSERT_EQ(ConvertWorkFolder(probe, state, kFolder), 1);
  const int steps = probe.riff_calls;
  ASSERT_GT(steps, 8);

  const Bytes earlier = {'o', 'l', 'd'};
  for (int n : {1, 2, 5, steps / 2, steps - 1, steps}) {
    SCOPED_TRACE(n);
    FakeEnv env;
    AddWorkFolder(env, 2, 1);
    env.AddFile(InFolder("Cat.klv"), earlier);
    env.fail_riff_call = n;
    EXPECT_EQ(ConvertWorkFolder(env, state, kFolder), 0);
    EXPECT_EQ(env.messages, std::vector<std::string>{SaveFailed("Cat.klv", SaveCause::kWriteFailed,
                                                                "", std::strerror(ENOSPC))});
    EXPECT_EQ(env.files[InFolder("Cat.klv")], earlier);
    EXPECT_EQ(env.open_writers, 0);
  }

  FakeEnv commit;
  AddWorkFolder(commit, 2, 1);
  commit.AddFile(InFolder("Cat.klv"), earlier);
  commit.fail_commit = true;
  EXPECT_EQ(ConvertWorkFolder(commit, state, kFolder), 0);
  EXPECT_EQ(commit.messages, std::vector<std::string>{SaveFailed("Cat.klv", SaveCause::kWriteFailed,
                                                                 "", std::strerror(ENOSPC))});
  EXPECT_EQ(commit.files[InFolder("Cat.klv")], earlier);

  // The package file cannot even be created: the user is told, not left guessing.
  FakeEnv create;
  AddWorkFolder(create, 2, 1);
  create.fail_create = true;
  EXPECT_EQ(ConvertWorkFolder(create, state, kFolder), 0);
  EXPECT_EQ(create.messages, std::vector<std::string>{SaveFailed(
                                 "Cat.klv", SaveCause::kCannotCreate, "", std::strerror(EACCES))});
}

TEST(FileConv, FolderWithoutPuzzleIniUsesTheDefaults) {
  FakeEnv env;
  env.AddFile(InFolder("base.bmp"), MakeBmp({.width = 1, .height = 1}));
  ConversionState state;
  EXPECT_EQ(ConvertWorkFolder(env, state, kFolder), 1);
  std::optional<RiffForm> form = Package(env, "the Puzzle.klv");
  ASSERT_TRUE(form);
  EXPECT_EQ(env.files[InFolder("the Puzzle.klv")].size(), 678u);
  ASSERT_EQ(form->chunks.size(), 2u);
  const Bytes& h = form->chunks[0].data;
  EXPECT_EQ(GetLe32(&h[0]), 2u);       // fileVersion
  EXPECT_EQ(GetLe16(&h[4]), 0xFFFFu);  // xMax -1
  EXPECT_EQ(GetLe16(&h[6]), 8u);
  EXPECT_EQ(GetLe16(&h[12]), 0u);
  EXPECT_EQ(GetLe16(&h[14]), 288u);
  EXPECT_EQ(GetLe16(&h[16]), 1u);  // Difficulty
  EXPECT_EQ(Bytes(h.begin() + 20, h.begin() + 24), (Bytes{0xFF, 0x00, 0xFF, 0x00}));
  EXPECT_EQ(PicturesOpened(env), std::vector<std::string>{InFolder("base.bmp")});
}

// Puzzle.ini is read once, from the file the conversion holds open; a file that cannot be
// read whole reads as an absent one, never as the keys of its first bytes.
TEST(FileConv, HandWrittenPuzzleIniIsReadIntoTheHeader) {
  struct Case {
    const char* name;
    std::string ini;
    std::string package;  // file name
    size_t offset;        // a header field to check
    Bytes field;          // its bytes
    ReadFault fault = ReadFault::kNone;
    size_t delivered = 0;  // bytes a short read delivers
  } cases[] = {
      {"lower-case keys and LF lines",
       "[puzzledata]\nxmax=0\nYMAX=0\npuzzlename=Dog\nDIFFICULTY=7\n",
       "Dog.klv",
       16,
       {7, 0}},
      {"FileVersion written by the maker",
       "[PuzzleData]\r\nxMax=0\r\nFileVersion=3\r\n",
       "the Puzzle.klv",
       0,
       {3, 0, 0, 0}},
      {"black background",
       "[PuzzleData]\r\nbackColor=0\r\nxMax=0\r\n",
       "the Puzzle.klv",
       20,
       {0, 0, 0, 0}},
      {"PuzzleName of 20 bytes",
       "[PuzzleData]\r\nPuzzleName=ABCDEFGHIJKLMNOPQRST\r\n",
       "ABCDEFGHIJKLMNO.klv",
       57 + 15,
       {0}},
      {"PrevPassWord read although the maker never writes it",
       "[PuzzleData]\r\nPrevPassWord=abc\r\n",
       "the Puzzle.klv",
       35,
       {0xE9, 0xD9, 0xC9, 0}},
      {"other sections ignored",
       "[Other]\r\nPuzzleName=No\r\n[PuzzleData]\r\nPuzzleName=Yes\r\n",
       "Yes.klv",
       57,
       {0x6A, 0xA9, 0xC8, 0}},
      {"a multi-line comment keeps its first line",
       "[PuzzleData]\r\nLongPuzzleName=A cat\r\nholds\r\n",
       "the Puzzle.klv",
       73,
       {0xEB, 0xFD, 0xC9, 0xE9, 0xB8, 0}},
      {"separator in the name",
       "[PuzzleData]\r\nPuzzleName=../../etc/x\r\n",
       ".._.._etc_x.klv",
       57,
       {0x1D, 0x1D, 0x0D}},
      {"cut short after 26 bytes",
       "[PuzzleData]\r\nPuzzleName=Dog\r\nxMax=0\r\n",
       "the Puzzle.klv",
       0,
       {2, 0, 0, 0},
       ReadFault::kShortRead,
       26},
      {"unreadable",
       "[PuzzleData]\r\nPuzzleName=Dog\r\nxMax=0\r\n",
       "the Puzzle.klv",
       0,
       {2, 0, 0, 0},
       ReadFault::kReadFails},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnv env;
    env.AddText(InFolder("Puzzle.ini"), c.ini);
    env.read_faults[InFolder("Puzzle.ini")] = c.fault;
    env.short_read_limit = c.delivered;
    env.AddFile(InFolder("base.bmp"), MakeBmp({}));
    ConversionState state;
    ASSERT_EQ(ConvertWorkFolder(env, state, kFolder), 1) << ::testing::PrintToString(env.messages);
    std::optional<RiffForm> form = Package(env, c.package);
    ASSERT_TRUE(form) << "no " << c.package;
    const Bytes& h = form->chunks[0].data;
    EXPECT_EQ(Bytes(h.begin() + c.offset, h.begin() + c.offset + c.field.size()), c.field);
    // Nothing was written outside the work folder.
    EXPECT_EQ(env.commits, 1);
    EXPECT_EQ(std::count(env.opened.begin(), env.opened.end(), InFolder("Puzzle.ini")), 1);
  }
}

TEST(FileConv, SecondCallReleasesThePicturesOfTheFirst) {
  FakeEnv env;
  AddWorkFolder(env, 3, 3);
  ConversionState state;
  ASSERT_EQ(ConvertWorkFolder(env, state, kFolder), 1);
  ASSERT_TRUE(state.tiles[8]);

  // The second grid is 2 x 1 and its second tile is missing: the slot must not keep the
  // first call's picture.
  env.AddText(InFolder("Puzzle.ini"),
              PuzzleIni({{"xMax", "2"}, {"yMax", "1"}, {"PuzzleName", "Small"}}));
  env.files.erase(InFolder("res0001.bmp"));
  env.opened.clear();
  EXPECT_EQ(ConvertWorkFolder(env, state, kFolder), 0);
  for (size_t i = 1; i < kTileSlots; ++i) EXPECT_FALSE(state.tiles[i]) << i;
  EXPECT_TRUE(state.tiles[0]);
  EXPECT_EQ(PicturesOpened(env).size(), 3u);

  env.AddFile(InFolder("res0001.bmp"), MakeBmp({.width = 64, .height = 64}));
  EXPECT_EQ(ConvertWorkFolder(env, state, kFolder), 1);
  std::optional<RiffForm> form = Package(env, "Small.klv");
  ASSERT_TRUE(form);
  EXPECT_EQ(form->chunks.size(), 4u);
  EXPECT_EQ(GetLe16(&form->chunks[0].data[4]), 2u);
}

TEST(FileConv, GridsUpTo144TilesAreAcceptedAndLargerOnesRefused) {
  struct Case {
    int32_t x_max;
    int32_t y_max;
    int tiles;  // -1: refused
  } cases[] = {
      {16, 9, 144},
      {144, 1, 144},
      {1, 144, 144},
      {12, 12, 144},
      {11, 2, 22},
      {0, 5, 0},
      {-1, 8, 0},
      {100000, 0, 0},
      {-5, -5, 0},
      {INT32_MIN, INT32_MIN, 0},
      {145, 1, -1},
      {29, 5, -1},
      {13, 12, -1},
      {65536, 65536, -1},  // the product is 0 in 32 bits
      {INT32_MAX, INT32_MAX, -1},
      {INT32_MAX, 1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x_max << " x " << c.y_max);
    FakeEnv env;
    if (c.tiles > 0) {
      AddWorkFolder(env, c.x_max, c.y_max);
    } else {
      env.AddText(InFolder("Puzzle.ini"), PuzzleIni({{"xMax", std::to_string(c.x_max)},
                                                     {"yMax", std::to_string(c.y_max)},
                                                     {"PuzzleName", "Cat"}}));
      env.AddFile(InFolder("base.bmp"), MakeBmp({}));
    }
    ConversionState state;
    const int16_t result = ConvertWorkFolder(env, state, kFolder);
    if (c.tiles < 0) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(env.messages, std::vector<std::string>{
                                  MessageText(Message::kGridRefused, InFolder("Puzzle.ini"))});
      EXPECT_TRUE(PicturesOpened(env).empty()) << "pictures were loaded";
      EXPECT_EQ(env.open_writers + env.commits, 0);
    } else {
      EXPECT_EQ(result, 1) << ::testing::PrintToString(env.messages);
      std::optional<RiffForm> form = Package(env);
      ASSERT_TRUE(form);
      EXPECT_EQ(form->chunks.size(), 2u + c.tiles);
      if (c.tiles > 0) {
        EXPECT_EQ(PicturesOpened(env)[c.tiles - 1],
                  InFolder(TileFileName(c.y_max - 1, c.x_max - 1)));
      }
    }
  }
}

TEST(FileConv, TileNamesUseAtLeastTwoDigits) {
  FakeEnv env;
  AddWorkFolder(env, 11, 2);
  ConversionState state;
  ASSERT_EQ(ConvertWorkFolder(env, state, kFolder), 1);
  EXPECT_EQ(PicturesOpened(env)[3], InFolder("res0003.bmp"));
  EXPECT_EQ(PicturesOpened(env)[11 + 10], InFolder("res0110.bmp"));

  FakeEnv tall;
  AddWorkFolder(tall, 1, 101);
  ASSERT_EQ(ConvertWorkFolder(tall, state, kFolder), 1);
  EXPECT_EQ(PicturesOpened(tall)[100], InFolder("res10000.bmp"));
}

}  // namespace
}  // namespace klv
