// Picture files of klvinfo. PNG goes through libpng's simplified writing interface into
// memory (no callbacks, no long jumps); BMP through the maker's own 24-bit encoder.
#include "klvinfo/picture_file.h"

#include <algorithm>
#include <cctype>

#include "maker/bitmap_codec.h"

#if defined(KLV_HAVE_PNG)
#include <png.h>
#endif

namespace klv {

bool IsPngName(const std::string& name) {
  if (name.size() < 4) return false;
  std::string end = name.substr(name.size() - 4);
  std::transform(end.begin(), end.end(), end.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return end == ".png";
}

bool CanWritePng() {
#if defined(KLV_HAVE_PNG)
  return true;
#else
  return false;
#endif
}

std::vector<uint8_t> EncodePng(const Raster& raster, std::optional<uint32_t> transparent,
                               std::string* cause) {
#if defined(KLV_HAVE_PNG)
  std::vector<uint8_t> rgba;
  rgba.reserve(raster.pixels.size() * 4);
  for (uint32_t pixel : raster.pixels) {
    rgba.push_back(static_cast<uint8_t>(pixel >> 16));
    rgba.push_back(static_cast<uint8_t>(pixel >> 8));
    rgba.push_back(static_cast<uint8_t>(pixel));
    rgba.push_back(transparent && pixel == *transparent ? 0 : 255);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(raster.width);
  image.height = static_cast<png_uint_32>(raster.height);
  image.format = PNG_FORMAT_RGBA;
  // The first call measures, the second writes.
  png_alloc_size_t size = 0;
  std::vector<uint8_t> file;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) {
    file.resize(size);
    if (!png_image_write_to_memory(&image, file.data(), &size, 0, rgba.data(), 0, nullptr)) {
      file.clear();
    }
    file.resize(std::min<size_t>(file.size(), size));
  }
  if (file.empty()) *cause = std::string("the PNG encoder failed: ") + image.message;
  png_image_free(&image);
  return file;
#else
  (void)raster;
  (void)transparent;
  *cause = "this build cannot write PNG files; give the file a name ending in .bmp";
  return {};
#endif
}

std::vector<uint8_t> EncodePictureFile(const std::string& name, const Raster& raster,
                                       std::optional<uint32_t> transparent, std::string* cause) {
  if (IsPngName(name)) return EncodePng(raster, transparent, cause);
  std::vector<uint8_t> file = EncodeBitmap24(raster);
  if (file.empty()) *cause = "the picture is too large for a BMP file";
  return file;
}

}  // namespace klv
