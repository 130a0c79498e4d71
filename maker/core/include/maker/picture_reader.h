// Reading the pictures a person has: BMP (the maker's own decoder), PNG, JPEG and WebP on
// Linux, and what the Windows Imaging Component decodes on Windows (PNG, JPEG, GIF, TIFF).
// Every picture comes out upright (its EXIF orientation applied), laid over white, at 8
// bits a channel, as a Raster; its size is checked before any pixel memory is taken.
#ifndef KLV_MAKER_PICTURE_READER_H_
#define KLV_MAKER_PICTURE_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/limits.h"
#include "base/status_or.h"
#include "maker/picture_fit.h"
#include "maker/raster.h"

namespace klv {

class Env;

enum class PictureKind { kBmp, kPng, kJpeg, kWebp, kGif, kTiff };

// The kind of picture a file holds, from its first bytes (never from its name); nothing
// for content of no kind above. A known kind may still be one this build cannot decode.
std::optional<PictureKind> SniffPictureKind(const std::vector<uint8_t>& file);

// "BMP", "PNG", "JPEG", "WebP", "GIF", "TIFF".
const char* PictureKindName(PictureKind kind);

// What a picture's headers say.
struct PictureInfo {
  PictureKind kind = PictureKind::kBmp;
  int width = 0;  // upright, as a photo viewer shows it (sides swapped for orientations 5-8)
  int height = 0;
  int orientation = 1;  // the EXIF orientation 1-8 that DecodePicture applies; 1 when none
};

// Reads the headers of the picture file image `file` without decoding its pixels. On
// failure an Invalid status whose reason is a short English description without the
// file's name: content of no kind this build reads, unreadable headers, an
// empty picture, or a picture over kMaxPicturePixels or kMaxDecodedSide ("picture too
// large (W x H ...)"). A bitmap's headers are judged by its decoder, with its messages.
StatusOr<PictureInfo> InspectPicture(const std::vector<uint8_t>& file);

// Decodes `file`, which InspectPicture described as `info`: upright, transparent parts
// laid over white, channels of more than 8 bits rounded to 8; colour profiles and gamma
// are not applied. A decoder that can decode at a reduced scale (on Linux JPEG, in its
// DCT, and WebP: 1/8, 2/8, ... 7/8, each side rounded up) returns the picture at the
// smallest of them at which each side stays at least min_width x min_height (upright);
// otherwise the raster is info.width x info.height, as it always is for minimums of
// info.width x info.height. Fails as InspectPicture does; a truncated or corrupt picture is a
// failure, never a partly grey raster.
StatusOr<Raster> DecodePicture(const std::vector<uint8_t>& file, const PictureInfo& info,
                               int min_width, int min_height);

// Decodes `file` as DecodePicture does, cut to `crop` (upright pixels; the whole picture
// when nothing) and, with `plan` (PlanFit's for the cut's size), fitted: the pixels of
// ApplyFit(CropRaster(whole picture, crop), plan), save that a picture fitted without a
// crop is decoded at the smallest reduced scale that still covers the plan's scaled
// size. The rows go into the fit as the decoder delivers them, so only the kept pixels
// are computed and neither the decoded picture nor the scaled one is held whole (where
// the decoder itself needs the whole picture, as for an interlaced PNG, it holds it).
// Requires CropFits(*crop, info.width, info.height). Failures as DecodePicture's.
StatusOr<Raster> DecodeFittedPicture(const std::vector<uint8_t>& file, const PictureInfo& info,
                                     const std::optional<CropRect>& crop,
                                     const std::optional<FitPlan>& plan);

// How many bytes from its start the picture whose first bytes are `head` needs, where
// its headers tell (an uncompressed bitmap: its pixels' end; WebP: its RIFF size); nothing
// where the whole file is needed. The result may exceed the file: a truncated picture.
std::optional<uint64_t> PictureBytesNeeded(const std::vector<uint8_t>& head);

// Reads the picture file at `path` through `env`: its first 64 bytes, then as much
// of the rest as PictureBytesNeeded says (all of it when that says nothing). On failure
// an error whose reason says why, without the path: the file cannot be opened, measured
// or read (IOError, with the system's reason), or it is over kMaxPictureFileBytes, 256 MiB
// (Invalid, refused before anything is read).
StatusOr<std::vector<uint8_t>> ReadPictureFile(Env& env, const std::string& path);

// The file-name extensions of the pictures this build reads, lower case with the dot
// (".bmp", ".png", ...), for a window's file list.
const std::vector<std::string>& ReadablePictureExtensions();

// True when `file_name` ends in one of ReadablePictureExtensions(), in any case
// ("PHOTO.JPG", "a.Png"). A name that is only an extension (".png") counts too.
bool IsReadablePictureName(std::string_view file_name);

}  // namespace klv

#endif  // KLV_MAKER_PICTURE_READER_H_
