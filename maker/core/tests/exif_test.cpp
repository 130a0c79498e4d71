// Tests of the EXIF orientation reader: well-formed blocks in both byte orders, blocks
// damaged in each field an offset comes from, and the walk to the block through a JPEG's
// segments and a PNG's chunks.
#include "maker/exif.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "klvtest/picture_files.h"

namespace klv {
namespace {

using test::Bytes;
using test::ExifBlock;

std::optional<int> Read(const Bytes& block) {
  return ReadExifOrientation(block.data(), block.size());
}

TEST(Exif, OrientationIsReadInBothByteOrders) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    EXPECT_EQ(Read(ExifBlock(orientation, false)), orientation);
    EXPECT_EQ(Read(ExifBlock(orientation, true)), orientation);
  }
}

TEST(Exif, DamagedBlocksGiveNothing) {
  // ExifBlock's layout: header (8 bytes), entry count at 8, entries of 12 bytes at 10
  // (the orientation entry at 22: tag, type at 24, count at 26, value at 30).
  const struct {
    const char* name;
    std::function<void(Bytes&)> damage;
  } cases[] = {
      {"empty", [](Bytes& b) { b.clear(); }},
      {"header only", [](Bytes& b) { b.resize(8); }},
      {"unknown byte order", [](Bytes& b) { b[0] = b[1] = 'X'; }},
      {"wrong magic number", [](Bytes& b) { b[2] = 43; }},
      {"directory past the end", [](Bytes& b) { b[4] = 0xF0; }},
      {"directory offset near 4 GiB", [](Bytes& b) { b[4] = b[5] = b[6] = b[7] = 0xFF; }},
      {"entries cut short", [](Bytes& b) { b.resize(30); }},
      {"orientation of type ASCII", [](Bytes& b) { b[24] = 2; }},
      {"orientation with no value", [](Bytes& b) { b[26] = 0; }},
      {"orientation 0", [](Bytes& b) { b[30] = 0; }},
      {"orientation 9", [](Bytes& b) { b[30] = 9; }},
      {"no orientation tag", [](Bytes& b) { b[22] = 0x13; }},
  };
  for (const auto& c : cases) {
    Bytes block = ExifBlock(6);
    ASSERT_EQ(Read(block), 6);
    c.damage(block);
    EXPECT_EQ(Read(block), std::nullopt) << c.name;
  }
}

Bytes Segment(uint8_t marker, const Bytes& payload) {
  Bytes out = {0xFF, marker, static_cast<uint8_t>((payload.size() + 2) >> 8),
               static_cast<uint8_t>(payload.size() + 2)};
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes ExifPayload(int orientation) {
  return Join({{'E', 'x', 'i', 'f', 0, 0}, ExifBlock(orientation, true)});
}

Bytes Chunk(const char* type, const Bytes& data) {
  Bytes out = {static_cast<uint8_t>(data.size() >> 24), static_cast<uint8_t>(data.size() >> 16),
               static_cast<uint8_t>(data.size() >> 8), static_cast<uint8_t>(data.size())};
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  out.insert(out.end(), 4, 0);  // the CRC, which the orientation reader does not check
  return out;
}

TEST(Exif, PictureOrientationFindsTheBlockInJpegPngAndTiffFiles) {
  const Bytes soi = {0xFF, 0xD8};
  const Bytes sos = Segment(0xDA, {1, 2, 3});
  const Bytes png = Join({{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, Chunk("IHDR", Bytes(13))});
  const struct {
    const char* name;
    Bytes file;
    int expected;
  } cases[] = {
      {"APP1 first", Join({soi, Segment(0xE1, ExifPayload(8)), sos}), 8},
      {"after APP0 and fill bytes",
       Join({soi, Segment(0xE0, Bytes(14, 'j')), {0xFF}, Segment(0xE1, ExifPayload(3)), sos}), 3},
      {"an XMP APP1 before it",
       Join({soi, Segment(0xE1, Bytes(20, 'x')), Segment(0xE1, ExifPayload(5)), sos}), 5},
      {"after the first scan", Join({soi, sos, Segment(0xE1, ExifPayload(6))}), 1},
      {"segment longer than the file", Join({soi, {0xFF, 0xE1, 0x40, 0x00}, ExifPayload(6)}), 1},
      {"segment length 0", Join({soi, {0xFF, 0xE0, 0, 0}, Segment(0xE1, ExifPayload(6))}), 1},
      {"garbage between segments", Join({soi, {0x12, 0x34}, Segment(0xE1, ExifPayload(6))}), 1},
      {"damaged block", Join({soi, Segment(0xE1, {'E', 'x', 'i', 'f', 0, 0, 'M', 'M'})}), 1},
      {"eXIf before the data", Join({png, Chunk("eXIf", ExifBlock(7)), Chunk("IDAT", {1})}), 7},
      {"eXIf after the data", Join({png, Chunk("IDAT", {1}), Chunk("eXIf", ExifBlock(2))}), 2},
      {"eXIf after IEND", Join({png, Chunk("IEND", {}), Chunk("eXIf", ExifBlock(2))}), 1},
      {"chunk longer than the file", Join({png, {0x7F, 0, 0, 0, 'e', 'X', 'I', 'f'}, ExifBlock(2)}),
       1},
      {"a TIFF file's own directory", ExifBlock(4, false), 4},
      {"nothing", Bytes{}, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PictureOrientation(c.file.data(), c.file.size()), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace klv
