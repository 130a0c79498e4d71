// Windows bitmap decoding and 24-bit encoding for the maker. Every field is read from
// the file image with bounds checks first, every size is computed in 64 bits and checked
// before anything is allocated, so a hostile file yields a cause, never a stray read.
#include "maker/bitmap_codec.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <new>
#include <utility>

#include "base/bytes.h"
#include "base/work_folder.h"
#include "format/bmp_header.h"

namespace klv {
namespace {

std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", v);
  return text;
}

// One colour channel of a 16- or 32-bit pixel.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static Channel FromMask(uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask != 0) {
      c.shift = std::countr_zero(mask);
      c.bits = std::popcount(mask);
    }
    return c;
  }

  bool Contiguous() const {
    const uint32_t v = mask >> shift;
    return mask == 0 || (v & (v + 1)) == 0;
  }

  // The channel's 8-bit value in `pixel`.
  uint32_t Extract(uint32_t pixel) const {
    if (bits == 0) return 0;
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    // Repeat the value's bits downwards until 8 are filled: 5-bit 0b10000 -> 0b10000100.
    uint32_t wide = 0;
    int filled = 0;
    while (filled < 8) {
      wide = (wide << bits) | v;
      filled += bits;
    }
    return wide >> (filled - 8);
  }
};

// The fields of the file and info headers that decoding needs, after validation.
struct Layout {
  uint32_t headerSize = 0;
  bool core = false;
  int width = 0;
  int height = 0;  // always positive; topDown says which row comes first
  bool topDown = false;
  int bitCount = 0;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  size_t tableStart = 0;  // first byte after the header and any separate masks
  size_t pixelOffset = 0;
  Channel red, green, blue;
};

class Decoder {
 public:
  explicit Decoder(const std::vector<uint8_t>& file) : file_(file) {}

  std::optional<Raster> Run() {
    if (!ReadHeaders() || !ReadMasks() || !ReadColorTable()) return std::nullopt;
    Raster raster;
    bool ok = false;
    switch (layout_.compression) {
      case kBiRle8:
      case kBiRle4:
        raster = Raster::Filled(layout_.width, layout_.height, EntryZero());
        ok = DecodeRunLength(raster);
        break;
      default:
        raster = Raster::Filled(layout_.width, layout_.height, 0);
        ok = DecodeUncompressed(raster);
        break;
    }
    if (!ok) return std::nullopt;
    return raster;
  }

  const std::string& cause() const { return cause_; }

 private:
  bool Fail(std::string text) {
    cause_ = std::move(text);
    return false;
  }

  bool ReadHeaders() {
    const std::span<const uint8_t> file(file_);
    const size_t size = file.size();
    if (size < kBmpFileHeaderSize) return Fail("truncated file header");
    const BmpFileHeader file_header = ReadBmpFileHeader(file);
    if (!file_header.signature) return Fail("not a bitmap file (no \"BM\" signature)");
    const uint32_t offset = file_header.pixelOffset;
    if (size < kBmpFileHeaderSize + 4) return Fail("truncated info header");

    Layout& l = layout_;
    const BmpInfoHeader info = ReadDecoderInfoHeader(file.subspan(kBmpFileHeaderSize));
    l.headerSize = info.size;
    switch (l.headerSize) {
      case kBmpCoreHeaderSize:
      case kBmpInfoHeaderSize:
      case 52:
      case 56:
      case 108:
      case 124: break;
      default: return Fail("unsupported header size " + std::to_string(l.headerSize));
    }
    if (size - kBmpFileHeaderSize < l.headerSize) return Fail("truncated info header");

    // The core header holds unsigned 16-bit sides and is always stored bottom-up.
    l.core = info.core;
    int64_t width = info.width;
    int64_t height = info.height;
    l.bitCount = info.bitCount;
    l.compression = info.compression;
    l.colorsUsed = info.colorsUsed;
    if (width < 0) return Fail("negative width " + std::to_string(width));
    if (height < 0) {
      // Computed in 64 bits, so that -2147483648 becomes a too-large height, not itself.
      l.topDown = true;
      height = -height;
    }
    if (width == 0 || height == 0) {
      return Fail("empty picture (" + std::to_string(width) + " x " + std::to_string(height) + ")");
    }
    if (width > kMaxDecodedSide || height > kMaxDecodedSide ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxDecodedPixels) {
      return Fail("picture too large (" + std::to_string(width) + " x " + std::to_string(height) +
                  ")");
    }
    l.width = static_cast<int>(width);
    l.height = static_cast<int>(height);

    if (!CheckFormat()) return false;

    l.tableStart = kBmpFileHeaderSize + l.headerSize;
    if (l.headerSize == kBmpInfoHeaderSize) {
      if (l.compression == kBiBitfields) l.tableStart += 12;
      if (l.compression == kBiAlphaBitfields) l.tableStart += 16;
    }
    if (offset > size) {
      return Fail("offset to pixel data (" + std::to_string(offset) +
                  ") points past the end of the file (" + std::to_string(size) + " bytes)");
    }
    if (offset < l.tableStart) {
      return Fail("offset to pixel data (" + std::to_string(offset) + ") points into the header");
    }
    l.pixelOffset = offset;
    return true;
  }

