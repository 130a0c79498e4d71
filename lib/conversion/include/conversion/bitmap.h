// Loaded pictures of the package library: a BMP file read whole into one owned block
// (its bytes from offset 14 on, then 14 zero bytes, so the block is as long as the file),
// the size check, and the info-header fields the package writer needs.
#ifndef KLV_CONVERSION_BITMAP_H_
#define KLV_CONVERSION_BITMAP_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/limits.h"
#include "base/memory_block.h"
#include "base/platform.h"
#include "base/status_or.h"
#include "base/work_folder.h"
#include "format/bmp_header.h"

namespace klv {

// The in-memory picture: the info header at offset 0, then the colour table and pixels,
// in one block of the platform's picture memory (global memory on Windows).
using PictureBlock = MemoryBlock;
// A table slot: empty, or holding one loaded picture.
using PictureSlot = std::optional<PictureBlock>;

// An open BMP file is read in two steps, so that a picture can be checked long before it
// is loaded and only one body need be held at a time. The whole picture is the file's
// length L, its 14-byte file header (which must start with "BM"; its other fields are
// not consulted), then L - 14 bytes in a zero-filled block of L bytes. A failure's reason
// says why, without the path (which the caller knows).
// ReadBitmapHead measures the file into *length, reads the file header and up to 40 bytes
// after it, in one read, into a block of min(L, 54) bytes (zero-filled like the whole
// block, so every field reading of an offset below 40 equals the whole picture's).
// An error when the length cannot be measured or the read fails (the system's reason), L
// is below 14 or above kMaxPictureFileBytes (too large for the memory at hand), the read
// brings fewer bytes than asked, the signature is wrong or memory runs out.
// LoadBitmapFile reads the rest of the same file (positioned after the head) into the
// whole block of `length` bytes that begins with `head`; an error when a read fails or
// comes up short, or memory runs out.
StatusOr<PictureBlock> ReadBitmapHead(InputFile& file, uint64_t* length);
StatusOr<PictureBlock> LoadBitmapFile(InputFile& file, uint64_t length, const PictureBlock& head);

// Empties `slot` when its picture has a negative width or height (a top-down bitmap
// among them) and returns false then; returns true when the slot is empty or keeps its
// picture.
bool CheckBitmap(PictureSlot& slot);

// Field readings of a block, the library's reading of its info header
// (ReadLibraryInfoHeader): with a 40-byte info header the width and height are the
// signed 32-bit fields at 4 and 8, with any other header size the unsigned 16-bit fields
// at 4 and 6. Fields that would lie past the block's end read as 0.
int32_t DibWidth(const PictureBlock& block);
int32_t DibHeight(const PictureBlock& block);
// BmpColorCount: the used-colours field (offset 32) if non-zero, else 2, 16 or 256 for
// 1, 4 or 8 bits per pixel (offset 14), else 0.
uint32_t DibColorCount(const PictureBlock& block);
// 4 x DibColorCount, the bytes of the colour table after a 40-byte info header.
uint64_t DibColorTableSize(const PictureBlock& block);

}  // namespace klv

#endif  // KLV_CONVERSION_BITMAP_H_
