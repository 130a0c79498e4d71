// Tests of picture loading and checking: what a block holds after LoadBitmapFile, which
// files are refused, the size check, and the field readings the writer relies on.
#include "conversion/bitmap.h"

#include <gtest/gtest.h>

#include "base/platform.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

using test::BmpFields;
using test::Bytes;
using test::FakeEnv;
using test::MakeBmp;
using test::ReadFault;

constexpr const char* kPath = "/w/pic.bmp";

StatusOr<PictureBlock> LoadFromFake(FakeEnv& env) {
  std::unique_ptr<InputFile> file;
  if (Status opened = env.OpenForSharedRead(kPath, &file); !opened.ok()) return opened;
  uint64_t length = 0;
  const StatusOr<PictureBlock> head = ReadBitmapHead(*file, &length);
  if (!head.ok()) return head.status();
  return LoadBitmapFile(*file, length, *head);
}

// A file that claims any length and delivers nothing.
class HugeFile : public InputFile {
 public:
  explicit HugeFile(uint64_t length) : length_(length) {}
  Status Length(uint64_t* length) override {
    *length = length_;
    return Status::OK();
  }
  Status Read(uint8_t* dst, size_t size, size_t* got) override {
    reads_ += 1;
    *got = 0;
    if (size == 14) {
      dst[0] = 'B';
      dst[1] = 'M';
      *got = 14;
    }
    return Status::OK();
  }
  int reads_ = 0;

 private:
  uint64_t length_;
};

TEST(Bitmap, BlockHoldsTheFileFromOffset14ThenFourteenZeros) {
  const Bytes file = MakeBmp({.width = 3, .height = 2, .bit_count = 8});
  FakeEnv env;
  env.AddFile(kPath, file);
  StatusOr<PictureBlock> block = LoadFromFake(env);
  ASSERT_TRUE(block.ok());
  ASSERT_EQ(block->size(), file.size());
  EXPECT_TRUE(std::equal(file.begin() + 14, file.end(), block->begin()));
  EXPECT_EQ(Bytes(block->end() - 14, block->end()), Bytes(14, 0));
}

TEST(Bitmap, FourteenByteFileLoadsAsZerosAndPassesTheCheck) {
  Bytes file = {'B', 'M', 14, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, 0};
  FakeEnv env;
  env.AddFile(kPath, file);
  StatusOr<PictureBlock> loaded = LoadFromFake(env);
  ASSERT_TRUE(loaded.ok());
  PictureSlot slot = *std::move(loaded);
  EXPECT_EQ(Bytes(slot->begin(), slot->end()), Bytes(14, 0));
  EXPECT_EQ(DibWidth(*slot), 0);
  EXPECT_EQ(DibHeight(*slot), 0);
  EXPECT_TRUE(CheckBitmap(slot));
  EXPECT_TRUE(slot);
}

