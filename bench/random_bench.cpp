// Benchmarks of the make's random source: 200,000 outputs, about what one make's tile
// effect draws, from std::mt19937 and from MersenneTwister call by call, and as the
// [0, 1) values of RandomSource.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "maker/make_values.h"
#include "maker/mersenne_twister.h"

namespace klv {
namespace {

constexpr size_t kDraws = 200000;

void BM_StdMt19937Calls(benchmark::State& state) {
  std::mt19937 engine(1);
  std::vector<uint32_t> out(kDraws);
  for (auto _ : state) {
    for (uint32_t& value : out) value = static_cast<uint32_t>(engine());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kDraws));
}
BENCHMARK(BM_StdMt19937Calls)->Unit(benchmark::kMicrosecond);

void BM_MersenneTwisterNext(benchmark::State& state) {
  MersenneTwister engine(1);
  std::vector<uint32_t> out(kDraws);
  for (auto _ : state) {
    for (uint32_t& value : out) value = engine.Next();
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kDraws));
}
BENCHMARK(BM_MersenneTwisterNext)->Unit(benchmark::kMicrosecond);

void BM_RandomSourceNext(benchmark::State& state) {
  RandomSource source(1);
  std::vector<float> out(kDraws);
  for (auto _ : state) {
    for (float& value : out) value = source.RandomSource::Next();
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kDraws));
}
BENCHMARK(BM_RandomSourceNext)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace klv
