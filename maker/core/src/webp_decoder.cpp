// WebP decoding over libwebp: still pictures, lossy or lossless, with or without alpha,
// decoded as RGBA into memory of the size decoded, optionally reduced to 1/8, 2/8, ... 7/8
// by libwebp's own scaler while it decodes, so that a large picture never takes its full
// size in memory; then handed on row by row. Animations are refused rather than reduced to a frame
// the person did not choose.
#include <webp/decode.h>

#include <string>

#include "library_decoders.h"

namespace klv {
namespace {

std::string StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "not enough memory";
    case VP8_STATUS_INVALID_PARAM: return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "corrupt data";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported feature";
    case VP8_STATUS_SUSPENDED: return "suspended";
    case VP8_STATUS_USER_ABORT: return "aborted";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "the file ends early";
    default: return "status " + std::to_string(static_cast<int>(status));
  }
}

// The features of the file's headers; an Invalid status for an unreadable header or an
// animation.
StatusOr<WebPBitstreamFeatures> ReadFeatures(const std::vector<uint8_t>& file) {
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(file.data(), file.size(), &features);
  if (status != VP8_STATUS_OK) {
    return Status::Invalid("unreadable WebP picture (" + StatusText(status) + ")");
  }
  if (features.has_animation) {
    return Status::Invalid("animated WebP picture (only still pictures are read)");
  }
  Status checked = CheckPictureSize(features.width, features.height);
  if (!checked.ok()) return checked;
  return features;
}

}  // namespace

StatusOr<StoredSize> ReadWebpSize(const std::vector<uint8_t>& file) {
  const StatusOr<WebPBitstreamFeatures> features = ReadFeatures(file);
  if (!features.ok()) return features.status();
  return StoredSize{features->width, features->height};
}

Status DecodeWebpRows(const std::vector<uint8_t>& file, int scale, const RowSink& rows) {
  const StatusOr<WebPBitstreamFeatures> features = ReadFeatures(file);
  if (!features.ok()) return features.status();
  const StoredSize size = ScaledSize(StoredSize{features->width, features->height}, scale);
  Raster raster = Raster::Filled(size.width, size.height, 0);
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) {
    return Status::Invalid("the WebP decoder is not the version this program was built with");
  }
  if (scale != kScaleSteps) {
    config.options.use_scaling = 1;
    config.options.scaled_width = size.width;
    config.options.scaled_height = size.height;
  }
  const size_t stride = static_cast<size_t>(size.width) * 4;
  config.output.colorspace = MODE_RGBA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = reinterpret_cast<uint8_t*>(raster.pixels.data());
  config.output.u.RGBA.stride = static_cast<int>(stride);
  config.output.u.RGBA.size = stride * static_cast<size_t>(size.height);
  const VP8StatusCode status = WebPDecode(file.data(), file.size(), &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) {
    // The headers were readable: the picture data is what fails.
    return Status::Invalid("unreadable WebP picture (" + StatusText(status) + ")");
  }
  for (int y = 0; y < size.height; ++y) {
    uint32_t* row = &raster.pixels[raster.Index(0, y)];
    RgbaBytesToPixels(row, static_cast<size_t>(size.width));
    rows(row);
  }
  return Status::OK();
}

}  // namespace klv
