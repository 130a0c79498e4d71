// Tests of the bitmap codec: hand-built files of every header kind, depth and
// compression decode to known pixels; the 24-bit encoder's exact bytes; and a family of
// corrupt files that must be refused with a cause instead of being read past their end.
#include "maker/bitmap_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/bytes.h"

namespace klv {
namespace {

using Bytes = std::vector<uint8_t>;

// What goes into a test bitmap. Rows are given top row first, without padding; the
// builder pads them and stores them bottom-up unless topDown is set.
struct BmpFields {
  uint32_t headerSize = 40;
  int32_t width = 0;
  int32_t height = 0;  // positive; topDown stores it negated
  bool topDown = false;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
  std::vector<uint32_t> masks;     // in a header of 52 bytes or more, else after it
  std::vector<uint32_t> palette;   // 0xRRGGBB; 3-byte entries with the 12-byte header
  std::vector<Bytes> rows;         // uncompressed rows, top first
  Bytes data;                      // raw pixel data instead of rows (run-length)
  std::optional<uint32_t> offset;  // overrides the offset to the pixels
};

Bytes Build(const BmpFields& s) {
  Bytes out(14 + s.headerSize, 0);
  out[0] = 'B';
  out[1] = 'M';
  uint8_t* h = &out[14];
  PutLe32(h, s.headerSize);
  if (s.headerSize == 12) {
    PutLe16(h + 4, static_cast<uint16_t>(s.width));
    PutLe16(h + 6, static_cast<uint16_t>(s.height));
    PutLe16(h + 8, 1);
    PutLe16(h + 10, s.bitCount);
  } else {
    PutLe32(h + 4, static_cast<uint32_t>(s.width));
    PutLe32(h + 8, static_cast<uint32_t>(s.topDown ? -s.height : s.height));
    PutLe16(h + 12, 1);
    PutLe16(h + 14, s.bitCount);
    PutLe32(h + 16, s.compression);
    PutLe32(h + 32, s.colorsUsed);
  }
  for (size_t i = 0; i < s.masks.size(); ++i) {
    if (s.headerSize > 40) {
      PutLe32(h + 40 + 4 * i, s.masks[i]);
    } else {
      out.resize(out.size() + 4);
      PutLe32(&out[out.size() - 4], s.masks[i]);
    }
  }
  for (uint32_t c : s.palette) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c >> 16));
    if (s.headerSize != 12) out.push_back(0);
  }
  const size_t pixelStart = out.size();
  PutLe32(&out[10], s.offset.value_or(static_cast<uint32_t>(pixelStart)));
  out.insert(out.end(), s.data.begin(), s.data.end());
  for (size_t i = 0; i < s.rows.size(); ++i) {
    const Bytes& row = s.rows[s.topDown ? i : s.rows.size() - 1 - i];
    out.insert(out.end(), row.begin(), row.end());
    out.resize(pixelStart + (out.size() - pixelStart + 3) / 4 * 4, 0);
  }
  PutLe32(&out[2], static_cast<uint32_t>(out.size()));
  return out;
}

Raster Pixels(int width, std::vector<uint32_t> top_first) {
  Raster r;
  r.width = width;
  r.height = static_cast<int>(top_first.size()) / width;
  r.pixels = std::move(top_first);
  return r;
}

std::string Describe(const StatusOr<Raster>& r) {
  if (!r.ok()) return "refused: " + r.status().reason();
  std::string text = std::to_string(r->width) + "x" + std::to_string(r->height) + ":";
  char hex[12];
  for (uint32_t p : r->pixels) {
    std::snprintf(hex, sizeof hex, " %06X", p);
    text += hex;
  }
  return text;
}

void ExpectDecodes(const Bytes& file, const Raster& expected, const std::string& name) {
  EXPECT_EQ(Describe(DecodeBitmap(file)), Describe(expected)) << name;
}

constexpr uint32_t kA = 0x112233, kB = 0xA0B0C0, kC = 0x00FF80, kD = 0x804020;