  // The depth and compression, and whether they go together.
  bool CheckFormat() {
    const Layout& l = layout_;
    const std::string depth = std::to_string(l.bitCount);
    if (l.core) {
      if (l.bitCount == 1 || l.bitCount == 4 || l.bitCount == 8 || l.bitCount == 24) return true;
      return Fail("unsupported bits per pixel " + depth + " with the 12-byte header");
    }
    switch (l.compression) {
      case kBiRgb:
        if (l.bitCount == 1 || l.bitCount == 4 || l.bitCount == 8 || l.bitCount == 16 ||
            l.bitCount == 24 || l.bitCount == 32) {
          return true;
        }
        return Fail("unsupported bits per pixel " + depth);
      case kBiRle8:
        if (l.bitCount == 8) return true;
        return Fail("compression 1 (RLE8) with " + depth + " bits per pixel");
      case kBiRle4:
        if (l.bitCount == 4) return true;
        return Fail("compression 2 (RLE4) with " + depth + " bits per pixel");
      case kBiBitfields:
      case kBiAlphaBitfields:
        if (l.bitCount == 16 || l.bitCount == 32) return true;
        return Fail("bit-field masks with " + depth + " bits per pixel");
      case kBiJpeg: return Fail("unsupported compression 4 (JPEG)");
      case kBiPng: return Fail("unsupported compression 5 (PNG)");
      default: return Fail("unsupported compression " + std::to_string(l.compression));
    }
  }

  bool ReadMasks() {
    Layout& l = layout_;
    if (l.bitCount != 16 && l.bitCount != 32) return true;
    uint32_t masks[3];
    if (l.compression == kBiRgb) {
      if (l.bitCount == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
      } else {
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
      }
    } else {
      // After a 40-byte header the masks follow it; the longer headers hold them at the
      // same place. ReadHeaders has made sure that the bytes are in the file.
      const uint8_t* p = &file_[kBmpFileHeaderSize + kBmpInfoHeaderSize];
      for (size_t i = 0; i < 3; ++i) masks[i] = GetLe32(p + 4 * i);
    }
    uint32_t seen = 0;
    for (uint32_t mask : masks) {
      const Channel c = Channel::FromMask(mask);
      if (!c.Contiguous()) return Fail("non-contiguous bit-field mask " + Hex(mask));
      if (l.bitCount == 16 && mask > 0xFFFF) {
        return Fail("bit-field mask " + Hex(mask) + " is wider than 16 bits");
      }
      if ((seen & mask) != 0) return Fail("overlapping bit-field masks");
      seen |= mask;
    }
    l.red = Channel::FromMask(masks[0]);
    l.green = Channel::FromMask(masks[1]);
    l.blue = Channel::FromMask(masks[2]);
    return true;
  }

