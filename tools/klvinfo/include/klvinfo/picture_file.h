// The files klvinfo draws pictures into: PNG (through libpng) when the name ends in
// ".png", a 24-bit BMP otherwise.
#ifndef KLV_KLVINFO_PICTURE_FILE_H_
#define KLV_KLVINFO_PICTURE_FILE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "maker/raster.h"

namespace klv {

// True when `name` ends in ".png", in any case.
bool IsPngName(const std::string& name);

// True when this build writes PNG files (not in the Windows build, which has no libpng).
bool CanWritePng();

// The PNG file image of `raster`: 8-bit RGBA, every pixel opaque but those of the colour
// `transparent` (when given), which are fully transparent. Empty, with *cause set, when
// PNG files cannot be written here or the encoder fails.
std::vector<uint8_t> EncodePng(const Raster& raster, std::optional<uint32_t> transparent,
                               std::string* cause);

// The file image for `name`: EncodePng for a ".png" name, otherwise the 24-bit BMP of
// the raster (in which the transparent colour stays as it is). Empty, with *cause set,
// on failure.
std::vector<uint8_t> EncodePictureFile(const std::string& name, const Raster& raster,
                                       std::optional<uint32_t> transparent, std::string* cause);

}  // namespace klv

#endif  // KLV_KLVINFO_PICTURE_FILE_H_
