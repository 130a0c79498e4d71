// The maker's 32-bit Mersenne Twister: the exact output stream of std::mt19937 for the same
// seed, so that one seed makes the same package on every platform and compiler, but made
// 624 words at a time by loops the compiler vectorizes, and tempered a whole block at once,
// so that a draw is a load from a buffer and a bulk draw is mostly a copy.
#ifndef KLV_MAKER_MERSENNE_TWISTER_H_
#define KLV_MAKER_MERSENNE_TWISTER_H_

#include <cstddef>
#include <cstdint>

namespace klv {

class MersenneTwister {
 public:
  // Words in the generator's state, and outputs made per regeneration.
  static constexpr size_t kStateSize = 624;

  // A generator in the state std::mt19937(seed) starts in. Never fails.
  explicit MersenneTwister(uint32_t seed);

  // The next tempered 32-bit output: the value std::mt19937's operator() gives at the
  // same position of the stream. Never fails.
  uint32_t Next() {
    if (index_ == kStateSize) {
      Regenerate(block_);
      index_ = 0;
    }
    return block_[index_++];
  }

  // Writes the next n outputs to out[0..n): the values n calls of Next() give, and leaves
  // the generator where those n calls would; calls of Next and Fill may be mixed in any
  // pattern. Requires out to hold n words (out may be null when n is 0); never fails.
  void Fill(uint32_t* out, size_t n);

 private:
  // Advances state_ by one whole block and writes the block's tempered outputs to
  // out[0..kStateSize); out must not overlap state_.
  void Regenerate(uint32_t* out);

  // The generator's state after the last regeneration (the seeded state before the first).
  alignas(64) uint32_t state_[kStateSize];
  // The tempered outputs of the current block; block_[index_..kStateSize) are still unread.
  alignas(64) uint32_t block_[kStateSize];
  size_t index_ = kStateSize;
};

}  // namespace klv

#endif  // KLV_MAKER_MERSENNE_TWISTER_H_