  bool ReadColorTable() {
    const Layout& l = layout_;
    if (l.bitCount > 8) return true;  // a table after a deeper header is only a hint
    const uint32_t depth_colors = uint32_t{1} << l.bitCount;
    const size_t entry_size = l.core ? 3 : 4;
    const size_t room = (l.pixelOffset - l.tableStart) / entry_size;
    size_t count = 0;
    if (l.core) {
      // The core header has no count: its table is what lies before the pixels.
      count = std::min<size_t>(depth_colors, room);
      if (count == 0) return Fail("missing colour table");
    } else {
      count = l.colorsUsed == 0 ? depth_colors : std::min(l.colorsUsed, depth_colors);
      if (count > room) {
        return Fail("colour table of " + std::to_string(count) +
                    " entries overlaps the pixel data");
      }
    }
    palette_.resize(count);
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = &file_[l.tableStart + i * entry_size];
      palette_[i] = (uint32_t{e[2]} << 16) | (uint32_t{e[1]} << 8) | e[0];
    }
    return true;
  }

  uint32_t EntryZero() const { return palette_.empty() ? 0 : palette_[0]; }

  uint32_t PaletteColor(uint32_t index) const {
    return index < palette_.size() ? palette_[index] : EntryZero();
  }

  // The raster row of the n-th row in file order.
  int RasterRow(int64_t stored) const {
    return static_cast<int>(layout_.topDown ? stored : layout_.height - 1 - stored);
  }

  bool DecodeUncompressed(Raster& raster) {
    const Layout& l = layout_;
    const uint64_t row_bits = static_cast<uint64_t>(l.width) * static_cast<uint64_t>(l.bitCount);
    const uint64_t stride = (row_bits + 31) / 32 * 4;
    const uint64_t row_bytes = (row_bits + 7) / 8;
    // The last row's padding may be missing; everything before it must be there.
    const uint64_t needed = stride * static_cast<uint64_t>(l.height - 1) + row_bytes;
    const uint64_t available = file_.size() - l.pixelOffset;
    if (needed > available) {
      return Fail("truncated pixel data (" + std::to_string(available) + " of " +
                  std::to_string(needed) + " bytes)");
    }
    for (int stored = 0; stored < l.height; ++stored) {
      const uint8_t* row = &file_[l.pixelOffset + static_cast<uint64_t>(stored) * stride];
      const int y = RasterRow(stored);
      for (int x = 0; x < l.width; ++x) raster.Set(x, y, PixelAt(row, x));
    }
    return true;
  }

  uint32_t PixelAt(const uint8_t* row, int x) const {
    const Layout& l = layout_;
    switch (l.bitCount) {
      case 1: return PaletteColor((row[x / 8] >> (7 - x % 8)) & 1);
      case 4: return PaletteColor((row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF);
      case 8: return PaletteColor(row[x]);
      case 24: {  // blue, green, red
        const uint8_t* p = row + 3 * static_cast<size_t>(x);
        return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
      }
      default: {  // 16 and 32 bits
        const uint32_t v = l.bitCount == 16 ? GetLe16(row + 2 * static_cast<size_t>(x))
                                            : GetLe32(row + 4 * static_cast<size_t>(x));
        return (l.red.Extract(v) << 16) | (l.green.Extract(v) << 8) | l.blue.Extract(v);
      }
    }
  }

  // Run-length data: pairs of (count, index) runs and escapes (0, 0) end of line,
  // (0, 1) end of bitmap, (0, 2, dx, dy) delta, (0, n >= 3) n absolute indexes padded to
  // a 16-bit boundary. RLE4 packs two indexes per byte, high nibble first. One switch
  // over the escapes, read against the format.
  // NOLINTNEXTLINE(readability-function-cognitive-complexity)
  bool DecodeRunLength(Raster& raster) {
    const Layout& l = layout_;
    const bool four = l.compression == kBiRle4;
    // Some writers encode each row with its padding to four bytes, so runs may reach
    // into the padding; the pixels there are dropped. Beyond it the data is corrupt.
    const int64_t padded_width = four ? (static_cast<int64_t>(l.width) + 7) / 8 * 8
                                      : (static_cast<int64_t>(l.width) + 3) / 4 * 4;
    const size_t end = file_.size();
    size_t pos = l.pixelOffset;
    int64_t x = 0;
    int64_t row = 0;  // in file order
    const auto fits = [&](int64_t count) { return row < l.height && x + count <= padded_width; };
    const auto put = [&](uint32_t index) {
      if (x < l.width) raster.Set(static_cast<int>(x), RasterRow(row), PaletteColor(index));
      ++x;
    };
    for (;;) {
      if (end - pos < 2) {
        // A missing end-of-bitmap marker is forgiven once every row has been ended.
        if (row >= l.height) return true;
        return Fail("truncated run-length data");
      }
      const uint8_t first = file_[pos];
      const uint8_t second = file_[pos + 1];
      pos += 2;
      if (first > 0) {
        if (!fits(first)) return Fail("run-length data overruns the picture");
        for (int i = 0; i < first; ++i) {
          put(four ? (i % 2 == 0 ? second >> 4 : second & 0xF) : second);
        }
        continue;
      }
      switch (second) {
        case 0:
          x = 0;
          ++row;
          break;
        case 1: return true;
        case 2: {
          if (end - pos < 2) return Fail("truncated run-length data");
          const int64_t dx = file_[pos];
          const int64_t dy = file_[pos + 1];
          pos += 2;
          if (x + dx > padded_width || row + dy > l.height) {
            return Fail("run-length delta moves outside the picture");
          }
          x += dx;
          row += dy;
          break;
        }
        default: {
          const size_t bytes = four ? (second + 1u) / 2 : second;
          const size_t padded = bytes + (bytes & 1);
          if (end - pos < padded) return Fail("truncated run-length data");
          if (!fits(second)) return Fail("run-length data overruns the picture");
          for (int i = 0; i < second; ++i) {
            const uint8_t b = file_[pos + static_cast<size_t>(four ? i / 2 : i)];
            put(four ? (i % 2 == 0 ? b >> 4 : b & 0xF) : b);
          }
          pos += padded;
          break;
        }
      }
    }
  }

  const std::vector<uint8_t>& file_;
  Layout layout_;
  std::vector<uint32_t> palette_;  // 0xRRGGBB
  std::string cause_;
};

}  // namespace

