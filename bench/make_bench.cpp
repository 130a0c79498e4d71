// Benchmarks of the make: the tile effect alone on a full 9 x 9 grid, the picture's decoding
// and the work files' encoding, and the whole make in
// one process (decode the picture, render, write the work files, FileConv through the
// loaded KLVUtils, remove the work files).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "maker/bitmap_codec.h"
#include "maker/grid.h"
#include "maker/make.h"
#include "maker/make_values.h"
#include "maker/picture_reader.h"
#include "maker/tile_effect.h"
#include "maker/work_canvas.h"

namespace klv {
namespace {

constexpr int kSide = 320;  // 9 x 9 tiles

Raster BenchPicture() {
  Raster picture = Raster::Filled(kSide, kSide, 0);
  uint32_t state = 12345;
  for (uint32_t& pixel : picture.pixels) {
    state = state * 1664525u + 1013904223u;
    pixel = state >> 8;
  }
  return picture;
}

void BM_RenderTileEffect(benchmark::State& state) {
  const Raster picture = BenchPicture();
  const Grid grid = GridForPicture(kSide, kSide);
  const WorkCanvas prepared = PrepareWorkCanvas(picture, grid, 13);
  RandomSource random(1);
  for (auto _ : state) {
    state.PauseTiming();
    WorkCanvas canvas = prepared;
    state.ResumeTiming();
    RenderTileEffect(picture, canvas, grid, 0.3, 0.15, random);
    benchmark::DoNotOptimize(canvas.tiles.data());
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_RenderTileEffect)->Unit(benchmark::kMillisecond);

void BM_PrepareAndRender(benchmark::State& state) {
  const Raster picture = BenchPicture();
  const Grid grid = GridForPicture(kSide, kSide);
  RandomSource random(1);
  for (auto _ : state) {
    WorkCanvas canvas = PrepareWorkCanvas(picture, grid, 13);
    RenderTileEffect(picture, canvas, grid, 0.3, 0.15, random);
    benchmark::DoNotOptimize(canvas.base.pixels.data());
  }
}
BENCHMARK(BM_PrepareAndRender)->Unit(benchmark::kMillisecond);

// The picture as klvmake reads it: a 24-bit bitmap file decoded into the source surface.
void BM_DecodePicture24(benchmark::State& state) {
  const std::vector<uint8_t> file = EncodeBitmap24(BenchPicture());
  for (auto _ : state) {
    StatusOr<Raster> picture = DecodeBitmap(file);
    benchmark::DoNotOptimize(picture->pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_DecodePicture24)->Unit(benchmark::kMicrosecond);

// The make's 81 tile files and base.bmp, encoded but not written.
void BM_EncodeWorkFiles(benchmark::State& state) {
  const Raster picture = BenchPicture();
  const Grid grid = GridForPicture(kSide, kSide);
  WorkCanvas canvas = PrepareWorkCanvas(picture, grid, 13);
  RandomSource random(1);
  RenderTileEffect(picture, canvas, grid, 0.3, 0.15, random);
  for (auto _ : state) {
    for (const Raster& tile : canvas.tiles) {
      benchmark::DoNotOptimize(EncodeBitmap24(tile).data());
    }
    benchmark::DoNotOptimize(EncodeBitmap24(canvas.base).data());
  }
}
BENCHMARK(BM_EncodeWorkFiles)->Unit(benchmark::kMicrosecond);

// The whole make as klvmake runs it, minus process start-up.
void BM_WholeMake(benchmark::State& state) {
  namespace fs = std::filesystem;
  Env& env = Env::Default();
  const fs::path folder =
      fs::temp_directory_path() /
      ("klv_bench_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(folder);
  const std::string picture_path = (folder / "picture.bmp").string();
  env.WriteWholeFile(picture_path, EncodeBitmap24(BenchPicture()));
  std::unique_ptr<PackageConverter> converter = MakeLibraryConverter(env);

  for (auto _ : state) {
    const StatusOr<std::vector<uint8_t>> file = ReadPictureFile(env, picture_path);
    StatusOr<Raster> picture = file.ok() ? DecodeBitmap(*file) : file.status();
    if (!picture.ok()) {
      state.SkipWithError(picture.status().reason().c_str());
      break;
    }
    MakeRequest request;
    request.grid = GridForPicture(picture->width, picture->height);
    request.source = std::move(*picture);
    request.destination = folder.string();
    request.puzzleName = "Bench";
    request.puzzleSetName = "Set";
    request.comment = "Comment";
    request.password = "1234567";
    request.seed = 1;
    const MakeResult result = MakePuzzle(env, request, *converter);
    if (result.status != MakeStatus::kPackageWritten) {
      state.SkipWithError(result.cause.c_str());
      break;
    }
  }
  fs::remove_all(folder);
}
BENCHMARK(BM_WholeMake)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace klv
