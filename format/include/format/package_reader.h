// The one reader of a puzzle package, for klvinfo and the package window: the RIFF form,
// the header record decoded, and the base and tile pictures, each size checked against
// the file before it is used. Damage is reported as a list of problems and the rest is
// read where that is safe. Pure: it reads bytes in memory (the caller reads the file).
#ifndef KLV_FORMAT_PACKAGE_READER_H_
#define KLV_FORMAT_PACKAGE_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "format/package_format.h"

namespace klv {

// One thing wrong with a package: the chunk it concerns, where, and what.
struct PackageProblem {
  // "RIFF" (the form), "KLVZ" (the header), "KLVB" (the base picture), "KLVP 7 (row 1,
  // column 3)" (the eighth tile chunk), or "KLVP 90" for a tile beyond the grid.
  std::string chunk;
  uint64_t offset = 0;  // the byte of the file the problem lies at
  std::string what;     // in English, one line
  friend bool operator==(const PackageProblem&, const PackageProblem&) = default;
};

// "KLVB at offset 612: the picture does not start with "BM"".
std::string DescribeProblem(const PackageProblem& problem);

// A picture chunk as stored: its data is a complete BMP file image.
struct PackagePicture {
  uint64_t offset = 0;  // of the chunk's id in the file
  int64_t index = -1;   // the tile slot (row-major order); -1 for the base picture
  int row = -1;         // the tile's place in the grid; -1 for the base and for tiles
  int column = -1;      //   beyond the grid
  std::vector<uint8_t> bmp;
};

// Everything read from one package.
struct Package {
  uint64_t fileSize = 0;
  // The header record, when a header chunk was found. A record cut short reads as if
  // zero-filled to its 592 bytes (and is reported).
  std::optional<PackageHeader> header;
  // The base picture and the tile pictures (in file order), when their chunks hold at
  // least the BMP file header and a 40-byte info header (54 bytes). A picture whose
  // chunk is inconsistent is kept and reported.
  std::optional<PackagePicture> base;
  std::vector<PackagePicture> tiles;
  // Every tile chunk found, including those too short to hold a picture.
  int64_t tileChunks = 0;
  // Everything found wrong, in file order. Past kMaxPackageProblems, one last entry says
  // how many more there were.
  std::vector<PackageProblem> problems;

  // True when nothing was found wrong: the package is exactly as the writer makes it.
  bool sound() const { return problems.empty(); }
  // The number of tiles the header's grid holds (0 without a header).
  int64_t GridTileCount() const {
    return header ? PackageTileCount(header->xMax, header->yMax) : 0;
  }
};

inline constexpr size_t kMaxPackageProblems = 100;

// True when `file` begins as a package does: a RIFF form "DATA" whose first chunk is the
// header "KLVZ" of 592 bytes (its id and size; what follows may be damaged or cut). Any
// other file (a picture, another RIFF form, a few bytes) is not a puzzle package at all,
// and ReadPackage's problems would only describe its bytes.
bool BeginsAsPackage(std::span<const uint8_t> file);

// Reads the package whose whole file is `file`. Never fails: whatever the bytes, the
// result says what could be read and what is wrong. A package is sound when it is
// exactly what the writer produces:
// - the RIFF form: id "RIFF", size field = file length - 8, form type "DATA";
// - chunks of an id, a 32-bit size and the data, a zero pad byte after odd data, nothing
//   after the last; "KLVZ" of 592 bytes first, "KLVB" next, then one "KLVP" per tile
//   of the grid;
// - the header: tiles of 64 x 64, the picture size (xMax + 1) x 32 by (yMax + 1) x 32
//   in 16 bits, each text terminated within its field and followed by zero bytes only,
//   reserved bytes 0;
// - each picture: "BM", file-size field = chunk size, reserved fields 0, a 40-byte info
//   header, width and height not negative, offset to the pixels 54 + T, image-size field
//   S (for run-length pictures S is the image-size field itself), chunk size 54 + T + S,
//   where T and S are as the writer computes them.
// A chunk of an unknown id is read as what its place calls for (header, base or tile).
// A chunk that runs past the end of the file ends the reading. Takes time linear in the
// file's size and memory of at most about twice the file's size.
Package ReadPackage(std::span<const uint8_t> file);

class Env;

// The whole package file at `path` read through `env`, for ReadPackage: ReadWholeFile
// with the limit kMaxPackageFileBytes, and its failures ("is a folder", "cannot be
// opened: <the system's reason>", "is N bytes long, more than this program reads
// (256 MiB)", ...).
std::optional<std::vector<uint8_t>> ReadPackageFile(Env& env, const std::string& path,
                                                    std::string* cause);

}  // namespace klv

#endif  // KLV_FORMAT_PACKAGE_READER_H_
