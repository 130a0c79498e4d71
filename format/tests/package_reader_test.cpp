// Tests of the package reader: a sound package reads whole and without problems; damaged
// ones (cut short, wrong ids and sizes, odd pads, inconsistent headers and pictures,
// chunks out of order, huge grids and floods of chunks) give the problems they should,
// each at its chunk and offset, and whatever could still be read.
#include "format/package_reader.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/bytes.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

using test::Bytes;
using test::MakeBmp;

// The package's parts, each as the writer lays it out in its chunk.
struct Parts {
  Bytes header;
  Bytes base;
  std::vector<Bytes> tiles;
};

void Append(Bytes& out, const ChunkId& id, const Bytes& data) {
  out.insert(out.end(), id.begin(), id.end());
  uint8_t size[4];
  PutLe32(size, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), size, size + 4);
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 == 1) out.push_back(0);
}

void FixRiffSize(Bytes& file) { PutLe32(file.data() + 4, static_cast<uint32_t>(file.size() - 8)); }

Bytes Build(const Parts& parts) {
  Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'D', 'A', 'T', 'A'};
  Append(file, kHeaderChunkId, parts.header);
  Append(file, kBaseChunkId, parts.base);
  for (const Bytes& tile : parts.tiles) Append(file, kTileChunkId, tile);
  FixRiffSize(file);
  return file;
}

// A picture as the writer stores it: the image-size field holds the pixel bytes.
Bytes Picture(int width, int height, uint8_t seed) {
  return MakeBmp({.width = width,
                  .height = height,
                  .image_size = static_cast<uint32_t>(test::RowSize(24, width) * height),
                  .seed = seed});
}

// An 8-bit run-length picture of 7 pixel bytes: its chunk is odd-sized (1085 bytes).
Bytes OddPicture() {
  return MakeBmp({.width = 64,
                  .height = 64,
                  .bit_count = 8,
                  .compression = 1,
                  .image_size = 7,
                  .pixels = test::PatternBytes(7, 9)});
}

PackageHeader SoundHeader(int16_t x_max = 2, int16_t y_max = 1) {
  PackageHeader header = NewPackageHeader(x_max, y_max);
  header.fileVersion = 2;
  header.Difficulty = 5;
  header.backColor = {0xFF, 0x00, 0xFF};
  header.PassWord = "1234567";
  header.PuzzleSetName = "Animals";
  header.PuzzleName = "Cat";
  header.LongPuzzleName = "\x94\x4C\x82\xC5\x82\xB7";  // 猫です
  return header;
}

Bytes HeaderBytes(const PackageHeader& header) {
  const PackageHeaderBytes record = EncodePackageHeader(header);
  return Bytes(record.begin(), record.end());
}

Parts SoundParts() {
  return {HeaderBytes(SoundHeader()), Picture(2, 2, 1), {Picture(2, 2, 2), Picture(2, 2, 3)}};
}

// Offsets in the sound package: the header record at 20, the base chunk at 612 (its
// picture at 620), the tiles at 690 and 768, the end at 846.
constexpr uint64_t kRecord = 20, kBase = 612, kBasePicture = 620, kTile0 = 690, kTile1 = 768,
                   kEnd = 846;

std::vector<std::string> Places(const Package& package) {
  std::vector<std::string> places;
  for (const PackageProblem& p : package.problems) {
    places.push_back(p.chunk + "@" + std::to_string(p.offset));
  }
  return places;
}

// Damaged packages: the sound one with its parts changed (the RIFF size kept right), or
// its bytes changed as they stand.
using Make = std::function<Bytes()>;
Make Change(std::function<void(Parts&)> parts, std::function<void(Bytes&)> bytes = nullptr) {
  return [=] {
    Parts changed = SoundParts();
    if (parts) parts(changed);
    Bytes file = Build(changed);
    if (bytes) bytes(file);
    FixRiffSize(file);
    return file;
  };
}
Make Header(std::function<void(PackageHeader&)> change) {
  return Change([=](Parts& p) {
    PackageHeader header = SoundHeader();
    change(header);
    p.header = HeaderBytes(header);
  });
}
Make Poke(size_t at, Bytes bytes) {
  return [=] {
    Bytes file = Build(SoundParts());
    std::copy(bytes.begin(), bytes.end(), file.begin() + at);
    return file;
  };
}
Make Le32(size_t at, uint32_t value) {
  Bytes bytes(4);
  PutLe32(bytes.data(), value);
  return Poke(at, bytes);
}
Make CutTo(size_t length) {
  return [=] {
    Bytes file = Build(SoundParts());
    file.resize(length);
    return file;
  };
}

