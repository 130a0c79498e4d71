// The Linux build's picture decoders: PNG, JPEG and WebP through Debian's libpng,
// libjpeg-turbo and libwebp (one file each), put behind the decoder seam. JPEG is decoded
// reduced in its DCT, WebP by libwebp's scaler; PNG only whole.
#include <cstring>

#include "library_decoders.h"
#include "picture_decoders.h"

namespace klv {

bool PlatformDecodes(PictureKind kind) {
  return kind == PictureKind::kPng || kind == PictureKind::kJpeg || kind == PictureKind::kWebp;
}

std::vector<std::string> PlatformExtensions() {
  return {".png", ".jpg", ".jpeg", ".jpe", ".jfif", ".webp"};
}

std::optional<StoredSize> ReadStoredSize(PictureKind kind, const std::vector<uint8_t>& file,
                                         std::string* cause) {
  switch (kind) {
    case PictureKind::kPng: return ReadPngSize(file, cause);
    case PictureKind::kJpeg: return ReadJpegSize(file, cause);
    case PictureKind::kWebp: return ReadWebpSize(file, cause);
    default: break;
  }
  if (cause != nullptr) *cause = std::string(PictureKindName(kind)) + " pictures are not read here";
  return std::nullopt;
}

int ChooseReduction(PictureKind kind, StoredSize stored, int min_width, int min_height) {
  if (kind != PictureKind::kJpeg && kind != PictureKind::kWebp) return 1;
  // A side decoded at 1/d is at least side / d pixels (both decoders round up).
  for (int reduction : {8, 4, 2}) {
    if (int64_t{min_width} * reduction <= stored.width &&
        int64_t{min_height} * reduction <= stored.height) {
      return reduction;
    }
  }
  return 1;
}

std::optional<Raster> DecodeStoredPicture(PictureKind kind, const std::vector<uint8_t>& file,
                                          int reduction, std::string* cause) {
  switch (kind) {
    case PictureKind::kPng: return DecodePng(file, cause);
    case PictureKind::kJpeg: return DecodeJpeg(file, reduction, cause);
    case PictureKind::kWebp: return DecodeWebp(file, reduction, cause);
    default: break;
  }
  if (cause != nullptr) *cause = std::string(PictureKindName(kind)) + " pictures are not read here";
  return std::nullopt;
}

void RgbaBytesToPixels(Raster& raster) {
  for (uint32_t& pixel : raster.pixels) {
    uint8_t rgba[4];
    std::memcpy(rgba, &pixel, 4);
    pixel = OverWhite(rgba[0], rgba[1], rgba[2], rgba[3]);
  }
}

}  // namespace klv
