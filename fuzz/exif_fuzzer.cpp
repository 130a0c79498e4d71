// Fuzz target for the EXIF orientation reader: any bytes as an EXIF block, and as a whole
// JPEG, PNG or TIFF file whose segments or chunks lead to one. The orientation is always
// 1 to 8 (or nothing for a bad block), and nothing is read past the data.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "maker/exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<int> block = klv::ReadExifOrientation(data, size);
  const int file = klv::PictureOrientation(data, size);
  if ((block && (*block < 1 || *block > 8)) || file < 1 || file > 8) {
    std::fprintf(stderr, "exif_fuzzer: orientation out of range\n");
    std::abort();
  }
  return 0;
}
