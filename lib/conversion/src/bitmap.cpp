// Loading and checking the pictures of a work folder. A picture is read in two reads
// (the 14-byte file header, then the rest) into one owned block and is never converted:
// the package writer copies its bytes as they stand.
#include "conversion/bitmap.h"

#include <algorithm>
#include <new>

#include "base/platform.h"

namespace klv {
namespace {

BmpInfoHeader InfoHeader(const PictureBlock& block) {
  return ReadLibraryInfoHeader(std::span<const uint8_t>(block.data(), block.size()));
}

}  // namespace

std::optional<PictureBlock> ReadBitmapHead(InputFile& file, uint64_t* length) {
  if (!file.Length(length).ok() || *length < kBmpFileHeaderSize || *length > kMaxPictureFileBytes) {
    return std::nullopt;
  }
  // The file header and the info header after it come in one read.
  const size_t head_bytes =
      static_cast<size_t>(std::min<uint64_t>(*length - kBmpFileHeaderSize, kBmpInfoHeaderSize));
  uint8_t headers[kBmpFileHeaderSize + kBmpInfoHeaderSize];
  size_t got = 0;
  if (!file.Read(headers, kBmpFileHeaderSize + head_bytes, &got).ok() ||
      got != kBmpFileHeaderSize + head_bytes) {
    return std::nullopt;
  }
  if (!ReadBmpFileHeader(std::span<const uint8_t>(headers, got)).signature) return std::nullopt;

  PictureBlock head;
  try {
    head = PictureBlock(head_bytes + kBmpFileHeaderSize);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::copy(headers + kBmpFileHeaderSize, headers + kBmpFileHeaderSize + head_bytes, head.data());
  return head;
}

std::optional<PictureBlock> LoadBitmapFile(InputFile& file, uint64_t length,
                                           const PictureBlock& head) {
  PictureBlock block;
  try {
    // The block is as long as the file: the bytes after the file header, then 14 zeros.
    block = PictureBlock(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  const size_t head_bytes = head.size() - kBmpFileHeaderSize;
  std::copy(head.data(), head.data() + head_bytes, block.data());
  const size_t rest = static_cast<size_t>(length) - kBmpFileHeaderSize - head_bytes;
  size_t got = 0;
  if (rest > 0 && (!file.Read(block.data() + head_bytes, rest, &got).ok() || got != rest)) {
    return std::nullopt;
  }
  return block;
}

bool CheckBitmap(PictureSlot& slot) {
  if (!slot) return true;
  if (DibWidth(*slot) < 0 || DibHeight(*slot) < 0) {
    slot.reset();
    return false;
  }
  return true;
}

int32_t DibWidth(const PictureBlock& block) {
  return static_cast<int32_t>(InfoHeader(block).width);
}

int32_t DibHeight(const PictureBlock& block) {
  return static_cast<int32_t>(InfoHeader(block).height);
}

uint32_t DibColorCount(const PictureBlock& block) { return BmpColorCount(InfoHeader(block)); }

uint64_t DibColorTableSize(const PictureBlock& block) { return uint64_t{4} * DibColorCount(block); }

}  // namespace klv
