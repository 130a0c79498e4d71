// The small EXIF reader of the maker: a photo's orientation tag, so that a picture turned
// by the camera comes out upright. It reads the tag from a JPEG's APP1 segment, a PNG's
// eXIf chunk or a TIFF file's first directory, and nothing else; every offset is checked
// against the data before it is followed.
#ifndef KLV_MAKER_EXIF_H_
#define KLV_MAKER_EXIF_H_

#include <cstddef>
#include <cstdint>
#include <optional>

namespace klv {

// The orientation tag (0x0112) of the first directory of a TIFF-structured block ("II*\0"
// or "MM\0*", then the directory's offset), as an EXIF block holds it. Nothing when the
// block is malformed, has no such tag, or its value is not 1 to 8.
std::optional<int> ReadExifOrientation(const uint8_t* tiff, size_t size);

// The orientation of a picture file image: from the first APP1 "Exif" segment before a
// JPEG's first scan, from a PNG's eXIf chunk, or from a TIFF file's own first directory.
// 1 (upright as stored) for any other file, and when the tag is missing or malformed.
int PictureOrientation(const uint8_t* file, size_t size);

}  // namespace klv

#endif  // KLV_MAKER_EXIF_H_
