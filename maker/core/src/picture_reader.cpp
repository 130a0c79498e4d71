// The picture reader: tells the kinds apart by their first bytes, hands bitmaps to the
// maker's own decoder and everything else to the platform's, checks sizes before pixels
// are decoded, and turns the result upright by the picture's EXIF orientation.
#include "maker/picture_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "base/bytes.h"
#include "base/platform.h"
#include "format/bmp_header.h"
#include "maker/bitmap_codec.h"
#include "maker/exif.h"
#include "picture_decoders.h"

namespace klv {
namespace {

// The first read takes at most this much: every header field that says how much of the
// file a picture needs lies within it (a bitmap's compression ends at byte 34).
constexpr size_t kHeadBytes = 64;

bool StartsWith(const std::vector<uint8_t>& file, const char* text, size_t length) {
  return file.size() >= length && std::memcmp(file.data(), text, length) == 0;
}

// A bitmap's size from its headers as its decoder reads them (the 12-byte core header's
// 16-bit sides, the others' 32-bit ones, a negative height meaning top-down rows).
// Nothing when the headers are too short or the size is not one the decoder takes, so
// that the decoder itself says why.
std::optional<StoredSize> PeekBitmapSize(const std::vector<uint8_t>& file) {
  if (file.size() < 26) return std::nullopt;
  const BmpInfoHeader info =
      ReadDecoderInfoHeader(std::span<const uint8_t>(file).subspan(kBmpFileHeaderSize));
  const int64_t width = info.width;
  const int64_t height = info.height < 0 ? -info.height : info.height;
  if (width <= 0 || height <= 0 || width > kMaxDecodedSide || height > kMaxDecodedSide ||
      static_cast<uint64_t>(width * height) > kMaxDecodedPixels) {
    return std::nullopt;
  }
  return StoredSize{static_cast<int>(width), static_cast<int>(height)};
}

StatusOr<StoredSize> InspectBitmap(const std::vector<uint8_t>& file) {
  if (std::optional<StoredSize> size = PeekBitmapSize(file)) return *size;
  // The decoder refuses such headers before it allocates anything; its cause is the
  // message bitmaps have always had.
  StatusOr<Raster> raster = DecodeBitmap(file);
  if (!raster.ok()) return raster.status();
  return StoredSize{raster->width, raster->height};
}

// The stored picture `s` turned upright by EXIF orientation `o`: 2 mirrors it, 3 turns
// it half round, 4 flips it, 5 transposes it, 6 turns it a quarter clockwise, 7 mirrors
// the transpose, 8 turns it a quarter anticlockwise.
Raster Upright(const Raster& s, int o) {
  if (o < 2 || o > 8) return s;
  const bool swapped = o >= 5;
  const int w = swapped ? s.height : s.width;
  const int h = swapped ? s.width : s.height;
  Raster u = Raster::Filled(w, h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int sx = x;
      int sy = y;
      switch (o) {
        case 2: sx = s.width - 1 - x; break;
        case 3:
          sx = s.width - 1 - x;
          sy = s.height - 1 - y;
          break;
        case 4: sy = s.height - 1 - y; break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = y;
          sy = s.height - 1 - x;
          break;
        case 7:
          sx = s.width - 1 - y;
          sy = s.height - 1 - x;
          break;
        case 8:
          sx = s.width - 1 - y;
          sy = x;
          break;
      }
      u.Set(x, y, s.At(sx, sy));
    }
  }
  return u;
}

// The rectangle `r` of an upright width x height picture, as the rectangle of the
// picture as stored that EXIF orientation `o` turns into it (Upright's mapping).
CropRect StoredRect(const CropRect& r, int width, int height, int o) {
  const int right = width - r.x - r.width;     // the columns right of it, upright
  const int bottom = height - r.y - r.height;  // the rows below it
  switch (o) {
    case 2: return {r.width, r.height, right, r.y};
    case 3: return {r.width, r.height, right, bottom};
    case 4: return {r.width, r.height, r.x, bottom};
    case 5: return {r.height, r.width, r.y, r.x};
    case 6: return {r.height, r.width, r.y, right};
    case 7: return {r.height, r.width, bottom, right};
    case 8: return {r.height, r.width, bottom, r.x};
    default: return r;
  }
}

// `file` decoded at `scale` with its rows going through `fit` (stored orientation). A
// bitmap is decoded whole by the maker's own decoder first.
Status DecodeInto(const std::vector<uint8_t>& file, const PictureInfo& info, int scale,
                  AreaFit& fit) {
  if (info.kind != PictureKind::kBmp) {
    return DecodeStoredRows(info.kind, file, scale,
                            [&fit](const uint32_t* row) { fit.AddRow(row); });
  }
  const StatusOr<Raster> raster = DecodeBitmap(file);
  if (!raster.ok()) return raster.status();
  for (int y = 0; y < raster->height && !fit.Done(); ++y) {
    fit.AddRow(&raster->pixels[raster->Index(0, y)]);
  }
  return Status::OK();
}

// `file` decoded at `scale`, its rectangle `from` reduced to scaled_width x scaled_height
// and cut to `keep`, all in stored pixels; then turned upright.
StatusOr<Raster> DecodeThroughFit(const std::vector<uint8_t>& file, const PictureInfo& info,
                                  int scale, const CropRect& from, int scaled_width,
                                  int scaled_height, const CropRect& keep) {
  try {
    AreaFit fit(from, scaled_width, scaled_height, keep);
    Status decoded = DecodeInto(file, info, scale, fit);
    if (!decoded.ok()) return decoded;
    if (!fit.Done()) {
      return Status::Invalid(std::string(PictureKindName(info.kind)) +
                             " picture with fewer rows than its headers say");
    }
    if (info.orientation == 1) return fit.Take();
    return Upright(fit.Take(), info.orientation);
  } catch (const std::bad_alloc&) {
    return Status::Invalid("not enough memory for the picture");
  }
}

// The picture's size as stored, before its orientation turns it upright.
StoredSize StoredSizeOf(const PictureInfo& info) {
  const bool swapped = info.orientation >= 5;
  return StoredSize{swapped ? info.height : info.width, swapped ? info.width : info.height};
}

}  // namespace

