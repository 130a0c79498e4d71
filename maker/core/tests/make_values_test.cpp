// Tests of the make-time values: the density boxes' numbers, the random source and the
// puzzle password.
#include "maker/make_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace klv {
namespace {

// Hands out a fixed list of values, then fails the test if asked for more.
class ScriptedSource : public UniformSource {
 public:
  explicit ScriptedSource(std::vector<float> values) : values_(std::move(values)) {}
  float Next() override {
    if (next_ >= values_.size()) {
      ADD_FAILURE() << "more draws than scripted";
      return 0.0f;
    }
    return values_[next_++];
  }

 private:
  std::vector<float> values_;
  size_t next_ = 0;
};

TEST(MakeValues, BoxNumberReadsTheNumberAtTheStartIgnoringBlanks) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"30", 30},      {"15", 15},    {"", 0},       {"abc", 0},  {"150", 150}, {" 3 0", 30},
      {"3\t0\n", 30},  {"30abc", 30}, {"-5", -5},    {"+7", 7},   {"- 5", -5},  {"12.5", 12.5},
      {".5", 0.5},     {"5.", 5},     {".", 0},      {"-", 0},    {"0", 0},     {"100", 100},
      {"3 0 x 4", 30}, {"1e2", 1},    {"00030", 30}, {"3\r0", 3}, {"1,5", 1},   {"--5", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(BoxNumber(c.text), c.value);
  }
}

TEST(MakeValues, BoxNumberOutOfRange) {
  EXPECT_EQ(BoxNumber(std::string(400, '9')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(BoxNumber("-" + std::string(400, '9')), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(BoxNumber("0." + std::string(400, '0') + "1"), 0.0);
  // A long but representable number is read in full.
  EXPECT_EQ(BoxNumber("000000000000000000000000000000000000000042"), 42.0);
}

TEST(MakeValues, RandomSourceIsTheTop24BitsOfTheMersenneTwister) {
  // The C++ standard fixes mt19937: its first output for the seed 5489 is 3499211612.
  RandomSource source(5489);
  EXPECT_EQ(source.Next(), static_cast<float>(3499211612u >> 8) / 16777216.0f);

  RandomSource a(12345);
  RandomSource b(12345);
  RandomSource c(12346);
  bool differs = false;
  for (int i = 0; i < 10000; ++i) {
    const float value = a.Next();
    ASSERT_GE(value, 0.0f);
    ASSERT_LT(value, 1.0f);
    ASSERT_EQ(value, b.Next());
    differs = differs || value != c.Next();
  }
  EXPECT_TRUE(differs);
}

TEST(MakeValues, PasswordIsTwoDecimalPartsWithoutPadding) {
  struct Case {
    float r1, r2;
    const char* password;
  };
  const float just_below_one = std::nextafter(1.0f, 0.0f);
  const Case cases[] = {
      {0.0f, 0.0f, "00"},
      {0.0009f, 0.5f, "05000"},
      {0.5f, 0.00005f, "5000"},
      {0.125f, 0.5625f, "1255625"},
      {just_below_one, just_below_one, "9999999"},
      {0.25f, 0.0001220703125f, "2501"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.password);
    ScriptedSource source({c.r1, c.r2});
    EXPECT_EQ(MakePuzzlePassword(source), c.password);
  }
}

}  // namespace
}  // namespace klv
