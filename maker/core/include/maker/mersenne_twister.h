// The maker's 32-bit Mersenne Twister: the exact output stream of std::mt19937 for the same
// seed, so that one seed makes the same package on every platform and standard library.
// It makes its outputs a block of 624 at a time, so that a draw is mostly a load.
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
      Regenerate();
      index_ = 0;
    }
    return block_[index_++];
  }

 private:
  // Advances state_ by one whole block and tempers the block's outputs into block_.
  void Regenerate();

  // The generator's state after the last regeneration (the seeded state before the first).
  uint32_t state_[kStateSize];
  // The tempered outputs of the current block; block_[index_..kStateSize) are still unread.
  uint32_t block_[kStateSize];
  size_t index_ = kStateSize;
};

}  // namespace klv

#endif  // KLV_MAKER_MERSENNE_TWISTER_H_
