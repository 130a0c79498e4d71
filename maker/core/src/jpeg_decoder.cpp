// JPEG decoding over libjpeg-turbo: baseline and progressive, grey and colour, CMYK and
// YCCK turned into RGB, optionally reduced to 1/8, 2/8, ... 7/8 in the DCT, handed on one
// row at a time as it is decoded. No marker is kept (libjpeg keeps none unless asked; the
// orientation reader finds the EXIF block in APP1 itself), and the decoder's own memory has a
// ceiling, so that a few hundred bytes that declare a huge progressive picture are refused instead
// of taking its coefficients' memory. libjpeg reports errors by a long jump, so the functions that
// set the jump point hold no object with a destructor.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it, and jerror.h needs jpeglib.h.
#include <jpeglib.h>

#include <jerror.h>

#include "base/limits.h"
#include "library_decoders.h"

namespace klv {
namespace {

// A progressive picture may announce any number of scans, each a pass over all of its
// coefficients; real ones have about ten. More than this is taken for a hostile file.
constexpr int kMaxScans = 500;

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so that libjpeg's pointer is also ours
  std::jmp_buf jump;
  char text[JMSG_LENGTH_MAX] = {};
  bool dataLost = false;  // a warning said pixels are missing or wrong
};

// Warnings after which the decoded pixels are not the picture: the file ends early or its
// entropy-coded data is corrupt (libjpeg would fill in grey and carry on).
bool MeansLostData(int code) {
  return code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE ||
         code == JWRN_ARITH_BAD_CODE || code == JWRN_MUST_RESYNC;
}

[[noreturn]] void OnError(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (cinfo->err->msg_code == JERR_NO_BACKING_STORE) {
    // The decoder asked for more than its ceiling: it would spill to disk, which this
    // build of the library cannot do.
    std::snprintf(errors->text, sizeof errors->text,
                  "decoding it would take more than %zu MiB of memory", kMaxJpegDecoderBytes >> 20);
  } else if (!errors->dataLost) {
    // After lost data the error is only its consequence: the warning says what happened.
    (*cinfo->err->format_message)(cinfo, errors->text);
  }
  std::longjmp(errors->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (level >= 0 || errors->dataLost || !MeansLostData(cinfo->err->msg_code)) return;
  errors->dataLost = true;
  (*cinfo->err->format_message)(cinfo, errors->text);
}

void OnProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(errors->text, sizeof errors->text, "more than %d scans", kMaxScans);
    std::longjmp(errors->jump, 1);
  }
}

uint32_t Product(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }

// `count` pixels of four bytes C, M, Y, K, in place, into 0xRRGGBB.
void CmykBytesToPixels(uint32_t* pixels, size_t count, bool inverted) {
  for (uint32_t& pixel : std::span(pixels, count)) {
    uint8_t cmyk[4];
    std::memcpy(cmyk, &pixel, 4);
    if (!inverted) {
      for (uint8_t& v : cmyk) v = static_cast<uint8_t>(255 - v);
    }
    // Each channel is what its ink and the black leave of white.
    pixel = (Product(cmyk[0], cmyk[3]) << 16) | (Product(cmyk[1], cmyk[3]) << 8) |
            Product(cmyk[2], cmyk[3]);
  }
}

