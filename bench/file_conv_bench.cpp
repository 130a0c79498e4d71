// Benchmarks of the package conversion: the conversion of a 9 x 9 work folder on disk,
// beside the plain copy of the same picture bytes into one file (with and without
// flushing it to stable storage, as the package writer does), which bounds what any
// conversion can reach.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/platform.h"
#include "base/profile.h"
#include "base/work_folder.h"
#include "conversion/file_conv.h"

namespace {

constexpr int kGrid = 9;

// A 24-bit BMP file of width x height pixels with varied pixel bytes.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, uint8_t seed) {
  const uint32_t row = (24u * width + 31) / 32 * 4;
  const uint32_t pixels = row * height;
  std::vector<uint8_t> file(54 + pixels, 0);
  uint8_t* p = file.data();
  p[0] = 'B';
  p[1] = 'M';
  klv::PutLe32(p + 2, static_cast<uint32_t>(file.size()));
  klv::PutLe32(p + 10, 54);
  klv::PutLe32(p + 14, 40);
  klv::PutLe32(p + 18, static_cast<uint32_t>(width));
  klv::PutLe32(p + 22, static_cast<uint32_t>(height));
  klv::PutLe16(p + 26, 1);
  klv::PutLe16(p + 28, 24);
  klv::PutLe32(p + 34, pixels);
  for (uint32_t i = 0; i < pixels; ++i) p[54 + i] = static_cast<uint8_t>(i * 7 + seed);
  return file;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// The 9 x 9 work folder, made once and removed at exit.
class WorkFolder {
 public:
  WorkFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "klv-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    for (int r = 0; r < kGrid; ++r) {
      for (int c = 0; c < kGrid; ++c) {
        inputs_.push_back(path_ + "/" + klv::TileFileName(r, c));
        WriteFile(inputs_.back(), MakeBmp(64, 64, static_cast<uint8_t>(r * kGrid + c)));
      }
    }
    inputs_.push_back(path_ + "/base.bmp");
    WriteFile(inputs_.back(), MakeBmp((kGrid + 1) * 32, (kGrid + 1) * 32, 5));
    const std::string ini = "[PuzzleData]\r\nxMax=9\r\nyMax=9\r\nPuzzleName=Bench\r\n";
    WriteFile(path_ + "/Puzzle.ini", std::vector<uint8_t>(ini.begin(), ini.end()));
    for (const std::string& input : inputs_) bytes_ += std::filesystem::file_size(input);
  }
  ~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  const std::vector<std::string>& inputs() const { return inputs_; }
  int64_t bytes() const { return static_cast<int64_t>(bytes_); }

 private:
  std::string path_;
  std::vector<std::string> inputs_;
  uint64_t bytes_ = 0;
};

WorkFolder& Folder() {
  static WorkFolder folder;
  return folder;
}

void BM_FileConv9x9(benchmark::State& state) {
  WorkFolder& folder = Folder();
  klv::ConversionState conversion;
  for (auto _ : state) {
    if (klv::ConvertWorkFolder(klv::Env::Default(), conversion, folder.path()) != 1) {
      state.SkipWithError("the conversion failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * folder.bytes());
}
// Reading the last key of a Puzzle.ini padded with N comment lines: the time per byte
// must stay flat as N grows (the reader is linear in the file's size).
void BM_ProfileValueAfterPadding(benchmark::State& state) {
  std::string text = "[PuzzleData]\r\n";
  for (int64_t i = 0; i < state.range(0); ++i) text += ";padding line of a hand-edited file\r\n";
  text += "FileVersion=2\r\n";
  for (auto _ : state) {
    benchmark::DoNotOptimize(klv::GetProfileIntFromText(text, "PuzzleData", "fileVersion", 0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ProfileValueAfterPadding)->Range(1 << 8, 1 << 16);

BENCHMARK(BM_FileConv9x9)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reads every picture file whole and appends it to one output file; with argument 1 the
// output is flushed to stable storage before it is closed, as the package is.
void BM_CopySameBytesIntoOneFile(benchmark::State& state) {
  WorkFolder& folder = Folder();
  const bool durable = state.range(0) != 0;
  const std::string output = folder.path() + "/copy.bin";
  std::vector<uint8_t> buffer;
  for (auto _ : state) {
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = out >= 0;
    for (const std::string& input : folder.inputs()) {
      const int in = ::open(input.c_str(), O_RDONLY);
      const auto size = static_cast<size_t>(std::filesystem::file_size(input));
      buffer.resize(size);
      ok = ok && in >= 0 && ::read(in, buffer.data(), size) == static_cast<ssize_t>(size) &&
           ::write(out, buffer.data(), size) == static_cast<ssize_t>(size);
      if (in >= 0) ::close(in);
    }
    if (durable && ok) ok = ::fsync(out) == 0;
    if (out >= 0) ::close(out);
    if (!ok) {
      state.SkipWithError("the copy failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * folder.bytes());
}
BENCHMARK(BM_CopySameBytesIntoOneFile)
    ->ArgName("durable")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