StatusOr<Raster> DecodeBitmap(const std::vector<uint8_t>& file) {
  Decoder decoder(file);
  try {
    std::optional<Raster> raster = decoder.Run();
    if (!raster) return Status::Invalid(decoder.cause());
    return *std::move(raster);
  } catch (const std::bad_alloc&) {
    return Status::Invalid("not enough memory for the picture");
  }
}

std::vector<uint8_t> EncodeBitmap24(const Raster& raster) {
  if (raster.width < 0 || raster.height < 0 ||
      raster.pixels.size() !=
          static_cast<uint64_t>(raster.width) * static_cast<uint64_t>(raster.height)) {
    return {};
  }
  const uint64_t stride = (static_cast<uint64_t>(raster.width) * 3 + 3) / 4 * 4;
  const uint64_t image_size = stride * static_cast<uint64_t>(raster.height);
  constexpr uint64_t kHeaders = kBmpFileHeaderSize + kBmpInfoHeaderSize;
  if (image_size > std::numeric_limits<uint32_t>::max() - kHeaders) return {};

  std::vector<uint8_t> out(kHeaders + image_size, 0);
  uint8_t* f = out.data();
  f[0] = 'B';
  f[1] = 'M';
  PutLe32(f + kBmpFileSizeField, static_cast<uint32_t>(out.size()));
  PutLe32(f + kBmpPixelOffsetField, static_cast<uint32_t>(kHeaders));  // reserved fields stay 0
  uint8_t* h = f + kBmpFileHeaderSize;
  PutLe32(h, kBmpInfoHeaderSize);
  PutLe32(h + kInfoWidthField, static_cast<uint32_t>(raster.width));
  PutLe32(h + kInfoHeightField, static_cast<uint32_t>(raster.height));  // bottom-up
  PutLe16(h + kInfoPlanesField, 1);
  PutLe16(h + kInfoBitCountField, kWorkBitmapBitCount);
  PutLe32(h + kInfoCompressionField, kBiRgb);
  PutLe32(h + kInfoImageSizeField, static_cast<uint32_t>(image_size));
  // Resolution, used and important colours stay 0. Each pixel is blue, green, red.
  for (int y = 0; y < raster.height; ++y) {
    uint8_t* row = f + kHeaders + static_cast<uint64_t>(raster.height - 1 - y) * stride;
    for (int x = 0; x < raster.width; ++x) {
      const uint32_t c = raster.At(x, y);
      uint8_t* p = row + 3 * static_cast<size_t>(x);
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  }
  return out;
}

}  // namespace klv
