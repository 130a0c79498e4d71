// The Mersenne Twister's seeding, block regeneration and tempering, in the generator's
// textbook form: one pass over the state, each word twisted with its successor and the
// word 397 places on (cyclically, so the last words already see new ones).
#include "maker/mersenne_twister.h"

#include <cstddef>
#include <cstdint>

namespace klv {
namespace {

constexpr size_t kN = MersenneTwister::kStateSize;
constexpr size_t kM = 397;  // the far word's distance ahead
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kSeedMultiplier = 1812433253u;

uint32_t Temper(uint32_t y) {
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

}  // namespace

MersenneTwister::MersenneTwister(uint32_t seed) {
  state_[0] = seed;
  for (size_t i = 1; i < kN; ++i) {
    const uint32_t previous = state_[i - 1];
    state_[i] = kSeedMultiplier * (previous ^ (previous >> 30)) + static_cast<uint32_t>(i);
  }
}

void MersenneTwister::Regenerate() {
  for (size_t i = 0; i < kN; ++i) {
    const uint32_t y = (state_[i] & kUpperMask) | (state_[(i + 1) % kN] & kLowerMask);
    const uint32_t matrix = (y & 1u) != 0 ? kMatrixA : 0u;
    state_[i] = state_[(i + kM) % kN] ^ (y >> 1) ^ matrix;
    block_[i] = Temper(state_[i]);
  }
}

}  // namespace klv