TEST(BitmapCodec, EveryDepthDecodesBottomUpAndTopDown) {
  struct Case {
    const char* name;
    uint16_t bits;
    int width;
    std::vector<uint32_t> palette;
    std::vector<Bytes> rows;  // top first
    std::vector<uint32_t> expected;
  };
  // clang-format off
  const std::vector<Case> cases = {
      // 10 pixels cross a byte boundary; the second byte's low bits are padding.
      {"1 bit", 1, 10, {kA, kB}, {{0xB0, 0x40}, {0x4F, 0xFF}},
       {kB, kA, kB, kB, kA, kA, kA, kA, kA, kB,
        kA, kB, kA, kA, kB, kB, kB, kB, kB, kB}},
      {"4 bits", 4, 3, {kA, kB, kC, kD}, {{0x12, 0x30}, {0x03, 0x20}},
       {kB, kC, kD, kA, kD, kC}},
      // Index 7 lies beyond a 4-entry table and takes entry 0.
      {"8 bits", 8, 3, {kA, kB, kC, kD}, {{0, 2, 1}, {3, 7, 0}},
       {kA, kC, kB, kD, kA, kA}},
      // 5-5-5: 0x4210 has 16 in every channel, widened to 0x84.
      {"16 bits", 16, 2, {}, {{0x00, 0x7C, 0xE0, 0x03}, {0x1F, 0x00, 0x10, 0x42}},
       {0xFF0000, 0x00FF00, 0x0000FF, 0x848484}},
      {"24 bits", 24, 2, {}, {{0x33, 0x22, 0x11, 0xC0, 0xB0, 0xA0}, {1, 2, 3, 4, 5, 6}},
       {kA, kB, 0x030201, 0x060504}},
      // Five pixels a row, so that each row ends in padding.
      {"24 bits, five wide", 24, 5, {},
       {{0x33, 0x22, 0x11, 0xC0, 0xB0, 0xA0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
        {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
       {kA, kB, 0x030201, 0x060504, 0x090807,
        0x0C0B0A, 0x0F0E0D, 0x121110, 0x151413, 0x181716}},
      // The fourth byte (alpha or unused) is ignored.
      {"32 bits", 32, 1, {}, {{0x33, 0x22, 0x11, 0xFF}, {0x80, 0xFF, 0x00, 0x7F}},
       {kA, kC}},
  };
  // clang-format on
  for (const Case& c : cases) {
    for (bool topDown : {false, true}) {
      BmpFields s;
      s.width = c.width;
      s.height = 2;
      s.topDown = topDown;
      s.bitCount = c.bits;
      s.palette = c.palette;
      s.colorsUsed = static_cast<uint32_t>(c.palette.size());
      s.rows = c.rows;
      ExpectDecodes(Build(s), Pixels(c.width, c.expected),
                    std::string(c.name) + (topDown ? " top-down" : " bottom-up"));
    }
  }
}

TEST(BitmapCodec, RunLengthDataDecodesRunsEscapesAndGaps) {
  struct Case {
    const char* name;
    uint32_t compression;
    int width, height;
    bool topDown;
    Bytes data;
    std::vector<uint32_t> expected;  // top first
  };
  // Rows in file order are bottom first unless top-down; gaps take entry 0 (kA).
  // clang-format off
  const std::vector<Case> cases = {
      //                                          comp  w  h  top-down
      {"RLE8 runs and end of line",                  1, 4, 2, false,
       {2, 1, 2, 2, 0, 0, 4, 3, 0, 1},
       {kD, kD, kD, kD, kB, kB, kC, kC}},
      {"RLE8 absolute run with its pad byte",        1, 4, 1, false,
       {0, 3, 3, 2, 1, 0xEE, 1, 3, 0, 1},
       {kD, kC, kB, kD}},
      {"RLE8 absolute run without padding",          1, 4, 1, false,
       {0, 4, 1, 2, 3, 1, 0, 1},
       {kB, kC, kD, kB}},
      {"RLE8 delta skips right and down",            1, 4, 3, false,
       {1, 1, 0, 2, 2, 1, 1, 2, 0, 0, 1, 3, 0, 1},
       {kD, kA, kA, kA, kA, kA, kA, kC, kB, kA, kA, kA}},
      {"RLE8 early end of line and of bitmap",       1, 3, 2, false,
       {1, 3, 0, 0, 0, 1},
       {kA, kA, kA, kD, kA, kA}},
      {"RLE8 missing end of bitmap after last row",  1, 2, 1, false,
       {2, 2, 0, 0},
       {kC, kC}},
      {"RLE8 top-down",                              1, 2, 2, true,
       {2, 1, 0, 0, 2, 2, 0, 1},
       {kB, kB, kC, kC}},
      {"RLE4 encoded run alternates nibbles",        2, 5, 1, false,
       {5, 0x13, 0, 1},
       {kB, kD, kB, kD, kB}},
      {"RLE4 absolute run of 5 with its pad byte",   2, 6, 1, false,
       {0, 5, 0x12, 0x30, 0x10, 0xEE, 1, 0x22, 0, 1},
       {kB, kC, kD, kA, kB, kC}},
      {"RLE4 absolute run of 3 needs no pad",        2, 3, 1, false,
       {0, 3, 0x32, 0x10, 0, 1},
       {kD, kC, kB}},
      // Runs that cover the row's padding (4 bytes: 8 pixels at 4 bits) lose those pixels.
      {"RLE8 run into the row padding",              1, 3, 2, false,
       {4, 1, 0, 0, 0, 4, 2, 3, 2, 3, 0, 1},
       {kC, kD, kC, kB, kB, kB}},
      {"RLE4 run into the row padding",              2, 5, 1, false,
       {8, 0x23, 0, 1},
       {kC, kD, kC, kD, kC}},
  };
  // clang-format on
  for (const Case& c : cases) {
    BmpFields s;
    s.width = c.width;
    s.height = c.height;
    s.topDown = c.topDown;
    s.compression = c.compression;
    s.bitCount = c.compression == 1 ? 8 : 4;
    s.palette = {kA, kB, kC, kD};
    s.colorsUsed = 4;
    s.data = c.data;
    ExpectDecodes(Build(s), Pixels(c.width, c.expected), c.name);
  }
}

TEST(BitmapCodec, BitFieldMasksSelectAndWidenChannels) {
  struct Case {
    const char* name;
    uint32_t headerSize;
    uint32_t compression;
    uint16_t bits;
    std::vector<uint32_t> masks;
    Bytes row;  // one row of two pixels
    std::vector<uint32_t> expected;
  };
  // clang-format off
  const std::vector<Case> cases = {
      //                                  header comp bits
      {"5-6-5 after the 40-byte header",      40, 3, 16, {0xF800, 0x07E0, 0x001F},
       {0xFF, 0xFF, 0x10, 0x84}, {0xFFFFFF, 0x848284}},
      {"4-4-4 widened by repeating",          40, 3, 16, {0x0F00, 0x00F0, 0x000F},
       {0x5A, 0x0F, 0x01, 0x00}, {0xFF55AA, 0x000011}},
      {"1-bit channels",                      40, 3, 16, {0x4, 0x2, 0x1},
       {0x05, 0, 0x02, 0}, {0xFF00FF, 0x00FF00}},
      {"8-8-8 with red and blue swapped",     40, 3, 32, {0x0000FF, 0x00FF00, 0xFF0000},
       {0x11, 0x22, 0x33, 0, 0xFF, 0, 0, 0}, {0x112233, 0xFF0000}},
      {"10-10-10 keeps the top 8 bits",       40, 3, 32, {0x3FF00000, 0x000FFC00, 0x000003FF},
       {0xFF, 0x03, 0xF0, 0x3F, 0x00, 0x00, 0x40, 0x00}, {0xFF00FF, 0x010000}},
      {"zero green mask gives 0",             40, 3, 32, {0xFF0000, 0, 0xFF},
       {0x40, 0x50, 0x60, 0, 0, 0, 0, 0}, {0x600040, 0}},
      {"alpha bit fields: 16 bytes after",    40, 6, 32,
       {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
       {1, 2, 3, 0x80, 4, 5, 6, 0xFF}, {0x030201, 0x060504}},
      {"masks inside a 56-byte header",       56, 3, 16, {0x7C00, 0x03E0, 0x001F, 0x8000},
       {0x1F, 0x80, 0x00, 0x7C}, {0x0000FF, 0xFF0000}},
      {"masks inside a 52-byte header",       52, 3, 32, {0xFF00, 0xFF, 0xFF000000},
       {0x10, 0x20, 0, 0x30, 0, 0, 0, 0}, {0x201030, 0}},
      {"V4 header with bit fields",          108, 3, 16, {0xF800, 0x07E0, 0x001F},
       {0xE0, 0x07, 0x00, 0x00}, {0x00FF00, 0}},
      // Without BI_BITFIELDS the header's masks are ignored: 8-8-8 and 5-5-5 apply.
      {"V5 header, plain 32 bits",           124, 0, 32, {0xFF, 0xFF00, 0xFF0000},
       {0x33, 0x22, 0x11, 0, 0, 0, 0, 0}, {kA, 0}},
      {"V4 header, plain 16 bits",           108, 0, 16, {0xF800, 0x07E0, 0x001F},
       {0x00, 0x7C, 0, 0}, {0xFF0000, 0}},
  };
  // clang-format on
  for (const Case& c : cases) {
    BmpFields s;
    s.headerSize = c.headerSize;
    s.width = 2;
    s.height = 1;
    s.bitCount = c.bits;
    s.compression = c.compression;
    s.masks = c.masks;
    s.rows = {c.row};
    ExpectDecodes(Build(s), Pixels(2, c.expected), c.name);
  }
}

TEST(BitmapCodec, CoreAndLongHeadersReadTheirColourTables) {
  struct Case {
    const char* name;
    uint32_t headerSize;
    uint16_t bits;
    std::vector<uint32_t> palette;
    uint32_t colorsUsed;
    Bytes row;
    std::vector<uint32_t> expected;
  };
  // clang-format off
  const std::vector<Case> cases = {
      //                          header bits  table  used colours
      {"core header, 3-byte entries", 12, 8, {kA, kB, kC, kD}, 0,
       {3, 0, 2, 1}, {kD, kA, kC, kB}},
      {"core header, 1 bit",          12, 1, {kC, kD}, 0,
       {0x50}, {kC, kD, kC, kD}},
      {"core header, 24 bits",        12, 24, {}, 0,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {0x030201, 0x060504, 0x090807, 0x0C0B0A}},
      {"V4 header, 4 bits",          108, 4, {kA, kB, kC}, 3,
       {0x21, 0x0F}, {kC, kB, kA, kA}},
      {"V5 header, 8 bits",          124, 8, {kA, kB}, 2,
       {1, 1, 0, 1}, {kB, kB, kA, kB}},
      // A used-colours count beyond 256 is cut to what 8 bits can index.
      {"huge used-colours count",     40, 8, std::vector<uint32_t>(256, kC), 0x7FFFFFFF,
       {0, 255, 1, 2}, {kC, kC, kC, kC}},
  };
  // clang-format on
  for (const Case& c : cases) {
    BmpFields s;
    s.headerSize = c.headerSize;
    s.width = 4;
    s.height = 1;
    s.bitCount = c.bits;
    s.palette = c.palette;
    s.colorsUsed = c.colorsUsed;
    s.rows = {c.row};
    ExpectDecodes(Build(s), Pixels(4, c.expected), c.name);
  }
}

TEST(BitmapCodec, EncodedFileHasTheExactHeaderAndPaddedRows) {
  Raster r = Raster::Filled(63, 2, 0);
  r.Set(0, 0, 0x010203);   // top-left: stored in the second row
  r.Set(62, 1, 0xA0B0C0);  // bottom-right: end of the first stored row
  const Bytes f = EncodeBitmap24(r);
  ASSERT_EQ(f.size(), 54u + 2 * 192);
  const std::vector<std::pair<size_t, uint32_t>> fields32 = {
      {2, 438}, {6, 0}, {10, 54}, {14, 40}, {18, 63}, {22, 2}, {30, 0}, {34, 384}, {46, 0}};
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(f[1], 'M');
  for (const auto& [at, value] : fields32) EXPECT_EQ(GetLe32(&f[at]), value) << "at " << at;
  EXPECT_EQ(GetLe16(&f[26]), 1);   // planes
  EXPECT_EQ(GetLe16(&f[28]), 24);  // bits per pixel
  EXPECT_EQ(Bytes(f.begin() + 54 + 186, f.begin() + 54 + 192), Bytes({0xC0, 0xB0, 0xA0, 0, 0, 0}));
  EXPECT_EQ(Bytes(f.begin() + 54 + 192, f.begin() + 54 + 195), Bytes({0x03, 0x02, 0x01}));
}

TEST(BitmapCodec, EncodeThenDecodeGivesTheSameRaster) {
  // Widths of every remainder modulo 4, so rows end inside a group of four pixels.
  const std::vector<std::pair<int, int>> sizes = {{1, 1}, {2, 3},  {3, 2},  {5, 7},
                                                  {6, 1}, {63, 3}, {64, 64}};
  for (const auto& [w, h] : sizes) {
    Raster r = Raster::Filled(w, h, 0);
    for (size_t i = 0; i < r.pixels.size(); ++i)
      r.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    const StatusOr<Raster> back = DecodeBitmap(EncodeBitmap24(r));
    ASSERT_TRUE(back.ok()) << w << "x" << h << ": " << back.status().reason();
    EXPECT_EQ(*back, r) << w << "x" << h;
  }
}

TEST(BitmapCodec, MalformedRastersAreNotEncoded) {
  Raster wrongCount = Raster::Filled(4, 4, 0);
  wrongCount.pixels.pop_back();
  Raster negative;
  negative.width = -1;
  for (const Raster* r : {&wrongCount, &negative}) EXPECT_TRUE(EncodeBitmap24(*r).empty());
  // An empty raster still gives a well-formed 54-byte file.
  EXPECT_EQ(EncodeBitmap24(Raster{}).size(), 54u);
}

// Small valid files whose every proper prefix is damaged: no row padding to spare and
// run-length data that ends on an explicit end of bitmap.
std::vector<std::pair<std::string, Bytes>> SmallValidFiles() {
  BmpFields paletted;
  paletted.width = 4;
  paletted.height = 2;
  paletted.bitCount = 8;
  paletted.palette = {kA, kB};
  paletted.colorsUsed = 2;
  paletted.rows = {{0, 1, 0, 1}, {1, 1, 0, 0}};
  BmpFields direct;
  direct.width = 4;
  direct.height = 2;
  direct.rows = {Bytes(12, 7), Bytes(12, 9)};
  BmpFields rle = paletted;
  rle.compression = 1;
  rle.rows.clear();
  rle.data = {4, 1, 0, 0, 0, 3, 0, 1, 0, 0, 1, 1, 0, 1};
  BmpFields fields;
  fields.width = 2;
  fields.height = 1;
  fields.bitCount = 16;
  fields.compression = 3;
  fields.masks = {0xF800, 0x07E0, 0x001F};
  fields.rows = {{1, 2, 3, 4}};
  BmpFields core = paletted;
  core.headerSize = 12;
  core.colorsUsed = 0;
  return {{"8 bits", Build(paletted)},
          {"24 bits", Build(direct)},
          {"RLE8", Build(rle)},
          {"bit fields", Build(fields)},
          {"core", Build(core)}};
}

TEST(BitmapCodec, EveryTruncationIsRefused) {
  for (const auto& [name, file] : SmallValidFiles()) {
    ASSERT_TRUE(DecodeBitmap(file).ok()) << name << ": " << DecodeBitmap(file).status().reason();
    for (size_t len = 0; len < file.size(); ++len) {
      // A copy of exactly `len` bytes, so that a read past it is caught by sanitizers.
      const Bytes cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(len));
      const StatusOr<Raster> got = DecodeBitmap(cut);
      EXPECT_FALSE(got.ok()) << name << " cut to " << len;
      EXPECT_FALSE(got.status().reason().empty()) << name << " cut to " << len;
    }
  }
}

TEST(BitmapCodec, CorruptFilesAreRefusedWithTheirCause) {
  BmpFields base;
  base.width = 4;
  base.height = 2;
  base.bitCount = 8;
  base.palette = {kA, kB};
  base.colorsUsed = 2;
  base.rows = {{0, 1, 0, 1}, {1, 1, 0, 0}};
  const auto with = [&](auto change) {
    BmpFields s = base;
    change(s);
    return Build(s);
  };
  const auto rle = [&](Bytes data) {
    return with([&](BmpFields& s) {
      s.compression = 1;
      s.rows.clear();
      s.data = data;
    });
  };
  Bytes noSignature = Build(base);
  noSignature[1] = 'A';
  Bytes offsetPastEnd = Build(base);
  PutLe32(&offsetPastEnd[10], static_cast<uint32_t>(offsetPastEnd.size() + 1));
  Bytes hugeOffset = Build(base);
  PutLe32(&hugeOffset[10], 0xFFFFFFFF);
  // 65536 x 1025 passes the side limit but not the pixel limit.
  Bytes tooManyPixels = rle({0, 1});
  PutLe32(&tooManyPixels[18], 65536);
  PutLe32(&tooManyPixels[22], 1025);

  // clang-format off
  const std::vector<std::tuple<std::string, Bytes, std::string>> cases = {
      {"signature", noSignature, "signature"},
      {"header size 64", with([](BmpFields& s) { s.headerSize = 64; }), "header size 64"},
      {"negative width", with([](BmpFields& s) { s.width = -4; }), "negative width"},
      {"width 0", with([](BmpFields& s) { s.width = 0; }), "empty picture"},
      {"height 0", with([](BmpFields& s) { s.height = 0; s.rows.clear(); }), "empty picture"},
      {"height INT32_MIN", with([](BmpFields& s) { s.height = INT32_MIN; }), "too large"},
      {"width above the side limit",
       with([](BmpFields& s) { s.width = kMaxDecodedSide + 1; }), "too large"},
      {"too many pixels", tooManyPixels, "too large"},
      {"offset past the end", offsetPastEnd, "past the end"},
      {"offset 0xFFFFFFFF", hugeOffset, "past the end"},
      {"offset into the header", with([](BmpFields& s) { s.offset = 20; }), "into the header"},
      {"offset into the bit-field masks",
       with([](BmpFields& s) { s.compression = 3; s.bitCount = 16; s.masks = {0xF800, 0x7E0, 0x1F};
                             s.offset = 54; }), "into the header"},
      {"table overlaps pixels", with([](BmpFields& s) { s.colorsUsed = 16; }), "overlaps"},
      {"2 bits per pixel", with([](BmpFields& s) { s.bitCount = 2; }), "bits per pixel 2"},
      {"JPEG", with([](BmpFields& s) { s.compression = 4; }), "JPEG"},
      {"PNG", with([](BmpFields& s) { s.compression = 5; }), "PNG"},
      {"compression 11", with([](BmpFields& s) { s.compression = 11; }), "compression 11"},
      {"RLE8 at 4 bits", with([](BmpFields& s) { s.compression = 1; s.bitCount = 4; }), "RLE8"},
      {"bit fields at 24 bits",
       with([](BmpFields& s) { s.compression = 3; s.bitCount = 24; s.masks = {1, 2, 4}; }),
       "bit-field"},
      {"non-contiguous mask",
       with([](BmpFields& s) { s.compression = 3; s.bitCount = 16;
                             s.masks = {0x7C01, 0x3E0, 0x1E}; }),
       "non-contiguous"},
      {"overlapping masks",
       with([](BmpFields& s) { s.compression = 3; s.bitCount = 32;
                             s.masks = {0xFF00, 0xFFF0, 0xF}; }),
       "overlapping"},
      {"16-bit mask too wide",
       with([](BmpFields& s) { s.compression = 3; s.bitCount = 16;
                             s.masks = {0x1F0000, 0x3E0, 0x1F}; }),
       "wider than 16"},
      {"core header at 16 bits",
       with([](BmpFields& s) { s.headerSize = 12; s.bitCount = 16; }), "12-byte"},
      {"core header without a table",
       with([](BmpFields& s) { s.headerSize = 12; s.palette.clear(); }), "colour table"},
      {"RLE8 run past the row padding", rle({5, 1, 0, 1}), "overruns"},
      {"RLE8 absolute run past the padding", rle({0, 5, 1, 1, 1, 1, 1, 0, 0, 1}), "overruns"},
      {"RLE8 run past the last row", rle({0, 0, 0, 0, 1, 1, 0, 1}), "overruns"},
      {"RLE8 delta past the row padding", rle({2, 1, 0, 2, 3, 0, 0, 1}), "delta"},
      {"RLE8 delta past the last row", rle({0, 2, 0, 3, 0, 1}), "delta"},
      {"RLE8 delta cut short", rle({0, 2, 1}), "truncated"},
      {"RLE8 absolute run cut short", rle({0, 4, 1, 1}), "truncated"},
      {"RLE8 without end of bitmap", rle({4, 1, 0, 0, 2, 1}), "truncated"},
      {"RLE4 run past the row padding",
       with([](BmpFields& s) { s.compression = 2; s.bitCount = 4; s.rows.clear();
                             s.data = {9, 0x11, 0, 1}; }), "overruns"},
  };
  // clang-format on
  for (const auto& [name, file, expected] : cases) {
    const std::string cause = DecodeBitmap(file).status().reason();
    EXPECT_NE(cause.find(expected), std::string::npos) << name << ": " << cause;
  }
  EXPECT_FALSE(DecodeBitmap(Bytes{}).ok());
}

}  // namespace
}  // namespace klv
