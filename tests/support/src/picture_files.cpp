// Picture encoders for the tests: thin, in-memory uses of libpng, libjpeg-turbo and
// libwebp. Failures of the libraries abort the test program: they mean a broken test.
#include "klvtest/picture_files.h"

#include <png.h>
#include <webp/encode.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "format/package_format.h"
#include "maker/bitmap_codec.h"

namespace klv::test {
namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "picture_files: %s\n", what);
  std::abort();
}

void PutBe16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutBe32(Bytes& out, uint32_t v) {
  PutBe16(out, static_cast<uint16_t>(v >> 16));
  PutBe16(out, static_cast<uint16_t>(v));
}

void PutLe16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutLe32(Bytes& out, uint32_t v) {
  PutLe16(out, static_cast<uint16_t>(v));
  PutLe16(out, static_cast<uint16_t>(v >> 16));
}

void WritePngBytes(png_structp png, png_bytep data, size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void FlushNothing(png_structp) {}

[[noreturn]] void PngFailed(png_structp, png_const_charp message) { Broken(message); }

int ChannelsOf(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
  }
  Broken("unknown PNG colour type");
}

}  // namespace

Bytes ExifBlock(int orientation, bool big_endian) {
  Bytes out;
  auto u16 = [&](uint16_t v) { big_endian ? PutBe16(out, v) : PutLe16(out, v); };
  auto u32 = [&](uint32_t v) { big_endian ? PutBe32(out, v) : PutLe32(out, v); };
  out.push_back(big_endian ? 'M' : 'I');
  out.push_back(big_endian ? 'M' : 'I');
  u16(42);
  u32(8);  // the first directory follows the header
  u16(2);  // two entries
  // ImageWidth (LONG 640), then Orientation (SHORT), value left-aligned in its field.
  u16(0x0100);
  u16(4);
  u32(1);
  u32(640);
  u16(0x0112);
  u16(3);
  u32(1);
  u16(static_cast<uint16_t>(orientation));
  u16(0);
  u32(0);  // no next directory
  return out;
}

Bytes EncodePng(int width, int height, int color_type, int bit_depth,
                const std::vector<uint16_t>& samples, const PngExtras& extras) {
  const int channels = ChannelsOf(color_type);
  if (samples.size() != static_cast<size_t>(width) * height * channels) {
    Broken("sample count does not match the PNG's size");
  }
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, WritePngBytes, FlushNothing);
  png_set_IHDR(png, info, width, height, bit_depth, color_type,
               extras.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (uint32_t c : extras.palette) {
    palette.push_back(png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                                static_cast<png_byte>(c)});
  }
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  png_color_16 key{};
  if (extras.transparent) key.gray = key.red = key.green = key.blue = *extras.transparent;
  if (!extras.paletteAlpha.empty()) {
    png_set_tRNS(png, info, extras.paletteAlpha.data(),
                 static_cast<int>(extras.paletteAlpha.size()), nullptr);
  } else if (extras.transparent) {
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  if (!extras.exif.empty()) {
    png_set_eXIf_1(png, info, static_cast<png_uint_32>(extras.exif.size()),
                   const_cast<png_bytep>(extras.exif.data()));
  }
  png_write_info(png, info);
  if (bit_depth < 8) png_set_packing(png);

  // Rows of one byte a sample (packed by libpng below 8 bits) or two, most significant first.
  const size_t row_samples = static_cast<size_t>(width) * channels;
  const size_t sample_bytes = bit_depth == 16 ? 2 : 1;
  std::vector<png_byte> rows(row_samples * sample_bytes * height);
  for (size_t i = 0; i < samples.size(); ++i) {
    if (sample_bytes == 2) {
      rows[2 * i] = static_cast<png_byte>(samples[i] >> 8);
      rows[2 * i + 1] = static_cast<png_byte>(samples[i]);
    } else {
      rows[i] = static_cast<png_byte>(samples[i]);
    }
  }
  std::vector<png_bytep> pointers(height);
  for (int y = 0; y < height; ++y) pointers[y] = &rows[y * row_samples * sample_bytes];
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes EncodePngRaster(const Raster& raster, const PngExtras& extras) {
  std::vector<uint16_t> samples;
  for (uint32_t p : raster.pixels) {
    samples.push_back((p >> 16) & 0xFF);
    samples.push_back((p >> 8) & 0xFF);
    samples.push_back(p & 0xFF);
  }
  return EncodePng(raster.width, raster.height, PNG_COLOR_TYPE_RGB, 8, samples, extras);
}

namespace {

// Runs one compression of `rows` (components per pixel as set in `cinfo`) into memory.
Bytes Compress(jpeg_compress_struct& cinfo, const std::vector<uint8_t>& samples,
               const Bytes& exif) {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  jpeg_start_compress(&cinfo, TRUE);
  if (!exif.empty()) {
    Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), exif.begin(), exif.end());
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, payload.data(), static_cast<unsigned>(payload.size()));
  }
  const size_t stride = static_cast<size_t>(cinfo.image_width) * cinfo.input_components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[cinfo.next_scanline * stride]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

