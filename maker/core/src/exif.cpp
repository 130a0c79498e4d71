// The EXIF orientation reader: walks a JPEG's segments or a PNG's chunks to the EXIF
// block and reads one tag of its first directory. Offsets come from the file, so each is
// checked against the data's end, in 64 bits, before anything is read at it.
#include "maker/exif.h"

#include <cstring>

namespace klv {
namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr size_t kDirectoryEntrySize = 12;

uint16_t GetBe16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

uint32_t GetBe32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

// Reads 16- and 32-bit fields in the block's own byte order.
struct TiffFields {
  bool bigEndian = false;
  uint16_t U16(const uint8_t* p) const {
    return bigEndian ? GetBe16(p) : static_cast<uint16_t>(p[0] | (p[1] << 8));
  }
  uint32_t U32(const uint8_t* p) const {
    return bigEndian
               ? GetBe32(p)
               : static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                     (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
};

// The EXIF block of a JPEG file image: the payload after "Exif\0\0" of the first APP1
// segment that has it. Markers are walked up to the first scan (SOS) or the end (EOI).
std::optional<int> JpegOrientation(const uint8_t* file, size_t size) {
  static constexpr uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
  size_t pos = 2;  // after SOI
  while (pos + 4 <= size) {
    if (file[pos] != 0xFF) return std::nullopt;
    const uint8_t marker = file[pos + 1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++pos;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return std::nullopt;  // first scan, or the end
    // Markers without a length: TEM and the restart markers.
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      pos += 2;
      continue;
    }
    const size_t length = GetBe16(file + pos + 2);  // counts itself, not the marker
    if (length < 2 || length > size - pos - 2) return std::nullopt;
    const uint8_t* payload = file + pos + 4;
    const size_t payload_size = length - 2;
    if (marker == 0xE1 && payload_size >= sizeof kExifHeader &&
        std::memcmp(payload, kExifHeader, sizeof kExifHeader) == 0) {
      return ReadExifOrientation(payload + sizeof kExifHeader, payload_size - sizeof kExifHeader);
    }
    pos += 2 + length;
  }
  return std::nullopt;
}

// The eXIf chunk of a PNG file image (before or after the image data).
std::optional<int> PngOrientation(const uint8_t* file, size_t size) {
  size_t pos = 8;  // after the signature
  while (pos + 12 <= size) {
    const uint64_t length = GetBe32(file + pos);
    const uint8_t* type = file + pos + 4;
    if (length > size - pos - 12) return std::nullopt;  // data and CRC must fit
    if (std::memcmp(type, "eXIf", 4) == 0) {
      return ReadExifOrientation(file + pos + 8, static_cast<size_t>(length));
    }
    if (std::memcmp(type, "IEND", 4) == 0) return std::nullopt;
    pos += 12 + static_cast<size_t>(length);
  }
  return std::nullopt;
}

}  // namespace

std::optional<int> ReadExifOrientation(const uint8_t* tiff, size_t size) {
  if (size < 8) return std::nullopt;
  TiffFields fields;
  if (tiff[0] == 'I' && tiff[1] == 'I') {
    fields.bigEndian = false;
  } else if (tiff[0] == 'M' && tiff[1] == 'M') {
    fields.bigEndian = true;
  } else {
    return std::nullopt;
  }
  if (fields.U16(tiff + 2) != 42) return std::nullopt;
  const uint64_t directory = fields.U32(tiff + 4);
  if (directory + 2 > size) return std::nullopt;
  const uint64_t count = fields.U16(tiff + directory);
  const uint64_t entries = directory + 2;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t at = entries + i * kDirectoryEntrySize;
    if (at + kDirectoryEntrySize > size) return std::nullopt;
    const uint8_t* entry = tiff + at;
    if (fields.U16(entry) != kOrientationTag) continue;
    const uint16_t type = fields.U16(entry + 2);
    if (fields.U32(entry + 4) == 0) return std::nullopt;  // no value
    // The value sits in the entry's last four bytes, at their start.
    uint32_t value = 0;
    if (type == kTypeShort) {
      value = fields.U16(entry + 8);
    } else if (type == kTypeLong) {
      value = fields.U32(entry + 8);
    } else {
      return std::nullopt;
    }
    if (value < 1 || value > 8) return std::nullopt;
    return static_cast<int>(value);
  }
  return std::nullopt;
}

int PictureOrientation(const uint8_t* file, size_t size) {
  static constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::optional<int> orientation;
  if (size >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF) {
    orientation = JpegOrientation(file, size);
  } else if (size >= 8 && std::memcmp(file, kPngSignature, 8) == 0) {
    orientation = PngOrientation(file, size);
  } else if (size >= 4 &&
             (std::memcmp(file, "II*\0", 4) == 0 || std::memcmp(file, "MM\0*", 4) == 0)) {
    orientation = ReadExifOrientation(file, size);
  }
  return orientation.value_or(1);
}

}  // namespace klv