TEST(Bitmap, UnloadableFilesSayWhy) {
  const Bytes good = MakeBmp({.width = 4, .height = 4});  // 102 bytes
  Bytes wrong_signature = good;
  wrong_signature[0] = 'X';
  struct Case {
    const char* name;
    Bytes file;
    ReadFault fault;
    size_t short_limit;
    const char* reason;
  } cases[] = {
      {"empty file", {}, ReadFault::kNone, 0, "the file is too short for a bitmap (0 bytes)"},
      {"13 bytes", Bytes(good.begin(), good.begin() + 13), ReadFault::kNone, 0,
       "the file is too short for a bitmap (13 bytes)"},
      {"wrong signature", wrong_signature, ReadFault::kNone, 0,
       "not a bitmap (the file does not begin with \"BM\")"},
      {"length cannot be measured", good, ReadFault::kLengthFails, 0, "Input/output error"},
      {"read fails", good, ReadFault::kReadFails, 0, "Input/output error"},
      // The headers come in one read of 14 + 40 bytes, the other 48 in a second.
      {"file vanishes after opening", good, ReadFault::kVanishes, 0,
       "the file ends early (0 of 54 bytes arrived)"},
      {"short first read", good, ReadFault::kShortRead, 10,
       "the file ends early (10 of 54 bytes arrived)"},
      {"short second read", good, ReadFault::kShortRead, good.size() - 1,
       "the file ends early (47 of 48 bytes arrived)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeEnv env;
    env.AddFile(kPath, c.file);
    env.read_faults[kPath] = c.fault;
    env.short_read_limit = c.short_limit;
    EXPECT_EQ(LoadFromFake(env).status().reason(), c.reason);
  }
}

TEST(Bitmap, OversizedFileIsRefusedBeforeAllocating) {
  for (uint64_t length : {kMaxPictureFileBytes + 1, uint64_t{1} << 62, ~uint64_t{0}}) {
    HugeFile file(length);
    uint64_t measured = 0;
    EXPECT_EQ(ReadBitmapHead(file, &measured).status().reason(),
              "the file is too large for a picture (" + std::to_string(length) + " bytes)");
    EXPECT_EQ(file.reads_, 0) << length;
  }
}

TEST(Bitmap, CheckEmptiesSlotsWithNegativeSides) {
  struct Case {
    uint32_t header_size;
    int32_t width;
    int32_t height;
    bool kept;
  } cases[] = {
      {40, 64, 64, true},
      {40, 0, 0, true},
      {40, 64, -64, false},  // top-down
      {40, -1, 64, false},
      {40, INT32_MIN, 1, false},
      // The short-header reading is unsigned: never negative.
      {12, 0xFFFF, 0xFFFF, true},
      {124, 64, -64, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.header_size << " " << c.width << "x" << c.height);
    const Bytes file = MakeBmp(
        {.header_size = c.header_size, .width = c.width, .height = c.height, .pixels = Bytes{}});
    Bytes loaded(file.begin() + 14, file.end());
    loaded.resize(loaded.size() + 14);  // as LoadBitmapFile lays it out
    PictureSlot slot = PictureBlock(loaded.begin(), loaded.end());
    EXPECT_EQ(CheckBitmap(slot), c.kept);
    EXPECT_EQ(slot.has_value(), c.kept);
  }
  PictureSlot empty;
  EXPECT_TRUE(CheckBitmap(empty));
}

TEST(Bitmap, FieldReadingsFollowTheHeaderSize) {
  auto block_of = [](const BmpFields& fields) {
    const Bytes file = MakeBmp(fields);
    return PictureBlock(file.begin() + 14, file.end());
  };
  // With a 124-byte header the 16-bit readings take the low and high halves of the
  // 32-bit width.
  PictureBlock v5 =
      block_of({.header_size = 124, .width = 0x00030002, .height = 7, .pixels = Bytes{}});
  EXPECT_EQ(DibWidth(v5), 2);
  EXPECT_EQ(DibHeight(v5), 3);
  PictureBlock core = block_of({.header_size = 12, .width = 300, .height = 200, .pixels = Bytes{}});
  EXPECT_EQ(DibWidth(core), 300);
  EXPECT_EQ(DibHeight(core), 200);
  PictureBlock info = block_of({.width = 70000, .height = -5, .pixels = Bytes{}});
  EXPECT_EQ(DibWidth(info), 70000);
  EXPECT_EQ(DibHeight(info), -5);
}

TEST(Bitmap, ColourCountAndTableSize) {
  struct Case {
    uint16_t bits;
    uint32_t used;
    uint32_t count;
  } cases[] = {
      {1, 0, 2},  {4, 0, 16}, {8, 0, 256},           {16, 0, 0},
      {24, 0, 0}, {32, 0, 0}, {8, 12, 12},           {24, 5, 5},
      {2, 0, 0},  {0, 0, 0},  {8, 0x10000, 0x10000}, {24, 0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.bits << " bits, used " << c.used);
    const Bytes file = MakeBmp(
        {.bit_count = c.bits, .used_colors = c.used, .table_entries = 0, .pixels = Bytes{}});
    const PictureBlock block(file.begin() + 14, file.end());
    EXPECT_EQ(DibColorCount(block), c.count);
    // Not cut to 16 bits: a table of 16384 entries or more keeps its true size.
    EXPECT_EQ(DibColorTableSize(block), uint64_t{4} * c.count);
  }
}

TEST(Bitmap, FieldsPastTheBlockReadAsZero) {
  // A 40-byte header size in a block of 14 bytes: used colours and depth are outside.
  PictureBlock block(14, 0);
  block[0] = 40;
  block[4] = 9;
  block[8] = 7;
  EXPECT_EQ(DibWidth(block), 9);
  EXPECT_EQ(DibHeight(block), 7);
  EXPECT_EQ(DibColorCount(block), 0u);
  Bytes longer(block.begin(), block.end());
  longer.resize(15);
  block = PictureBlock(longer.begin(), longer.end());
  block[14] = 8;  // half of the 16-bit depth field
  EXPECT_EQ(DibColorCount(block), 0u);
}

}  // namespace
}  // namespace klv