std::optional<PictureKind> SniffPictureKind(const std::vector<uint8_t>& file) {
  if (StartsWith(file, "BM", 2)) return PictureKind::kBmp;
  if (StartsWith(file, "\x89PNG\r\n\x1A\n", 8)) return PictureKind::kPng;
  if (StartsWith(file, "\xFF\xD8\xFF", 3)) return PictureKind::kJpeg;
  if (file.size() >= 12 && StartsWith(file, "RIFF", 4) && std::memcmp(&file[8], "WEBP", 4) == 0) {
    return PictureKind::kWebp;
  }
  if (StartsWith(file, "GIF87a", 6) || StartsWith(file, "GIF89a", 6)) return PictureKind::kGif;
  if (StartsWith(file, "II*\0", 4) || StartsWith(file, "MM\0*", 4)) return PictureKind::kTiff;
  return std::nullopt;
}

const char* PictureKindName(PictureKind kind) {
  switch (kind) {
    case PictureKind::kBmp: return "BMP";
    case PictureKind::kPng: return "PNG";
    case PictureKind::kJpeg: return "JPEG";
    case PictureKind::kWebp: return "WebP";
    case PictureKind::kGif: return "GIF";
    case PictureKind::kTiff: return "TIFF";
  }
  return "?";
}

Status CheckPictureSize(int64_t width, int64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width <= 0 || height <= 0) {
    return Status::Invalid("empty picture (" + size + ")");
  }
  if (width > kMaxDecodedSide || height > kMaxDecodedSide ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPicturePixels) {
    return Status::Invalid("picture too large (" + size + " pixels; a picture may have at most " +
                           std::to_string(kMaxPicturePixels / 1'000'000) + " million pixels and " +
                           std::to_string(kMaxDecodedSide) + " on a side)");
  }
  return Status::OK();
}

