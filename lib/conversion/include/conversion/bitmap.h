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

namespace klv {

// The in-memory picture: the info header at offset 0, then the colour table and pixels,
// in one block of the platform's picture memory (global memory on Windows).
using PictureBlock = MemoryBlock;
// A table slot: empty, or holding one loaded picture.
using PictureSlot = std::optional<PictureBlock>;

// Reads the open BMP file whole: its length L, the 14-byte file header (which must start
// with "BM"; its other fields are not consulted), then L - 14 bytes into a zero-filled
// block of L bytes. An error whose reason says why (without the path, which the caller
// knows) when the length cannot be measured or a read fails (the system's reason), L is
// below 14 or above kMaxPictureFileBytes (too large for the memory at hand), a read
// brings fewer bytes than asked, the signature is wrong or memory runs out.
//
// The same two reads as two steps, so that a picture can be checked long before it is
// loaded and only one body need be held at a time:
// ReadBitmapHead measures the file into *length, reads the file header and up to 40 bytes
// after it, in one read, into a block of min(L, 54) bytes (zero-filled like the whole
// block, so every field reading of an offset below 40 equals the whole picture's).
// Fails on the same conditions as LoadBitmapFile, memory for the body aside.
// ReadBitmapBody reads the rest of the same file (positioned after the head) into the
// whole block of `length` bytes that begins with `head`; an error when a read fails or
// comes up short, or memory runs out.
StatusOr<PictureBlock> LoadBitmapFile(InputFile& file);
StatusOr<PictureBlock> ReadBitmapHead(InputFile& file, uint64_t* length);
StatusOr<PictureBlock> ReadBitmapBody(InputFile& file, uint64_t length, const PictureBlock& head);

// Empties `slot` when its picture has a negative width or height (a top-down bitmap
// among them) and returns false then; returns true when the slot is empty or keeps its
// picture.
bool CheckBitmap(PictureSlot& slot);

// Field readings of a block. A block holds at least 14 bytes. The header size is the
// 32-bit field at offset 0; with a 40-byte info header the width and height are the
// signed 32-bit fields at 4 and 8, with any other header size the unsigned 16-bit fields
// at 4 and 6. Fields that would lie past the block's end read as 0.
int32_t DibWidth(const PictureBlock& block);
int32_t DibHeight(const PictureBlock& block);
// The used-colours field (offset 32) if non-zero, else 2, 16 or 256 for 1, 4 or 8 bits
// per pixel (offset 14), else 0.
uint32_t DibColorCount(const PictureBlock& block);
// 4 x DibColorCount, the bytes of the colour table after a 40-byte info header.
uint64_t DibColorTableSize(const PictureBlock& block);

}  // namespace klv

#endif  // KLV_CONVERSION_BITMAP_H_
