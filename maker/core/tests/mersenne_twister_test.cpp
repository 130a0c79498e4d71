// Tests of the maker's Mersenne Twister: its stream must be std::mt19937's, output for
// output, for every seed and however Next and Fill calls are mixed across block boundaries.
#include "maker/mersenne_twister.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

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

TEST(MersenneTwister, FillWritesExactlyTheNextOutputsForEverySizeAndStart) {
  constexpr uint32_t kCanary = 0xDEADBEEFu;
  const size_t sizes[] = {0, 1, 2, 623, 624, 625, 1247, 1248, 1249, 5000};
  // Outputs drawn with Next before the Fill: at a block's start, inside it, at its end.
  const size_t starts[] = {0, 1, 300, 623, 624, 625};
  for (const uint32_t seed : {5489u, 0xFFFFFFFFu, 77u}) {
    for (const size_t start : starts) {
      for (const size_t size : sizes) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " start " + std::to_string(start) + " size " +
                     std::to_string(size));
        MersenneTwister twister(seed);
        std::mt19937 reference(seed);
        for (size_t i = 0; i < start; ++i) ASSERT_EQ(twister.Next(), reference());

        std::vector<uint32_t> out(size + 1, kCanary);
        twister.Fill(out.data(), size);
        for (size_t i = 0; i < size; ++i) ASSERT_EQ(out[i], reference()) << "word " << i;
        EXPECT_EQ(out[size], kCanary) << "written past the end";

        // The generator is left where `size` calls of Next would leave it.
        for (int i = 0; i < 1300; ++i) ASSERT_EQ(twister.Next(), reference()) << "after " << i;
      }
    }
  }
}

TEST(MersenneTwister, FillOfNothingAcceptsANullBuffer) {
  MersenneTwister twister(9u);
  std::mt19937 reference(9u);
  twister.Fill(nullptr, 0);
  EXPECT_EQ(twister.Next(), reference());
}

// One step of a pattern: `count` outputs by Fill, or by Next when by_next is set.
struct Step {
  bool by_next;
  size_t count;
};

// Draws the pattern from `twister` and checks every output against `reference`.
void ExpectPatternMatches(MersenneTwister& twister, std::mt19937& reference,
                          const std::vector<Step>& steps) {
  size_t drawn = 0;
  for (const Step& step : steps) {
    std::vector<uint32_t> out(step.count);
    if (step.by_next) {
      for (uint32_t& value : out) value = twister.Next();
    } else {
      twister.Fill(out.data(), out.size());
    }
    for (size_t i = 0; i < out.size(); ++i) {
      ASSERT_EQ(out[i], reference()) << "output " << drawn + i;
    }
    drawn += out.size();
  }
}

TEST(MersenneTwister, MixedNextAndFillPatternsGiveOneStream) {
  constexpr bool kNext = true;
  constexpr bool kFill = false;
  const std::vector<std::vector<Step>> patterns = {
      // Fills ending exactly on block boundaries, then a Next that must start a new block.
      {{kFill, 624}, {kNext, 1}, {kFill, 623}, {kFill, 624}, {kNext, 3}},
      // A Fill that starts one short of a boundary and spans several whole blocks.
      {{kNext, 623}, {kFill, 2000}, {kNext, 1}, {kFill, 1}, {kFill, 1248}},
      // Many small steps across several boundaries.
      {{kFill, 1},
       {kNext, 1},
       {kFill, 310},
       {kNext, 312},
       {kFill, 0},
       {kFill, 2},
       {kNext, 700},
       {kFill, 625},
       {kNext, 624},
       {kFill, 5}},
      // Next only to the middle of a block, then one long Fill, then Next only.
      {{kNext, 100}, {kFill, 5000}, {kNext, 2000}},
  };
  for (size_t p = 0; p < patterns.size(); ++p) {
    SCOPED_TRACE("pattern " + std::to_string(p));
    MersenneTwister twister(2024u);
    std::mt19937 reference(2024u);
    ExpectPatternMatches(twister, reference, patterns[p]);
  }
}

TEST(MersenneTwister, RandomPatternsOfNextAndFillGiveOneStream) {
  std::minstd_rand chooser(7);
  for (const uint32_t seed : kSeeds) {
    SCOPED_TRACE(seed);
    std::vector<Step> steps;
    for (int i = 0; i < 200; ++i) {
      const bool by_next = chooser() % 2 == 0;
      // Mostly short steps, now and then one longer than a block.
      const size_t count = chooser() % 4 == 0 ? chooser() % 2000 : chooser() % 40;
      steps.push_back({by_next, count});
    }
    MersenneTwister twister(seed);
    std::mt19937 reference(seed);
    ExpectPatternMatches(twister, reference, steps);
  }
}

}  // namespace
}  // namespace klv