StatusOr<PictureInfo> InspectPicture(const std::vector<uint8_t>& file) {
  const std::optional<PictureKind> kind = SniffPictureKind(file);
  if (!kind) {
    std::string kinds = "BMP";
    for (PictureKind k : {PictureKind::kPng, PictureKind::kJpeg, PictureKind::kWebp,
                          PictureKind::kGif, PictureKind::kTiff}) {
      if (PlatformDecodes(k)) kinds += std::string(", ") + PictureKindName(k);
    }
    return Status::Invalid("not a picture of a kind this program reads (" + kinds + ")");
  }
  if (*kind != PictureKind::kBmp && !PlatformDecodes(*kind)) {
    return Status::Invalid(std::string(PictureKindName(*kind)) +
                           " pictures are not read on this system");
  }
  PictureInfo info;
  info.kind = *kind;
  if (*kind != PictureKind::kBmp) info.orientation = PictureOrientation(file.data(), file.size());
  const StatusOr<StoredSize> stored =
      *kind == PictureKind::kBmp ? InspectBitmap(file) : ReadStoredSize(*kind, file);
  if (!stored.ok()) return stored.status();
  const bool swapped = info.orientation >= 5;
  info.width = swapped ? stored->height : stored->width;
  info.height = swapped ? stored->width : stored->height;
  return info;
}

StatusOr<Raster> DecodePicture(const std::vector<uint8_t>& file, const PictureInfo& info,
                               int min_width, int min_height) {
  if (info.kind == PictureKind::kBmp) {
    try {
      return DecodeBitmap(file);
    } catch (const std::bad_alloc&) {
      return Status::Invalid("not enough memory for the picture");
    }
  }
  const bool swapped = info.orientation >= 5;
  const StoredSize stored = StoredSizeOf(info);
  const int scale = ChooseScale(info.kind, stored, swapped ? min_height : min_width,
                                swapped ? min_width : min_height);
  const StoredSize decoded = ScaledSize(stored, scale);
  const CropRect whole{decoded.width, decoded.height, 0, 0};
  return DecodeThroughFit(file, info, scale, whole, decoded.width, decoded.height, whole);
}

StatusOr<Raster> DecodeFittedPicture(const std::vector<uint8_t>& file, const PictureInfo& info,
                                     const std::optional<CropRect>& crop,
                                     const std::optional<FitPlan>& plan) {
  if (!crop && !plan) return DecodePicture(file, info, info.width, info.height);
  const bool swapped = info.orientation >= 5;
  const StoredSize stored = StoredSizeOf(info);
  // Upright: the cut, the size it is scaled to and the rectangle of that which is kept.
  const CropRect cut = crop.value_or(CropRect{info.width, info.height, 0, 0});
  int scaled_width = cut.width;
  int scaled_height = cut.height;
  CropRect keep{cut.width, cut.height, 0, 0};
  if (plan) {
    scaled_width = plan->scaledWidth;
    scaled_height = plan->scaledHeight;
    keep = CropRect{plan->coveredWidth, plan->coveredHeight, plan->cutX, plan->cutY};
  }
  // A crop is made in the whole picture's pixels, so only an uncropped picture is decoded
  // reduced.
  int scale = kScaleSteps;
  CropRect from = StoredRect(cut, info.width, info.height, info.orientation);
  if (!crop) {
    scale = ChooseScale(info.kind, stored, swapped ? scaled_height : scaled_width,
                        swapped ? scaled_width : scaled_height);
    const StoredSize decoded = ScaledSize(stored, scale);
    from = CropRect{decoded.width, decoded.height, 0, 0};
  }
  return DecodeThroughFit(file, info, scale, from, swapped ? scaled_height : scaled_width,
                          swapped ? scaled_width : scaled_height,
                          StoredRect(keep, scaled_width, scaled_height, info.orientation));
}

