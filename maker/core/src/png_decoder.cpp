// PNG decoding over libpng: every colour type and depth expanded to 8-bit RGBA (palette
// and single-colour transparency become alpha, 16 bits are rounded), interlaced or not,
// handed on one row at a time (an interlaced picture once all its passes are read). Only
// the chunks the pixels need are read; the
// rest are skipped unread, so memory follows the picture, not what a chunk header claims.
// libpng reports errors by a long jump, so the two functions that set the jump point hold
// no object with a destructor.
#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/limits.h"
#include "library_decoders.h"

namespace klv {
namespace {

struct MemorySource {
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t pos = 0;
};

struct ErrorText {
  char text[200] = {};
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (count > source->size - source->pos) png_error(png, "the file ends early");
  std::memcpy(out, source->data + source->pos, count);
  source->pos += count;
}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
  std::snprintf(error->text, sizeof error->text, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// One read of one file image: the library's structures, freed when it goes away.
class PngReader {
 public:
  explicit PngReader(const std::vector<uint8_t>& file) {
    source_.data = file.data();
    source_.size = file.size();
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error_, OnError, OnWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
  }
  ~PngReader() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // Reads the headers up to the image data and sets the transformations to 8-bit RGBA.
  bool ReadInfo(StoredSize* size) {
    if (png_ == nullptr || info_ == nullptr) {
      std::snprintf(error_.text, sizeof error_.text, "not enough memory");
      return false;
    }
    if (setjmp(png_jmpbuf(png_))) return false;
    png_set_read_fn(png_, &source_, ReadFromMemory);
    // The sizes are judged by CheckPictureSize, with its message, not by libpng's
    // default limit of a million pixels a side.
    png_set_user_limits(png_, PNG_USER_WIDTH_MAX, PNG_USER_HEIGHT_MAX);
    // Every chunk but IHDR, PLTE, tRNS, IDAT and IEND (texts, profiles, suggested palettes,
    // EXIF, which the orientation reader finds itself) is skipped without being stored.
    png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_chunk_malloc_max(png_, kMaxPngChunkBytes);
    png_set_chunk_cache_max(png_, kMaxPngStoredChunks);
    png_read_info(png_, info_);
    size->width = static_cast<int>(png_get_image_width(png_, info_));
    size->height = static_cast<int>(png_get_image_height(png_, info_));

    const int color_type = png_get_color_type(png_, info_);
    if (color_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png_);
    if (color_type == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png_, info_) < 8) {
      png_set_expand_gray_1_2_4_to_8(png_);
    }
    const bool has_trns = png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
    if (has_trns) png_set_tRNS_to_alpha(png_);
    if (png_get_bit_depth(png_, info_) == 16) png_set_scale_16(png_);
    if ((color_type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png_);
    if ((color_type & PNG_COLOR_MASK_ALPHA) == 0 && !has_trns) {
      png_set_filler(png_, 0xFF, PNG_FILLER_AFTER);
    }
    interlaced_ = png_set_interlace_handling(png_) > 1;
    png_read_update_info(png_, info_);
    if (png_get_rowbytes(png_, info_) != static_cast<size_t>(size->width) * 4) {
      std::snprintf(error_.text, sizeof error_.text, "unexpected row layout");
      return false;
    }
    return true;
  }

  // True when the rows arrive in several passes: all of them must be held.
  bool Interlaced() const { return interlaced_; }

  // Decodes the rows into `pixels`, `width` four-byte pixels each, and hands them to `rows`
  // as 0xRRGGBB: one row at a time in the first row of `pixels`, or, for an interlaced
  // picture, every row at once through `row_pointers` (one per row of `pixels`).
  bool ReadImage(uint32_t* pixels, png_bytepp row_pointers, int width, int height,
                 const RowSink& rows) {
    if (setjmp(png_jmpbuf(png_))) return false;
    if (interlaced_) png_read_image(png_, row_pointers);
    for (int y = 0; y < height; ++y) {
      uint32_t* row = interlaced_ ? reinterpret_cast<uint32_t*>(row_pointers[y]) : pixels;
      if (!interlaced_) png_read_row(png_, reinterpret_cast<png_bytep>(row), nullptr);
      RgbaBytesToPixels(row, static_cast<size_t>(width));
      rows(row);
    }
    return true;
  }

  std::string Cause() const { return std::string("unreadable PNG picture (") + error_.text + ")"; }

 private:
  MemorySource source_;
  ErrorText error_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  bool interlaced_ = false;
};

}  // namespace

StatusOr<StoredSize> ReadPngSize(const std::vector<uint8_t>& file) {
  PngReader reader(file);
  StoredSize size;
  if (!reader.ReadInfo(&size)) {
    return Status::Invalid(reader.Cause());
  }
  Status checked = CheckPictureSize(size.width, size.height);
  if (!checked.ok()) return checked;
  return size;
}

Status DecodePngRows(const std::vector<uint8_t>& file, const RowSink& rows) {
  PngReader reader(file);
  StoredSize size;
  if (!reader.ReadInfo(&size)) {
    return Status::Invalid(reader.Cause());
  }
  Status checked = CheckPictureSize(size.width, size.height);
  if (!checked.ok()) return checked;
  const size_t held_rows = reader.Interlaced() ? static_cast<size_t>(size.height) : 1;
  std::vector<uint32_t> pixels(held_rows * static_cast<size_t>(size.width));
  std::vector<png_bytep> row_pointers(reader.Interlaced() ? held_rows : 0);
  for (size_t y = 0; y < row_pointers.size(); ++y) {
    row_pointers[y] = reinterpret_cast<png_bytep>(&pixels[y * static_cast<size_t>(size.width)]);
  }
  if (!reader.ReadImage(pixels.data(), row_pointers.data(), size.width, size.height, rows)) {
    return Status::Invalid(reader.Cause());
  }
  return Status::OK();
}

}  // namespace klv
