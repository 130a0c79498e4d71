// Tests of the package writer: the colour text, the rebuilt picture chunks (sizes,
// padding, refusals), the whole form and the package's file name.
#include "conversion/package.h"

#include <gtest/gtest.h>

#include "base/bytes.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

using test::BmpFields;
using test::Bytes;
using test::Chunk;
using test::FakeEnv;
using test::MakeBmp;
using test::ReadRiff;

constexpr FourCC kTile{{'K', 'L', 'V', 'P'}};
constexpr const char* kTarget = "/w/out.klv";

PictureSlot SlotOf(const Bytes& file) {
  // As LoadBitmapFile lays it out: the bytes from offset 14 on, then 14 zeros.
  Bytes loaded(file.begin() + 14, file.end());
  loaded.resize(file.size(), 0);
  return PictureBlock(loaded.begin(), loaded.end());
}

// The fake environment's writer of kTarget.
std::unique_ptr<RiffFile> Writer(FakeEnv& env) {
  std::unique_ptr<RiffFile> out;
  EXPECT_TRUE(env.CreateRiffFile(kTarget, &out).ok());
  return out;
}

// Writes one chunk as the only content of a file and reads it back.
struct ChunkWrite {
  SaveCause cause;
  std::optional<Chunk> chunk;
  Bytes file;
};
ChunkWrite WriteOneChunk(const PictureSlot& slot) {
  FakeEnv env;
  std::unique_ptr<RiffFile> out = Writer(env);
  ChunkWrite result;
  out->CreateRiff({{'D', 'A', 'T', 'A'}});
  result.cause = WriteBitmapChunk(*out, kTile, slot);
  out->Ascend();
  out->Commit();
  result.file = env.files[kTarget];
  if (std::optional<test::RiffForm> form = ReadRiff(result.file); form && !form->chunks.empty()) {
    result.chunk = form->chunks[0];
  }
  return result;
}

