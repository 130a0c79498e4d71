// The web build's picture decoders: none. The browser decodes every picture and hands the
// core its pixels (browser_picture.h); only bitmaps, which the maker decodes itself, are
// read from files here.
#include "picture_decoders.h"

namespace klv {
namespace {

Status NotReadHere(PictureKind kind) {
  return Status::Invalid(std::string(PictureKindName(kind)) + " pictures are not read here");
}

}  // namespace

bool PlatformDecodes(PictureKind /*kind*/) { return false; }

std::vector<std::string> PlatformExtensions() { return {}; }

StatusOr<StoredSize> ReadStoredSize(PictureKind kind, const std::vector<uint8_t>& /*file*/) {
  return NotReadHere(kind);
}

int ChooseScale(PictureKind /*kind*/, StoredSize /*stored*/, int /*min_width*/,
                int /*min_height*/) {
  return kScaleSteps;
}

Status DecodeStoredRows(PictureKind kind, const std::vector<uint8_t>& /*file*/, int /*scale*/,
                        const RowSink& /*rows*/) {
  return NotReadHere(kind);
}

}  // namespace klv