TEST(PackageReader, SoundPackageReadsWhole) {
  const Parts parts = SoundParts();
  const Bytes file = Build(parts);
  ASSERT_EQ(file.size(), kEnd);
  const Package package = ReadPackage(file);
  EXPECT_TRUE(package.sound()) << DescribeProblem(package.problems.at(0));
  EXPECT_EQ(package.fileSize, kEnd);
  EXPECT_EQ(package.header, SoundHeader());
  ASSERT_TRUE(package.base);
  EXPECT_EQ(package.base->offset, kBase);
  EXPECT_EQ(package.base->bmp, parts.base);
  EXPECT_EQ(package.tileChunks, 2);
  ASSERT_EQ(package.tiles.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const PackagePicture& tile = package.tiles[i];
    EXPECT_EQ(tile.offset, i == 0 ? kTile0 : kTile1);
    EXPECT_EQ(std::vector<int64_t>({tile.index, tile.row, tile.column}),
              std::vector<int64_t>({i, 0, i}));
    EXPECT_EQ(tile.bmp, parts.tiles[i]);
  }
  // Odd-sized pictures with their pad bytes, and a grid of rows, are sound too.
  const Package odd = ReadPackage(
      Build({HeaderBytes(SoundHeader(1, 2)), OddPicture(), {OddPicture(), Picture(1, 1, 5)}}));
  EXPECT_TRUE(odd.sound()) << DescribeProblem(odd.problems.at(0));
  ASSERT_EQ(odd.tiles.size(), 2u);
  EXPECT_EQ(odd.tiles[1].row, 1);
}

