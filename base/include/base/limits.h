// The named limits of the whole system in one place: how large an input file may be
// before it is refused unread, and how large a picture before it is decoded. Every layer
// checks its inputs against these, so the library, the maker and the tools agree on what
// is too large.
#ifndef KLV_BASE_LIMITS_H_
#define KLV_BASE_LIMITS_H_

#include <cstddef>
#include <cstdint>

namespace klv {

// The largest picture file (a work folder's BMP file, or a picture the maker reads) that
// is read at all; a larger one is refused before its body is read. Far above anything a
// 9 by 9 grid of 64-pixel tiles or a photo needs: an uncompressed bitmap of
// kMaxDecodedPixels pixels at 24 bits is 192 MiB.
inline constexpr uint64_t kMaxPictureFileBytes = uint64_t{256} << 20;

// The largest picture the maker decodes: no side longer than kMaxDecodedSide (the
// maker's grid never uses more than 335 pixels), and no more than kMaxPicturePixels in
// all, whatever the file's size, so that no small file may ask for gigabytes. A bitmap
// the maker decodes itself may have at most kMaxDecodedPixels (a raster of 256 MiB), so
// that a small run-length file cannot ask for more.
inline constexpr int kMaxDecodedSide = 65536;
inline constexpr uint64_t kMaxPicturePixels = 100'000'000;
inline constexpr uint64_t kMaxDecodedPixels = uint64_t{1} << 26;

// The largest picture made of a package's pictures (each picture, the solved picture,
// the sheet of them all), in pixels.
inline constexpr uint64_t kMaxPackagePicturePixels = uint64_t{1} << 26;

// The largest profile file (Puzzle.ini, the maker's settings) that is read; a larger one
// reads as absent, every key at its default. The maker's Puzzle.ini stays below 1 KiB.
inline constexpr uint64_t kMaxProfileFileBytes = uint64_t{1} << 20;

// The largest package file that klvinfo and the package window read; no package the
// converter writes comes near (at most 144 tiles and a base of 320 x 320 pixels).
inline constexpr uint64_t kMaxPackageFileBytes = uint64_t{256} << 20;

// The largest PNG chunk that the PNG decoder holds in memory at once (a palette or its
// transparency need 1 KiB at most), and the most chunks it stores. The chunks it does not
// use are skipped unread, so a chunk header that claims 2 GiB costs nothing.
inline constexpr size_t kMaxPngChunkBytes = size_t{1} << 20;
inline constexpr uint32_t kMaxPngStoredChunks = 16;

// The most memory the JPEG decoder may take for itself. A baseline picture needs a few of
// its rows; a progressive one holds all its coefficients, two bytes per sample: about
// 150 MiB for a 50-megapixel photo with halved colour. A few hundred bytes can declare a
// progressive picture needing 600 MiB; beyond this it is refused.
inline constexpr size_t kMaxJpegDecoderBytes = size_t{256} << 20;

}  // namespace klv

#endif  // KLV_BASE_LIMITS_H_
