// The Mersenne Twister's seeding, block regeneration and tempering. The regeneration is
// split where its far input changes from old words to new ones, so that no loop carries a
// dependency shorter than 227 words and the loops vectorize with plain SSE2 at -O2 and -O3.
#include "maker/mersenne_twister.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace klv {
namespace {

constexpr size_t kN = MersenneTwister::kStateSize;
constexpr size_t kM = 397;        // the far word's distance ahead
constexpr size_t kLag = kN - kM;  // 227: the far word's distance back once it wraps
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kSeedMultiplier = 1812433253u;
// The vectorized loops run a multiple of kLanes words, so that GCC's -O2 cost model, which
// takes no loop needing a scalar remainder, vectorizes them; the few words left over are
// made by scalar loops.
constexpr size_t kLanes = 8;
constexpr size_t kAheadVectorEnd = kLag - kLag % kLanes;                // 224
constexpr size_t kBehindVectorEnd = kN - 1 - (kN - 1 - kLag) % kLanes;  // 619

// The new value of a state word from the word itself, the word after it and the word kM
// places on (cyclically). The matrix term is selected without a branch.
inline uint32_t Twist(uint32_t current, uint32_t next, uint32_t far) {
  const uint32_t y = (current & kUpperMask) | (next & kLowerMask);
  return far ^ (y >> 1) ^ ((0u - (y & 1u)) & kMatrixA);
}

inline uint32_t Temper(uint32_t y) {
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

// Words [begin, end) of a regeneration while the far word mt[i + kM] is still an old word
// (end <= kLag). mt[i + 1] is read before mt[i] is written, so the loop has no dependency.
inline void TwistAhead(uint32_t* __restrict mt, uint32_t* __restrict out, size_t begin,
                       size_t end) {
  for (size_t i = begin; i < end; ++i) {
    const uint32_t fresh = Twist(mt[i], mt[i + 1], mt[i + kM]);
    mt[i] = fresh;
    out[i] = Temper(fresh);
  }
}

// Words [begin, end) once the far word has wrapped to mt[i - kLag], made kLag words
// earlier in the same regeneration (begin >= kLag, end <= kN - 1).
inline void TwistBehind(uint32_t* __restrict mt, uint32_t* __restrict out, size_t begin,
                        size_t end) {
  for (size_t i = begin; i < end; ++i) {
    const uint32_t fresh = Twist(mt[i], mt[i + 1], mt[i - kLag]);
    mt[i] = fresh;
    out[i] = Temper(fresh);
  }
}

}  // namespace

MersenneTwister::MersenneTwister(uint32_t seed) {
  state_[0] = seed;
  for (size_t i = 1; i < kN; ++i) {
    const uint32_t previous = state_[i - 1];
    state_[i] = kSeedMultiplier * (previous ^ (previous >> 30)) + static_cast<uint32_t>(i);
  }
}

void MersenneTwister::Regenerate(uint32_t* __restrict out) {
  uint32_t* __restrict mt = state_;
  TwistAhead(mt, out, 0, kAheadVectorEnd);
  TwistAhead(mt, out, kAheadVectorEnd, kLag);
  TwistBehind(mt, out, kLag, kBehindVectorEnd);
  TwistBehind(mt, out, kBehindVectorEnd, kN - 1);
  // The last word's successor is the new word 0, and its far word the new word kM - 1.
  const uint32_t last = Twist(mt[kN - 1], mt[0], mt[kM - 1]);
  mt[kN - 1] = last;
  out[kN - 1] = Temper(last);
}

void MersenneTwister::Fill(uint32_t* out, size_t n) {
  if (n == 0) return;
  const size_t buffered = std::min(n, kN - index_);
  std::memcpy(out, block_ + index_, buffered * sizeof(uint32_t));
  index_ += buffered;
  out += buffered;
  n -= buffered;
  // Whole blocks are tempered straight into the caller's buffer; block_ stays used up.
  while (n >= kN) {
    Regenerate(out);
    out += kN;
    n -= kN;
  }
  if (n > 0) {
    Regenerate(block_);
    std::memcpy(out, block_, n * sizeof(uint32_t));
    index_ = n;
  }
}

}  // namespace klv