std::optional<uint64_t> PictureBytesNeeded(const std::vector<uint8_t>& head) {
  const std::optional<PictureKind> kind = SniffPictureKind(head);
  if (kind == PictureKind::kWebp) return uint64_t{GetLe32(&head[4])} + 8;
  if (kind != PictureKind::kBmp || head.size() < 30) return std::nullopt;
  const std::span<const uint8_t> bytes(head);
  const BmpInfoHeader info = ReadDecoderInfoHeader(bytes.subspan(kBmpFileHeaderSize));
  if (!info.core && head.size() < 34) return std::nullopt;
  const int64_t width = info.width;
  const int64_t height = info.height < 0 ? -info.height : info.height;
  const uint32_t bits = info.bitCount;
  const uint32_t compression = info.compression;
  // Run-length pixels end where their data says. Other sizes and depths are left to the
  // decoder to judge, with the whole file.
  if (compression == kBiRle8 || compression == kBiRle4 || width <= 0 || height <= 0 ||
      width > kMaxDecodedSide || height > kMaxDecodedSide || bits == 0 || bits > 32) {
    return std::nullopt;
  }
  const uint64_t row = BmpRowStride(static_cast<uint64_t>(width), bits);
  return uint64_t{ReadBmpFileHeader(bytes).pixelOffset} + row * static_cast<uint64_t>(height);
}

StatusOr<std::vector<uint8_t>> ReadPictureFile(Env& env, const std::string& path) {
  std::unique_ptr<InputFile> in;
  Status status = env.OpenForSharedRead(path, &in);
  if (!status.ok()) return Status::IOError({}, "the file cannot be opened: " + status.reason());
  uint64_t length = 0;
  status = in->Length(&length);
  if (!status.ok()) {
    return Status::IOError({}, "the file's length cannot be read: " + status.reason());
  }
  if (length > kMaxPictureFileBytes) {
    return Status::Invalid("the file is too large for a picture (" + std::to_string(length) +
                           " bytes; a picture file may have at most " +
                           std::to_string(kMaxPictureFileBytes >> 20) + " MiB)");
  }
  std::vector<uint8_t> bytes;
  // Reads until `bytes` holds `want` bytes; an error when the file fails or ends first.
  const auto read_up_to = [&](uint64_t want) {
    size_t total = bytes.size();
    bytes.resize(static_cast<size_t>(want));
    while (total < bytes.size()) {
      size_t got = 0;
      status = in->Read(bytes.data() + total, bytes.size() - total, &got);
      if (!status.ok()) return Status::IOError({}, "the file cannot be read: " + status.reason());
      if (got == 0) break;
      total += got;
    }
    if (total < bytes.size()) {
      return Status::IOError({}, "the file cannot be read (" + std::to_string(total) + " of " +
                                     std::to_string(bytes.size()) + " bytes arrived)");
    }
    return Status::OK();
  };
  try {
    // The headers first; then only as much of the rest as they say the picture needs,
    // so that a small picture at the head of a large file is read without the rest.
    status = read_up_to(std::min<uint64_t>(length, kHeadBytes));
    if (!status.ok()) return status;
    uint64_t want = length;
    if (const std::optional<uint64_t> needed = PictureBytesNeeded(bytes)) {
      want = std::max<uint64_t>(bytes.size(), std::min(length, *needed));
    }
    status = read_up_to(want);
    if (!status.ok()) return status;
  } catch (const std::bad_alloc&) {
    return Status::Invalid("not enough memory for the file");
  }
  return bytes;
}

const std::vector<std::string>& ReadablePictureExtensions() {
  static const std::vector<std::string> kExtensions = [] {
    std::vector<std::string> all = {".bmp"};
    for (std::string& extension : PlatformExtensions()) all.push_back(std::move(extension));
    return all;
  }();
  return kExtensions;
}

bool IsReadablePictureName(std::string_view file_name) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (const std::string& extension : ReadablePictureExtensions()) {
    if (file_name.size() < extension.size()) continue;
    const std::string_view tail = file_name.substr(file_name.size() - extension.size());
    if (std::equal(tail.begin(), tail.end(), extension.begin(),
                   [&](char a, char b) { return lower(a) == b; })) {
      return true;
    }
  }
  return false;
}

}  // namespace klv