TEST(PackageReader, DamagedPackagesNameEachProblemAtItsChunkAndOffset) {
  const Bytes junk = {'J', 'U', 'N', 'K', 4, 0, 0, 0, 1, 2, 3, 4};
  auto insert = [](size_t at, Bytes bytes) {
    return [=](Bytes& f) { f.insert(f.begin() + at, bytes.begin(), bytes.end()); };
  };
  auto erase = [](size_t from, size_t to) {
    return [=](Bytes& f) { f.erase(f.begin() + from, f.begin() + to); };
  };
  const Bytes file = Build(SoundParts());
  const Bytes header_chunk(file.begin() + 12, file.begin() + kBase);
  const Bytes base_chunk(file.begin() + kBase, file.begin() + kTile0);
  auto append = [](Bytes bytes) {
    return [=](Bytes& f) { f.insert(f.end(), bytes.begin(), bytes.end()); };
  };
  struct Case {
    const char* name;
    Make file;
    std::vector<std::string> places;
    std::string first_what;  // a part of the first problem's text
  } cases[] = {
      // One case a line or two, as a table reads.
      // clang-format off
      {"empty file", CutTo(0), {"RIFF@0"}, "0 bytes long, too short for a RIFF form"},
      {"cut after the RIFF header", CutTo(12), {"RIFF@4", "KLVZ@12", "KLVB@12"},
       "says 838 bytes follow it, the file holds 4"},
      {"cut inside the header", CutTo(300), {"RIFF@4", "KLVZ@16", "KLVB@300", "KLVP@300"}, ""},
      {"cut inside the last tile", CutTo(800), {"RIFF@4", "KLVP 1 (row 0, column 1)@772"}, ""},
      {"last tile missing", Change(nullptr, [](Bytes& f) { f.resize(kTile1); }), {"KLVP@768"},
       "the grid of 2 x 1 holds 2 tiles, the package 1 tile chunks"},
      {"wrong RIFF id", Poke(0, {0}), {"RIFF@0"}, "starts with '\\x00IFF', not 'RIFF'"},
      {"wrong form type", Poke(8, {'d'}), {"RIFF@8"}, "'dATA', not 'DATA'"},
      {"base size past the end", Le32(kBase + 4, 0xFFFFFFFF), {"KLVB@616", "KLVP@846"},
       "runs 4294967069 bytes past the end"},
      {"wrong header id, read by its place", Poke(15, {'X'}), {"KLVZ@12"}, "'KLVX', not 'KLVZ'"},
      {"unknown chunk between the tiles", Change(nullptr, insert(kTile1, junk)),
       {"KLVP 1 (row 0, column 1)@768", "KLVP 1 (row 0, column 1)@772", "KLVP 2@780"},
       "read as that chunk by its place"},
      {"header chunk of 600 bytes", Change([](Parts& p) { p.header.resize(600); }), {"KLVZ@16"},
       "holds 600 bytes, not 592"},
      {"header cut to 100 bytes: the fields it lacks are not checked",
       Change([](Parts& p) { p.header.resize(100); }), {"KLVZ@16"}, "holds 100 bytes"},
      {"picture height off the grid", Header([](PackageHeader& h) { h.pictureHeight = 100; }),
       {"KLVZ@34"}, "pictureHeight is 100, not 64 ((yMax + 1) x 32)"},
      {"reserved bytes after the difficulty", Poke(kRecord + 18, {1}), {"KLVZ@38"},
       "reserved header bytes 18 to 19"},
      {"reserved tail", Poke(kRecord + 591, {1}), {"KLVZ@611"}, "329 to 591"},
      {"name without a terminator", Poke(kRecord + kPuzzleNameOffset, Bytes(16, 0xE9)),
       {"KLVZ@77"}, "PuzzleName fills its 16 bytes"},
      {"bytes after a terminator", Poke(kRecord + kPuzzleNameOffset + 15, {0x41}), {"KLVZ@77"},
       "after its terminating zero"},
      {"0xFF in a text", Poke(kRecord + kPassWordOffset + 1, {0xFF}), {"KLVZ@45"},
       "PassWord holds the byte 0xFF"},
      {"picture without \"BM\"", Poke(kBasePicture, {'X'}), {"KLVB@620"},
       "does not start with \"BM\""},
      {"picture file size", Le32(kBasePicture + 2, 71), {"KLVB@622"},
       "file-size field is 71, not the chunk's size 70"},
      {"picture reserved fields", Poke(kBasePicture + 9, {1}), {"KLVB@626"}, ""},
      {"core header", Le32(kBasePicture + 14, 12), {"KLVB@634"}, "12 bytes long, not 40"},
      {"top-down tile", Le32(kTile0 + 8 + 22, static_cast<uint32_t>(-2)),
       {"KLVP 0 (row 0, column 0)@720"}, "2 x -2 is negative"},
      {"image size left 0", Le32(kBasePicture + 34, 0), {"KLVB@654"},
       "image-size field is 0, its rows make 16 bytes"},
      {"rows past 2^64", Change(nullptr, [](Bytes& f) {
         PutLe32(&f[kBasePicture + 18], 0x7FFFFFFF);
         PutLe32(&f[kBasePicture + 22], 0x7FFFFFFF);
         PutLe16(&f[kBasePicture + 28], 0xFFFF); }), {"KLVB@654"}, "more than 2^64"},
      {"a colour table the chunk lacks", Le32(kBasePicture + 46, 1), {"KLVB@630", "KLVB@616"},
       "offset to its pixels is 54, not 58"},
      {"odd chunk without its pad", Change([](Parts& p) { p.base = OddPicture(); },
         [](Bytes& f) { f.erase(f.begin() + kBasePicture + 1085); }),
       {"KLVB@1705"}, "pad byte after the chunk's odd-sized data is missing"},
      {"pad byte not zero", Change([](Parts& p) { p.base = OddPicture(); },
         [](Bytes& f) { f[kBasePicture + 1085] = 7; }), {"KLVB@1705"}, "is 0x07, not 0"},
      {"pad byte missing at the end",
       Change([](Parts& p) { p.tiles[1] = OddPicture(); }, [](Bytes& f) { f.pop_back(); }),
       {"KLVP 1 (row 0, column 1)@1861"}, "missing"},
      {"no base chunk", Change(nullptr, erase(kBase, kTile0)), {"KLVB@768"},
       "the package has no base chunk"},
      {"base after the tiles", Change(nullptr, [&](Bytes& f) {
         erase(kBase, kTile0)(f);
         append(base_chunk)(f); }), {"KLVB@768"}, "after tile chunks"},
      {"second header", Change(nullptr, append(header_chunk)), {"KLVZ@846"},
       "a second header chunk; ignored"},
      {"three bytes after the last chunk", Change(nullptr, append({0, 0, 0})),
       {"RIFF@846"}, "3 bytes after the last chunk"},
      {"grid of 3 with two tiles", Header([](PackageHeader& h) { h = NewPackageHeader(3, 1); }),
       {"KLVP@846"}, "holds 3 tiles"},
      {"a grid of a billion tiles",
       Header([](PackageHeader& h) { h = NewPackageHeader(32767, 32767); }), {"KLVP@846"},
       "the grid of 32767 x 32767 holds 1073676289 tiles, the package 2 tile chunks"},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Package package = ReadPackage(c.file());
    EXPECT_EQ(Places(package), c.places);
    ASSERT_FALSE(package.sound());
    EXPECT_NE(package.problems[0].what.find(c.first_what), std::string::npos)
        << package.problems[0].what;
  }
}

