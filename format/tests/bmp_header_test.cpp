// Tests of the BMP info header readings: the package library's and the picture
// decoder's readings part where an info header is not 40 bytes long, and nothing is read
// past the bytes given.
#include "format/bmp_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/bytes.h"

namespace klv {
namespace {

// An info header of `size` bytes (its size field `size`) with the 32-bit fields `fields`
// (offset, value) set.
std::vector<uint8_t> InfoHeader(uint32_t size,
                                std::vector<std::pair<size_t, uint32_t>> fields = {}) {
  std::vector<uint8_t> info(size, 0);
  PutLe32(info.data(), size);
  for (const auto& [offset, value] : fields) PutLe32(info.data() + offset, value);
  return info;
}

TEST(BmpHeader, TheLibraryAndTheDecoderReadOtherHeaderSizesEachTheirWay) {
  struct Case {
    std::string name;
    std::vector<uint8_t> info;
    BmpInfoHeader decoder;
    BmpInfoHeader library;
  };
  // 300 x 200 at 24 bits in a core header: 16-bit sides at 4 and 6, the bit count at 10,
  // where a 40-byte header has its height's low half.
  const std::vector<uint8_t> core = InfoHeader(12, {{4, 200u << 16 | 300}, {8, 24u << 16 | 1}});
  const Case cases[] = {
      {"core header", core, {12, true, 300, 200, 24}, {12, false, 300, 200}},
      // Sides as signed 32-bit fields in both readings; a negative height is top down.
      {"40 bytes",
       InfoHeader(40,
                  {{4, 7}, {8, static_cast<uint32_t>(-5)}, {14, 8}, {16, 1}, {20, 64}, {32, 3}}),
       {40, false, 7, -5, 8, 1, 64, 3},
       {40, false, 7, -5, 8, 1, 64, 3}},
      // A longer header: the library takes the 16-bit halves of the width.
      {"108 bytes",
       InfoHeader(108, {{4, 70000}, {8, 2}, {14, 32}}),
       {108, false, 70000, 2, 32},
       {108, false, 70000 & 0xFFFF, 70000 >> 16, 32}},
      // Fields past the bytes given read as 0.
      {"cut short", std::vector<uint8_t>{40, 0, 0, 0, 9, 0, 0}, {40}, {40}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadDecoderInfoHeader(c.info), c.decoder) << c.name;
    EXPECT_EQ(ReadLibraryInfoHeader(c.info), c.library) << c.name;
  }
}

}  // namespace
}  // namespace klv
