// Loading and checking the pictures of a work folder. A picture is read in two reads
// (the 14-byte file header, then the rest) into one owned block and is never converted:
// the package writer copies its bytes as they stand.
#include "conversion/bitmap.h"

#include <algorithm>
#include <new>
#include <string>

#include "base/platform.h"

namespace klv {
namespace {

BmpInfoHeader InfoHeader(const PictureBlock& block) {
  return ReadLibraryInfoHeader(std::span<const uint8_t>(block.data(), block.size()));
}

constexpr char kNoMemory[] = "not enough memory for the picture";

// Reads exactly `size` bytes (none for 0): an error with the system's reason when a read
// fails, or saying how much arrived when the file ends first.
Status ReadExactly(InputFile& file, uint8_t* dst, size_t size) {
  if (size == 0) return Status::OK();
  size_t got = 0;
  if (Status read = file.Read(dst, size, &got); !read.ok()) return read;
  if (got != size) {
    return Status::IOError({}, "the file ends early (" + std::to_string(got) + " of " +
                                   std::to_string(size) + " bytes arrived)");
  }
  return Status::OK();
}

}  // namespace

StatusOr<PictureBlock> ReadBitmapHead(InputFile& file, uint64_t* length) {
  if (Status measured = file.Length(length); !measured.ok()) return measured;
  if (*length < kBmpFileHeaderSize) {
    return Status::Invalid("the file is too short for a bitmap (" + std::to_string(*length) +
                           " bytes)");
  }
  if (*length > kMaxPictureFileBytes) {
    return Status::Invalid("the file is too large for a picture (" + std::to_string(*length) +
                           " bytes)");
  }
  // The file header and the info header after it come in one read.
  const size_t head_bytes =
      static_cast<size_t>(std::min<uint64_t>(*length - kBmpFileHeaderSize, kBmpInfoHeaderSize));
  uint8_t headers[kBmpFileHeaderSize + kBmpInfoHeaderSize];
  if (Status read = ReadExactly(file, headers, kBmpFileHeaderSize + head_bytes); !read.ok()) {
    return read;
  }
  if (!ReadBmpFileHeader(std::span<const uint8_t>(headers, kBmpFileHeaderSize + head_bytes))
           .signature) {
    return Status::Invalid("not a bitmap (the file does not begin with \"BM\")");
  }

  PictureBlock head;
  try {
    head = PictureBlock(head_bytes + kBmpFileHeaderSize);
  } catch (const std::bad_alloc&) {
    return Status::Invalid(kNoMemory);
  }
  std::copy(headers + kBmpFileHeaderSize, headers + kBmpFileHeaderSize + head_bytes, head.data());
  return head;
}

StatusOr<PictureBlock> LoadBitmapFile(InputFile& file, uint64_t length, const PictureBlock& head) {
  PictureBlock block;
  try {
    // The block is as long as the file: the bytes after the file header, then 14 zeros.
    block = PictureBlock(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    return Status::Invalid(kNoMemory);
  }
  const size_t head_bytes = head.size() - kBmpFileHeaderSize;
  std::copy(head.data(), head.data() + head_bytes, block.data());
  const size_t rest = static_cast<size_t>(length) - kBmpFileHeaderSize - head_bytes;
  if (Status read = ReadExactly(file, block.data() + head_bytes, rest); !read.ok()) return read;
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