TEST(PackageReader, DamageKeepsWhatCanStillBeRead) {
  const Parts sound = SoundParts();
  Bytes file = Build(sound);
  file[kBasePicture] = 'X';  // the base is kept, reported
  file.resize(800);          // the last tile is lost
  const Package package = ReadPackage(file);
  ASSERT_TRUE(package.header);
  EXPECT_EQ(package.header->PuzzleName, "Cat");
  ASSERT_TRUE(package.base);
  EXPECT_EQ(package.base->bmp[0], 'X');
  ASSERT_EQ(package.tiles.size(), 1u);
  EXPECT_EQ(package.tiles[0].bmp, sound.tiles[0]);
  EXPECT_EQ(package.tileChunks, 2);
  EXPECT_EQ(DescribeProblem(package.problems[1]),
            "KLVB at offset 620: the picture does not start with \"BM\"");
}

TEST(PackageReader, TruncatedAnywhereIsNeverSound) {
  const Bytes file = Build(SoundParts());
  for (size_t length = 0; length < file.size(); ++length) {
    const Package package = ReadPackage(std::span<const uint8_t>(file.data(), length));
    ASSERT_FALSE(package.sound()) << length;
    EXPECT_LE(package.tiles.size(), 2u);
  }
}

// Only the start decides whether a file is a package at all: damage after the header
// chunk's id and size leaves a (damaged) package.
TEST(PackageReader, AFileBeginsAsAPackageOrIsNoneAtAll) {
  const struct {
    const char* name;
    Make file;
    bool package;
  } cases[] = {
      {"sound", Change(nullptr), true},
      {"cut after the header chunk's size", CutTo(20), true},
      {"a wrong RIFF size", Le32(4, 7), true},
      {"a header record cut short", Change([](Parts& p) { p.header.resize(100); }, nullptr), false},
      {"cut inside the header chunk's size", CutTo(19), false},
      {"empty", CutTo(0), false},
      {"another RIFF form", Poke(8, {'W', 'A', 'V', 'E'}), false},
      {"another first chunk", Poke(12, {'K', 'L', 'V', 'B'}), false},
      {"RIFX", Poke(0, {'R', 'I', 'F', 'X'}), false},
      {"a PNG",
       [] {
         return Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13,
                      'I',  'H', 'D', 'R', 0,  0,  0,  1,  0, 0, 0, 1};
       },
       false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BeginsAsPackage(c.file()), c.package) << c.name;
  }
}

TEST(PackageReader, AFloodOfChunksGivesABoundedList) {
  Bytes file = Build({HeaderBytes(NewPackageHeader(32767, 32767)), Picture(1, 1, 1), {}});
  for (int i = 0; i < 20000; ++i) Append(file, kTileChunkId, {});
  FixRiffSize(file);
  const Package package = ReadPackage(file);
  EXPECT_EQ(package.tileChunks, 20000);
  EXPECT_TRUE(package.tiles.empty());
  ASSERT_EQ(package.problems.size(), kMaxPackageProblems + 1);
  // Each empty chunk is one problem; the missing tiles of the grid make one more.
  EXPECT_EQ(package.problems.back().what, "19901 more problems are not listed");
}

}  // namespace
}  // namespace klv
