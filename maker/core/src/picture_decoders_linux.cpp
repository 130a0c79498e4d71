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

StatusOr<StoredSize> ReadStoredSize(PictureKind kind, const std::vector<uint8_t>& file) {
  switch (kind) {
    case PictureKind::kPng: return ReadPngSize(file);
    case PictureKind::kJpeg: return ReadJpegSize(file);
    case PictureKind::kWebp: return ReadWebpSize(file);
    default: break;
  }
  return Status::Invalid(std::string(PictureKindName(kind)) + " pictures are not read here");
}

int ChooseScale(PictureKind kind, StoredSize stored, int min_width, int min_height) {
  if (kind != PictureKind::kJpeg && kind != PictureKind::kWebp) return kScaleSteps;
  for (int scale = 1; scale < kScaleSteps; ++scale) {
    const StoredSize scaled = ScaledSize(stored, scale);
    if (scaled.width >= min_width && scaled.height >= min_height) return scale;
  }
  return kScaleSteps;
}

Status DecodeStoredRows(PictureKind kind, const std::vector<uint8_t>& file, int scale,
                        const RowSink& rows) {
  switch (kind) {
    case PictureKind::kPng: return DecodePngRows(file, rows);
    case PictureKind::kJpeg: return DecodeJpegRows(file, scale, rows);
    case PictureKind::kWebp: return DecodeWebpRows(file, scale, rows);
    default: break;
  }
  return Status::Invalid(std::string(PictureKindName(kind)) + " pictures are not read here");
}

void RgbaBytesToPixels(uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    uint8_t rgba[4];
    std::memcpy(rgba, &pixels[i], 4);
    pixels[i] = OverWhite(rgba[0], rgba[1], rgba[2], rgba[3]);
  }
}

}  // namespace klv
