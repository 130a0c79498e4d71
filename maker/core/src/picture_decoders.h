// The platform's picture decoders behind one seam, for every kind but BMP (which the
// maker decodes itself). CMake picks one implementation: picture_decoders_linux.cpp over
// libpng, libjpeg-turbo and libwebp, or picture_decoders_win.cpp over the Windows Imaging
// Component. Pictures here are in their stored orientation; the reader turns them upright.
#ifndef KLV_MAKER_PICTURE_DECODERS_H_
#define KLV_MAKER_PICTURE_DECODERS_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "maker/picture_reader.h"
#include "maker/raster.h"

namespace klv {

struct StoredSize {
  int width = 0;
  int height = 0;
};

// True when this build decodes `kind` (never called for BMP).
bool PlatformDecodes(PictureKind kind);

// The extensions (lower case, with the dot) of the kinds the platform decodes.
std::vector<std::string> PlatformExtensions();

// The stored size from the headers alone, checked with CheckPictureSize. On failure an
// Invalid status saying why.
StatusOr<StoredSize> ReadStoredSize(PictureKind kind, const std::vector<uint8_t>& file);

// Pictures are decoded at scale / kScaleSteps of their size: scale kScaleSteps is the
// whole picture, 1 an eighth of it (each side rounded up, as the decoders round).
inline constexpr int kScaleSteps = 8;

inline StoredSize ScaledSize(StoredSize stored, int scale) {
  const auto side = [scale](int full) {
    return static_cast<int>((int64_t{full} * scale + kScaleSteps - 1) / kScaleSteps);
  };
  return StoredSize{side(stored.width), side(stored.height)};
}

// The smallest scale (1 to kScaleSteps) at which the platform decodes a `stored` picture to
// at least min_width x min_height (stored orientation): on Linux JPEG in its DCT and WebP
// in libwebp's scaler; kScaleSteps, the whole picture, where it cannot reduce.
int ChooseScale(PictureKind kind, StoredSize stored, int min_width, int min_height);

// Receives a decoded picture's rows, top to bottom: each the picture's width in pixels
// 0xRRGGBB, valid during the call.
using RowSink = std::function<void(const uint32_t* row)>;

// Decodes the picture at `scale` (a value from ChooseScale), to exactly ScaledSize, over
// white, 8 bits a channel, in its stored orientation, handing each row to `rows` as it is
// decoded. Checks the size again before it allocates. On failure an Invalid status saying
// why; the rows handed over until then are not the picture.
Status DecodeStoredRows(PictureKind kind, const std::vector<uint8_t>& file, int scale,
                        const RowSink& rows);

// Fails (an Invalid status) for an empty picture and for one over kMaxDecodedSide on a
// side or kMaxPicturePixels in all; the reason names the size and the limit.
Status CheckPictureSize(int64_t width, int64_t height);

// One pixel of straight (not premultiplied) alpha laid over white: each channel
// c * a / 255 + 255 - a, rounded. Both platforms use this, so their pictures agree.
inline uint32_t OverWhite(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  const auto blend = [a](uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
  return (blend(r) << 16) | (blend(g) << 8) | blend(b);
}

// A 16-bit channel rounded to 8 bits: round(v * 255 / 65535), as libpng's scaling does.
inline uint32_t Round16To8(uint32_t v) { return (v * 255 + 32895) >> 16; }

}  // namespace klv

#endif  // KLV_MAKER_PICTURE_DECODERS_H_
