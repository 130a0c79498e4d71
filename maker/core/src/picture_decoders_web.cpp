// The web build's picture decoders: none. The browser decodes every picture and hands the
// core its pixels (browser_picture.h); only bitmaps, which the maker decodes itself, are
// read from files here.
#include "picture_decoders.h"

namespace klv {
namespace {

std::nullopt_t NotReadHere(PictureKind kind, std::string* cause) {
  if (cause != nullptr) *cause = std::string(PictureKindName(kind)) + " pictures are not read here";
  return std::nullopt;
}

}  // namespace

bool PlatformDecodes(PictureKind /*kind*/) { return false; }

std::vector<std::string> PlatformExtensions() { return {}; }

std::optional<StoredSize> ReadStoredSize(PictureKind kind, const std::vector<uint8_t>& /*file*/,
                                         std::string* cause) {
  return NotReadHere(kind, cause);
}

int ChooseReduction(PictureKind /*kind*/, StoredSize /*stored*/, int /*min_width*/,
                    int /*min_height*/) {
  return 1;
}

std::optional<Raster> DecodeStoredPicture(PictureKind kind, const std::vector<uint8_t>& /*file*/,
                                          int /*reduction*/, std::string* cause) {
  return NotReadHere(kind, cause);
}

}  // namespace klv