void SameSampling(jpeg_compress_struct& cinfo) {
  for (int i = 0; i < cinfo.num_components; ++i) {
    cinfo.comp_info[i].h_samp_factor = 1;
    cinfo.comp_info[i].v_samp_factor = 1;
  }
}

}  // namespace

Bytes EncodeJpeg(const Raster& raster, const JpegOptions& options) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  cinfo.image_width = static_cast<JDIMENSION>(raster.width);
  cinfo.image_height = static_cast<JDIMENSION>(raster.height);
  cinfo.input_components = options.grey ? 1 : 3;
  cinfo.in_color_space = options.grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  SameSampling(cinfo);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  std::vector<uint8_t> samples;
  for (uint32_t p : raster.pixels) {
    samples.push_back(static_cast<uint8_t>(p >> 16));
    if (!options.grey) {
      samples.push_back(static_cast<uint8_t>(p >> 8));
      samples.push_back(static_cast<uint8_t>(p));
    }
  }
  Bytes out = Compress(cinfo, samples, options.exif);
  jpeg_destroy_compress(&cinfo);
  return out;
}

Bytes EncodeCmykJpeg(int width, int height, const std::vector<uint8_t>& cmyk, bool ycck,
                     bool adobe_marker) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, ycck ? JCS_YCCK : JCS_CMYK);
  cinfo.write_Adobe_marker = adobe_marker ? TRUE : FALSE;
  jpeg_set_quality(&cinfo, 98, TRUE);
  SameSampling(cinfo);
  Bytes out = Compress(cinfo, cmyk, {});
  jpeg_destroy_compress(&cinfo);
  return out;
}

Bytes EncodeWebp(int width, int height, const std::vector<uint8_t>& rgba, bool lossless,
                 int quality) {
  uint8_t* buffer = nullptr;
  const size_t size = lossless
                          ? WebPEncodeLosslessRGBA(rgba.data(), width, height, width * 4, &buffer)
                          : WebPEncodeRGBA(rgba.data(), width, height, width * 4,
                                           static_cast<float>(quality), &buffer);
  if (size == 0) Broken("WebP encoding failed");
  Bytes out(buffer, buffer + size);
  WebPFree(buffer);
  return out;
}

Bytes PngChunkBomb(const char* type) {
  // The signature and the header chunk of a real picture, then the bomb's length and type.
  Bytes file = EncodePngRaster(Raster::Filled(64, 64, 0x808080));
  file.resize(8 + 25);
  const Bytes bomb = {0x7F, 0xFF, 0xFF, 0xFF};
  file.insert(file.end(), bomb.begin(), bomb.end());
  file.insert(file.end(), type, type + 4);
  return file;
}