// One read of one file image: libjpeg's decompressor, destroyed when it goes away.
class JpegReader {
 public:
  explicit JpegReader(const std::vector<uint8_t>& file) : file_(file) {
    cinfo_.err = jpeg_std_error(&errors_.pub);
    errors_.pub.error_exit = OnError;
    errors_.pub.emit_message = OnMessage;
    progress_.progress_monitor = OnProgress;
  }
  ~JpegReader() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
  }
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  bool ReadHeader(StoredSize* size) {
    if (setjmp(errors_.jump)) return false;
    jpeg_create_decompress(&cinfo_);
    created_ = true;
    cinfo_.progress = &progress_;
    cinfo_.mem->max_memory_to_use = static_cast<long>(kMaxJpegDecoderBytes);

    jpeg_mem_src(&cinfo_, file_.data(), static_cast<unsigned long>(file_.size()));
    jpeg_read_header(&cinfo_, TRUE);
    size->width = static_cast<int>(cinfo_.image_width);
    size->height = static_cast<int>(cinfo_.image_height);
    return true;
  }

  // Sets the scale (`scale` eighths) and the output colours and computes the output size.
  bool Prepare(int scale, StoredSize* output) {
    if (setjmp(errors_.jump)) return false;
    cinfo_.scale_num = static_cast<unsigned int>(scale);
    cinfo_.scale_denom = kScaleSteps;
    cinfo_.out_color_space = IsCmyk() ? JCS_CMYK : JCS_EXT_RGBX;
    jpeg_calc_output_dimensions(&cinfo_);
    output->width = static_cast<int>(cinfo_.output_width);
    output->height = static_cast<int>(cinfo_.output_height);
    return true;
  }

  // Decodes the rows one at a time into `row` (the output width of four-byte pixels),
  // handing each to `rows` as 0xRRGGBB.
  bool ReadImage(uint32_t* row, const RowSink& rows) {
    if (setjmp(errors_.jump)) return false;
    jpeg_start_decompress(&cinfo_);
    auto* samples = reinterpret_cast<JSAMPROW>(row);
    while (cinfo_.output_scanline < cinfo_.output_height) {
      if (jpeg_read_scanlines(&cinfo_, &samples, 1) == 0) {
        // Suspended: cannot happen with the whole file in memory.
        std::snprintf(errors_.text, sizeof errors_.text, "the data ends early");
        return false;
      }
      // Lost data makes the rest grey: the picture is refused, and nothing more handed on.
      if (errors_.dataLost) return false;
      if (IsCmyk()) {
        CmykBytesToPixels(row, cinfo_.output_width, InvertedCmyk());
      } else {
        RgbaBytesToPixels(row, cinfo_.output_width);  // the fourth byte is 0xFF: opaque
      }
      rows(row);
    }
    return true;
  }

  bool IsCmyk() const {
    return cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK;
  }
  // Adobe's writers store CMYK inverted (0 for full ink), and say so with their marker.
  bool InvertedCmyk() const { return cinfo_.saw_Adobe_marker != 0; }

  std::string Cause() const {
    if (errors_.dataLost) return std::string("damaged JPEG picture (") + errors_.text + ")";
    return std::string("unreadable JPEG picture (") + errors_.text + ")";
  }

 private:
  const std::vector<uint8_t>& file_;
  jpeg_decompress_struct cinfo_{};
  ErrorManager errors_{};
  jpeg_progress_mgr progress_{};
  bool created_ = false;
};

}  // namespace

StatusOr<StoredSize> ReadJpegSize(const std::vector<uint8_t>& file) {
  JpegReader reader(file);
  StoredSize size;
  if (!reader.ReadHeader(&size)) {
    return Status::Invalid(reader.Cause());
  }
  Status checked = CheckPictureSize(size.width, size.height);
  if (!checked.ok()) return checked;
  return size;
}

Status DecodeJpegRows(const std::vector<uint8_t>& file, int scale, const RowSink& rows) {
  JpegReader reader(file);
  StoredSize size;
  StoredSize output;
  if (!reader.ReadHeader(&size)) {
    return Status::Invalid(reader.Cause());
  }
  Status checked = CheckPictureSize(size.width, size.height);
  if (!checked.ok()) return checked;
  if (!reader.Prepare(scale, &output)) {
    return Status::Invalid(reader.Cause());
  }
  const StoredSize expected = ScaledSize(size, scale);
  if (output.width != expected.width || output.height != expected.height) {
    return Status::Invalid("the JPEG decoder scales to another size than expected");
  }
  std::vector<uint32_t> row(static_cast<size_t>(output.width));
  if (!reader.ReadImage(row.data(), rows)) {
    return Status::Invalid(reader.Cause());
  }
  return Status::OK();
}

}  // namespace klv
