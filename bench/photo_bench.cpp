// Benchmarks of a photo's way to the make's source picture: a 4000 x 3000 JPEG read and
// fitted to the grid as klvmake --fit does (decoded at 1/8 in the DCT, its rows averaged
// into the 320 x 256 kept of 341 x 256 as they arrive), the decoding alone at that scale
// (the floor of the fit: libjpeg-turbo's work), the fit with the whole picture decoded (a
// crop of the whole picture turns the reduced decoding off), and a PNG of the same picture.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/picture_reader.h"
#include "maker/source_picture.h"

namespace klv {
namespace {

// The photo's files, made once for every case.
const test::Bytes& PhotoFile(bool png) {
  static const Raster photo = test::TestPhoto(4000, 3000);
  static const test::Bytes jpeg = test::EncodeJpeg(photo, {.quality = 90});
  static const test::Bytes png_file = test::EncodePngRaster(photo);
  return png ? png_file : jpeg;
}

void FitPhoto(benchmark::State& state, bool png, const SourceOptions& options) {
  test::FakeEnv env;
  env.AddFile("photo", PhotoFile(png));
  for (auto _ : state) {
    std::optional<Raster> source = ReadSourcePicture(env, "photo", options, nullptr);
    if (!source || source->width != 320 || source->height != 256) {
      state.SkipWithError("the photo was not fitted to 320 x 256");
      break;
    }
    benchmark::DoNotOptimize(source->pixels.data());
  }
}

void BM_FitJpegPhoto(benchmark::State& state) { FitPhoto(state, false, {.fit = true}); }
BENCHMARK(BM_FitJpegPhoto)->Unit(benchmark::kMillisecond);

void BM_DecodeJpegPhotoAtTheFitsScale(benchmark::State& state) {
  const test::Bytes& file = PhotoFile(false);
  const StatusOr<PictureInfo> info = InspectPicture(file);
  for (auto _ : state) {
    // The fit's scaled size: the smallest scale that covers it is 1/8, 500 x 375.
    StatusOr<Raster> decoded = DecodePicture(file, *info, 341, 256);
    if (!decoded.ok() || decoded->width != 500) {
      state.SkipWithError("the photo was not decoded at 1/8");
      break;
    }
    benchmark::DoNotOptimize(decoded->pixels.data());
  }
}
BENCHMARK(BM_DecodeJpegPhotoAtTheFitsScale)->Unit(benchmark::kMillisecond);

void BM_FitJpegPhotoDecodedWhole(benchmark::State& state) {
  FitPhoto(state, false, {.fit = true, .crop = CropRect{4000, 3000, 0, 0}});
}
BENCHMARK(BM_FitJpegPhotoDecodedWhole)->Unit(benchmark::kMillisecond);

void BM_FitPngPhoto(benchmark::State& state) { FitPhoto(state, true, {.fit = true}); }
BENCHMARK(BM_FitPngPhoto)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace klv