Bytes JpegClaiming(uint16_t width, uint16_t height, bool progressive) {
  JpegOptions options;
  options.progressive = progressive;
  Bytes file = EncodeJpeg(Raster::Filled(8, 8, 0x808080), options);
  const uint8_t frame = progressive ? 0xC2 : 0xC0;
  for (size_t i = 0; i + 9 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == frame) {
      file[i + 5] = static_cast<uint8_t>(height >> 8);
      file[i + 6] = static_cast<uint8_t>(height);
      file[i + 7] = static_cast<uint8_t>(width >> 8);
      file[i + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return file;
}

Bytes WebpClaiming(int width, int height) {
  Bytes file = EncodeWebp(16, 16, RgbaOf(Raster::Filled(16, 16, 0x808080)), false);
  // RIFF, size, WEBP, "VP8 ", size; then the frame tag (3 bytes), the start code (3 bytes)
  // and the 14-bit width and height.
  if (file.size() < 30 || std::memcmp(&file[12], "VP8 ", 4) != 0) Broken("unexpected WebP layout");
  file[26] = static_cast<uint8_t>(width);
  file[27] = static_cast<uint8_t>((width >> 8) & 0x3F);
  file[28] = static_cast<uint8_t>(height);
  file[29] = static_cast<uint8_t>((height >> 8) & 0x3F);
  return file;
}

std::vector<uint8_t> RgbaOf(const Raster& raster) {
  std::vector<uint8_t> rgba;
  for (uint32_t p : raster.pixels) {
    rgba.push_back(static_cast<uint8_t>(p >> 16));
    rgba.push_back(static_cast<uint8_t>(p >> 8));
    rgba.push_back(static_cast<uint8_t>(p));
    rgba.push_back(0xFF);
  }
  return rgba;
}

Raster TestPhoto(int width, int height) {
  Raster r = Raster::Filled(width, height, 0);
  const double cx = width * 0.6, cy = height * 0.4;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
      const double ring = std::hypot(x - cx, y - cy) / (0.05 * (width + height));
      auto level = [](double v) {
        return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
      };
      uint32_t red = level(40 + 180 * fx);
      uint32_t green = level(30 + 200 * fy);
      uint32_t blue = level(128 + 90 * std::sin(ring));
      // Solid blocks: a dark one and a light one, a tenth of the picture each.
      if (fx > 0.1 && fx < 0.3 && fy > 0.55 && fy < 0.8) red = green = blue = 20;
      if (fx > 0.7 && fx < 0.85 && fy > 0.1 && fy < 0.35) {
        red = 250;
        green = 240;
        blue = 40;
      }
      r.Set(x, y, (red << 16) | (green << 8) | blue);
    }
  }
  return r;
}

double MeanLevelDifference(const Raster& a, const Raster& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 1e9;
  uint64_t total = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      total += static_cast<uint64_t>(std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) -
                                              static_cast<int>((b.pixels[i] >> shift) & 0xFF)));
    }
  }
  return static_cast<double>(total) / (3.0 * static_cast<double>(a.pixels.size()));
}

Bytes TestPackage(int x_max, int y_max, const std::string& puzzle_name) {
  const auto put_chunk = [](Bytes& file, const char* id, const Bytes& data) {
    file.insert(file.end(), id, id + 4);
    for (int shift = 0; shift < 32; shift += 8)
      file.push_back(static_cast<uint8_t>(data.size() >> shift));
    file.insert(file.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) file.push_back(0);
  };
  PackageHeader header = NewPackageHeader(x_max, y_max);
  header.backColor = {0xFF, 0x00, 0xFF};
  header.PuzzleName = puzzle_name;
  const PackageHeaderBytes record = EncodePackageHeader(header);
  Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'D', 'A', 'T', 'A'};
  put_chunk(file, "KLVZ", Bytes(record.begin(), record.end()));
  put_chunk(file, "KLVB",
            EncodeBitmap24(Raster::Filled((x_max + 1) * 32, (y_max + 1) * 32, 0xFFFFFF)));
  for (int i = 0; i < x_max * y_max; ++i) {
    Raster tile = Raster::Filled(64, 64, 0xFF00FF);
    const auto color = static_cast<uint32_t>(0x204060 + 0x010101 * i);
    for (int v = 28; v < 36; ++v) {
      for (int u = 28; u < 36; ++u) tile.Set(u, v, color);
    }
    put_chunk(file, "KLVP", EncodeBitmap24(tile));
  }
  for (int i = 0; i < 4; ++i)
    file[4 + static_cast<size_t>(i)] = static_cast<uint8_t>((file.size() - 8) >> (8 * i));
  return file;
}

}  // namespace klv::test
