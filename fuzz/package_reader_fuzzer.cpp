// Fuzz target for the package reader: any bytes read as a package. Whatever they hold,
// the reader ends with a bounded list of problems and keeps no more picture bytes than
// the input has; and a package it calls sound is rebuilt byte for byte from what it read
// (the header record encoded again, each picture in its chunk with its pad byte).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "base/bytes.h"
#include "format/package_format.h"
#include "format/package_reader.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "package_reader_fuzzer: %s\n", what);
    abort();
  }
}

void AppendChunk(std::vector<uint8_t>& out, const klv::ChunkId& id, std::span<const uint8_t> data) {
  out.insert(out.end(), id.begin(), id.end());
  uint8_t size[4];
  klv::PutLe32(size, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), size, size + 4);
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 == 1) out.push_back(0);
}

std::vector<uint8_t> Rebuild(const klv::Package& package) {
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'D', 'A', 'T', 'A'};
  const klv::PackageHeaderBytes record = klv::EncodePackageHeader(*package.header);
  AppendChunk(file, klv::kHeaderChunkId, record);
  AppendChunk(file, klv::kBaseChunkId, package.base->bmp);
  for (const klv::PackagePicture& tile : package.tiles) {
    AppendChunk(file, klv::kTileChunkId, tile.bmp);
  }
  klv::PutLe32(file.data() + 4, static_cast<uint32_t>(file.size() - 8));
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const klv::Package package = klv::ReadPackage(std::span<const uint8_t>(data, size));

  Check(package.fileSize == size, "the file size is wrong");
  Check(package.problems.size() <= klv::kMaxPackageProblems + 1, "the problem list is unbounded");
  size_t kept = package.base ? package.base->bmp.size() : 0;
  for (const klv::PackagePicture& tile : package.tiles) kept += tile.bmp.size();
  Check(kept <= size, "the pictures hold more bytes than the file");
  Check(package.tiles.size() <= static_cast<size_t>(package.tileChunks),
        "more pictures than tile chunks");
  for (const klv::PackageProblem& problem : package.problems) {
    Check(problem.offset <= size, "a problem lies past the end of the file");
    Check(!problem.chunk.empty() && !problem.what.empty(), "a problem says nothing");
  }

  if (package.sound()) {
    Check(package.header && package.base, "a sound package lacks its header or base");
    Check(package.tileChunks == package.GridTileCount() &&
              package.tiles.size() == static_cast<size_t>(package.tileChunks),
          "a sound package lacks tiles");
    const std::vector<uint8_t> rebuilt = Rebuild(package);
    Check(rebuilt.size() == size && std::equal(rebuilt.begin(), rebuilt.end(), data),
          "a sound package is not rebuilt byte for byte from what was read");
  }
  return 0;
}
