// The values a make reads at its start: the densities from the two density boxes' texts,
// and the run's random source and puzzle password.
#ifndef KLV_MAKER_MAKE_VALUES_H_
#define KLV_MAKER_MAKE_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "maker/mersenne_twister.h"

namespace klv {

// The numeric value of a box's text: the decimal number written at its start (optional
// sign, digits, optional fraction), blanks, tabs and line feeds anywhere in the text
// ignored; a text that does not start with a number counts as 0. "30" gives 30, "3 0"
// gives 30, "abc" gives 0. Never fails; huge numbers give infinity.
double BoxNumber(std::string_view text);

// A density as the boxes give it: a percentage, 30 for 30 % (a fraction allowed, and
// values past 100 too, which the tile effect takes as they are).
struct Percent {
  double value = 0;
  double Fraction() const { return value / 100; }
};

// A source of uniform single-precision values in [0, 1).
class UniformSource {
 public:
  virtual ~UniformSource() = default;
  virtual float Next() = 0;
};

// The product's random source: a 32-bit Mersenne Twister whose raw output is turned into
// [0, 1) by the top 24 bits, so that one seed gives the same values on every platform
// and compiler. The stream is std::mt19937's for the same seed.
class RandomSource : public UniformSource {
 public:
  explicit RandomSource(uint32_t seed) : engine_(seed) {}
  float Next() override { return static_cast<float>(engine_.Next() >> 8) * (1.0f / 16777216.0f); }

  // A seed taken from the clock, as the maker seeds when no seed is given.
  static uint32_t ClockSeed();

 private:
  MersenneTwister engine_;
};

// The run's puzzle password: decimal floor(r1 x 1000) followed by decimal
// floor(r2 x 10000), r1 and r2 the next two values of `source`: 2 to 7 digits.
std::string MakePuzzlePassword(UniformSource& source);

}  // namespace klv

#endif  // KLV_MAKER_MAKE_VALUES_H_