TEST(Package, BackColorTextReadsAsHexadecimalGroups) {
  struct Case {
    const char* text;
    std::array<uint8_t, 3> bytes;
  } cases[] = {
      {"FF00FF", {0xFF, 0x00, 0xFF}},
      {"FFFFFF", {0xFF, 0xFF, 0xFF}},
      {"FFFF00", {0xFF, 0xFF, 0x00}},
      {"0", {0, 0, 0}},
      {"FF00", {0xFF, 0x00, 0}},
      {"FF", {0xFF, 0, 0}},
      {"FFFF", {0xFF, 0xFF, 0}},
      {"abc", {0xAB, 0x0C, 0}},
      {"", {0, 0, 0}},
      {"GG", {0, 0, 0}},
      {"12G456", {0x12, 0, 0}},
      {"1 2\t3", {0x01, 0x02, 0x03}},
      {"FF00FF00", {0xFF, 0x00, 0xFF}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseBackColor(c.text), c.bytes) << c.text;
}

TEST(Package, PictureChunkSizes) {
  struct Case {
    const char* name;
    BmpFields fields;
    uint32_t chunk_size;
    uint32_t pixel_offset;
    uint32_t image_size;
  } cases[] = {
      {"64x64 at 8 bits", {.width = 64, .height = 64, .bit_count = 8}, 5174, 1078, 4096},
      {"1x1 at 24 bits", {.width = 1, .height = 1}, 58, 54, 4},
      {"63 wide at 24 bits", {.width = 63, .height = 2}, 54 + 2 * 192, 54, 2 * 192},
      {"used colours set",
       {.width = 8, .height = 1, .bit_count = 8, .used_colors = 3},
       54 + 12 + 8,
       66,
       8},
      {"1 bit", {.width = 33, .height = 3, .bit_count = 1}, 54 + 8 + 24, 62, 24},
      {"4 bits", {.width = 9, .height = 1, .bit_count = 4}, 54 + 64 + 8, 118, 8},
      {"stored size replaced",
       {.width = 2, .height = 2, .image_size = 999, .pixels = test::PatternBytes(1100, 3)},
       54 + 16,
       54,
       16},
      {"zero sides", {.width = 0, .height = 0, .pixels = Bytes{}}, 54, 54, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = MakeBmp(c.fields);
    const ChunkWrite w = WriteOneChunk(SlotOf(file));
    ASSERT_EQ(w.cause, SaveCause::kNone);
    ASSERT_TRUE(w.chunk);
    const Bytes& data = w.chunk->data;
    EXPECT_EQ(w.chunk->id, "KLVP");
    EXPECT_EQ(w.chunk->size, c.chunk_size);
    ASSERT_EQ(data.size(), c.chunk_size);
    EXPECT_EQ(data[0], 'B');
    EXPECT_EQ(data[1], 'M');
    EXPECT_EQ(GetLe32(&data[2]), c.chunk_size);
    EXPECT_EQ(GetLe32(&data[6]), 0u);
    EXPECT_EQ(GetLe32(&data[10]), c.pixel_offset);
    EXPECT_EQ(GetLe32(&data[14 + 20]), c.image_size);
    // Apart from the image-size field, the rest is the file's own bytes from offset 14.
    Bytes expected(file.begin() + 14, file.begin() + std::min<size_t>(file.size(), c.chunk_size));
    expected.resize(c.chunk_size - 14, 0);
    PutLe32(&expected[20], c.image_size);
    EXPECT_EQ(Bytes(data.begin() + 14, data.end()), expected);
  }
}

TEST(Package, RunLengthPicturesKeepTheirStoredSizeAndPadOddChunks) {
  struct Case {
    uint32_t compression;
    uint16_t bits;
    uint32_t stored;
    bool padded;
  } cases[] = {{1, 8, 7, true}, {2, 4, 10, false}, {1, 8, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    const Bytes file = MakeBmp({.width = 64,
                                .height = 64,
                                .bit_count = c.bits,
                                .compression = c.compression,
                                .image_size = c.stored,
                                .pixels = test::PatternBytes(c.stored, 9)});
    const ChunkWrite w = WriteOneChunk(SlotOf(file));
    ASSERT_EQ(w.cause, SaveCause::kNone);
    ASSERT_TRUE(w.chunk) << "the file is not a well-formed RIFF form";
    const uint32_t table = c.bits == 8 ? 1024 : 64;
    EXPECT_EQ(w.chunk->size, 54 + table + c.stored);
    EXPECT_EQ(w.chunk->padded, c.padded);
    EXPECT_EQ(GetLe32(&w.chunk->data[14 + 20]), c.stored);
    EXPECT_EQ(Bytes(w.chunk->data.begin() + 14, w.chunk->data.end()),
              Bytes(file.begin() + 14, file.end()));
  }
}

TEST(Package, UnwritablePicturesFailWithoutWriting) {
  const Bytes ok = MakeBmp({.width = 4, .height = 4});
  // A picture (4 x 4 at 24 bits: 48 pixel bytes) may use the 14 zero bytes at the end
  // of its block, but nothing beyond.
  const Bytes short_by_14 =
      MakeBmp({.width = 4, .height = 4, .pixels = test::PatternBytes(48 - 14, 2)});
  const Bytes short_by_15 =
      MakeBmp({.width = 4, .height = 4, .pixels = test::PatternBytes(48 - 15, 2)});
  struct Case {
    const char* name;
    PictureSlot slot;
    SaveCause cause;
  } cases[] = {
      {"empty slot", std::nullopt, SaveCause::kPictureMissing},
      {"14 zero bytes", PictureBlock(14, 0), SaveCause::kHeaderNot40},
      {"core header", SlotOf(MakeBmp({.header_size = 12, .width = 4, .height = 4})),
       SaveCause::kHeaderNot40},
      {"124-byte header", SlotOf(MakeBmp({.header_size = 124, .width = 4, .height = 4})),
       SaveCause::kHeaderNot40},
      {"info header cut short", SlotOf(Bytes(ok.begin(), ok.begin() + 14 + 20)),
       SaveCause::kPictureTruncated},
      {"pixels short by 15", SlotOf(short_by_15), SaveCause::kPictureTruncated},
      {"huge sides",
       SlotOf(MakeBmp(
           {.width = INT32_MAX, .height = INT32_MAX, .bit_count = 0xFFFF, .pixels = Bytes{}})),
       SaveCause::kPictureTruncated},
      {"negative height", SlotOf(MakeBmp({.width = 4, .height = -4})),
       SaveCause::kPictureTruncated},
      {"huge colour table", SlotOf(MakeBmp({.used_colors = 0xFFFFFFFF, .table_entries = 1})),
       SaveCause::kPictureTruncated},
      {"16384 colours (not cut to 16 bits)",
       SlotOf(MakeBmp({.used_colors = 16384, .table_entries = 1})), SaveCause::kPictureTruncated},
      {"run-length size past the block",
       SlotOf(MakeBmp({.width = 8,
                       .height = 8,
                       .bit_count = 8,
                       .compression = 1,
                       .image_size = 100,
                       .pixels = test::PatternBytes(50, 1)})),
       SaveCause::kPictureTruncated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ChunkWrite w = WriteOneChunk(c.slot);
    EXPECT_EQ(w.cause, c.cause);
    // Only the RIFF form header was written.
    EXPECT_EQ(w.file.size(), 12u);
  }
  const ChunkWrite w = WriteOneChunk(SlotOf(short_by_14));
  EXPECT_EQ(w.cause, SaveCause::kNone);
  ASSERT_TRUE(w.chunk);
  EXPECT_EQ(w.chunk->size, 54u + 48u);
  EXPECT_EQ(Bytes(w.chunk->data.end() - 14, w.chunk->data.end()), Bytes(14, 0));
}

// The package of an empty grid with a 1 x 1 base picture at 24 bits, byte for byte.
TEST(Package, DefaultPackageWithOnePixelBaseIs678Bytes) {
  PackageHeader header = NewPackageHeader(-1, 8);
  header.fileVersion = 2;
  header.Difficulty = 1;
  header.backColor = {0xFF, 0x00, 0xFF};
  header.PuzzleName = header.PuzzleSetName = header.LongPuzzleName = "the Puzzle";
  const Bytes pixel = {0x10, 0x20, 0x30, 0x00};
  const Bytes base_file = MakeBmp({.width = 1, .height = 1, .pixels = pixel});

  FakeEnv env;
  std::unique_ptr<RiffFile> out = Writer(env);
  ASSERT_TRUE(WritePackage(*out, header, SlotOf(base_file), {}).ok());
  ASSERT_TRUE(out->Commit().ok());
  const Bytes& file = env.files[kTarget];

  Bytes expected(678, 0);
  auto put = [&expected](size_t at, std::initializer_list<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), expected.begin() + at);
  };
  const uint8_t scrambled[] = {0xB8, 0x79, 0xA9, 0xFD, 0xFA, 0xA8, 0x58, 0x58, 0x39, 0xA9};
  put(0, {'R', 'I', 'F', 'F', 0x9E, 0x02, 0, 0, 'D', 'A', 'T', 'A'});  // 670
  put(12, {'K', 'L', 'V', 'Z', 0x50, 0x02, 0, 0});                     // 592
  put(20, {2, 0, 0,    0,    0xFF, 0xFF, 8, 0, 64,   0,    64,   0,
           0, 0, 0x20, 0x01, 1,    0,    0, 0, 0xFF, 0x00, 0xFF, 0});
  for (size_t at : {20 + 46, 20 + 57, 20 + 73}) {
    std::copy(std::begin(scrambled), std::end(scrambled), expected.begin() + at);
  }
  put(612, {'K', 'L', 'V', 'B', 58, 0, 0, 0});
  put(620, {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0});
  put(634, {40, 0, 0, 0, 1, 0, 0, 0, 1,    0,    0, 0, 1,    0,    24, 0,
            0,  0, 0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0,  0});
  put(674, {0x10, 0x20, 0x30, 0x00});
  ASSERT_EQ(file.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(file[i], expected[i]) << "byte " << i;
}

TEST(Package, TilesFollowTheBaseInSlotOrder) {
  std::vector<PictureSlot> tiles;
  for (uint8_t seed = 1; seed <= 3; ++seed) {
    tiles.push_back(SlotOf(MakeBmp({.width = 2, .height = 1, .image_size = 8, .seed = seed})));
  }
  const PictureSlot base =
      SlotOf(MakeBmp({.width = 3, .height = 3, .bit_count = 8, .image_size = 12}));
  FakeEnv env;
  std::unique_ptr<RiffFile> out = Writer(env);
  ASSERT_TRUE(WritePackage(*out, NewPackageHeader(3, 1), base, tiles).ok());
  ASSERT_TRUE(out->Commit().ok());
  std::optional<test::RiffForm> form = ReadRiff(env.files[kTarget]);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->form, "DATA");
  ASSERT_EQ(form->chunks.size(), 5u);
  EXPECT_EQ(form->chunks[0].id, "KLVZ");
  EXPECT_EQ(form->chunks[0].size, 592u);
  EXPECT_EQ(form->chunks[1].id, "KLVB");
  EXPECT_EQ(Bytes(form->chunks[1].data.begin() + 14, form->chunks[1].data.end()),
            Bytes(base->begin(), base->begin() + form->chunks[1].size - 14));
  for (size_t i = 0; i < 3; ++i) {
    const Chunk& chunk = form->chunks[2 + i];
    EXPECT_EQ(chunk.id, "KLVP");
    EXPECT_EQ(Bytes(chunk.data.begin() + 14, chunk.data.end()),
              Bytes(tiles[i]->begin(), tiles[i]->begin() + chunk.size - 14))
        << "tile " << i;
  }
}

TEST(Package, WritingStopsAtTheFirstFailure) {
  const PictureSlot good = SlotOf(MakeBmp({}));
  const std::vector<PictureSlot> tiles = {good, std::nullopt, good};
  FakeEnv env;
  std::unique_ptr<RiffFile> out = Writer(env);
  PackageWriteResult result = WritePackage(*out, NewPackageHeader(3, 1), good, tiles);
  EXPECT_EQ(result.cause, SaveCause::kPictureMissing);
  EXPECT_EQ(result.picture, 1);
  const int calls_after_tile_0 = env.riff_calls;

  out = Writer(env);
  env.riff_calls = 0;
  result = WritePackage(*out, NewPackageHeader(0, 0), std::nullopt, {});
  EXPECT_EQ(result.cause, SaveCause::kPictureMissing);
  EXPECT_EQ(result.picture, PackageWriteResult::kBasePicture);
  EXPECT_LT(env.riff_calls, calls_after_tile_0);

  // Every single write step that fails makes the whole write fail.
  const std::vector<PictureSlot> two = {good, good};
  for (int n = 1;; ++n) {
    FakeEnv faulty;
    faulty.fail_riff_call = n;
    std::unique_ptr<RiffFile> writer = Writer(faulty);
    result = WritePackage(*writer, NewPackageHeader(2, 1), good, two);
    if (faulty.riff_calls < n) break;  // every step has been made to fail once
    EXPECT_EQ(result.cause, SaveCause::kWriteFailed) << "step " << n;
    EXPECT_EQ(faulty.riff_calls, n) << "writing went on after step " << n;
  }
}

}  // namespace
}  // namespace klv
