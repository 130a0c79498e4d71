// Tests of the maker's Mersenne Twister: its stream must be std::mt19937's, output for
// output, for every seed and across the boundaries of its blocks.
#include "maker/mersenne_twister.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace klv {
namespace {

constexpr uint32_t kSeeds[] = {0u,          1u,          5489u,      0xFFFFFFFFu, 0x80000000u,
                               0x7FFFFFFFu, 0x9E3779B9u, 123456789u, 2718281828u, 31337u};

TEST(MersenneTwister, NextIsTheStdMt19937StreamForEverySeed) {
  for (const uint32_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    MersenneTwister twister(seed);
    std::mt19937 reference(seed);
    for (int i = 0; i < 5000; ++i) {
      ASSERT_EQ(twister.Next(), reference()) << "output " << i;
    }
  }
}

TEST(MersenneTwister, TheTenThousandthOutputForTheDefaultSeed) {
  // The C++ standard fixes this value, independently of any library's std::mt19937.
  MersenneTwister twister(5489u);
  uint32_t value = 0;
  for (int i = 0; i < 10000; ++i) value = twister.Next();
  EXPECT_EQ(value, 4123659995u);
}

}  // namespace
}  // namespace klv
