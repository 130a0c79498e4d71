// The values a make reads at its start: the density boxes' numbers, the random source and
// the run's puzzle password.
#include "maker/make_values.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

namespace klv {
namespace {

bool IsIgnoredBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double BoxNumber(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (!IsIgnoredBlank(c)) compact.push_back(c);
  }

  // The longest prefix of the form [sign] digits [. digits].
  size_t pos = 0;
  bool negative = false;
  if (pos < compact.size() && (compact[pos] == '+' || compact[pos] == '-')) {
    negative = compact[pos] == '-';
    ++pos;
  }
  const size_t number_start = pos;
  bool any_digit = false;
  bool nonzero_whole_part = false;
  while (pos < compact.size() && IsDigit(compact[pos])) {
    nonzero_whole_part = nonzero_whole_part || compact[pos] != '0';
    any_digit = true;
    ++pos;
  }
  if (pos < compact.size() && compact[pos] == '.') {
    ++pos;
    while (pos < compact.size() && IsDigit(compact[pos])) {
      any_digit = true;
      ++pos;
    }
  }
  if (!any_digit) return 0.0;

  double value = 0.0;
  const char* first = compact.data() + number_start;
  const char* last = compact.data() + pos;
#if defined(__cpp_lib_to_chars)
  const std::from_chars_result parsed =
      std::from_chars(first, last, value, std::chars_format::fixed);
  const bool out_of_range = parsed.ec == std::errc::result_out_of_range;
  if (parsed.ec != std::errc()) value = 0.0;
#else
  // A C++ library without from_chars for doubles (the browser build's): the C library's
  // strtod, which rounds correctly and knows no locale but "C", reads the same value.
  const std::string digits(first, last);
  errno = 0;
  value = std::strtod(digits.c_str(), nullptr);
  const bool out_of_range = errno == ERANGE;
#endif
  if (out_of_range) {
    // Too many digits for a double: a whole part that is not zero overflows to infinity,
    // anything else is a fraction too small to hold.
    value = nonzero_whole_part ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

uint32_t RandomSource::ClockSeed() {
  const auto ticks =
      static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  // Fold the 64-bit tick count so that every bit of it reaches the 32-bit seed.
  uint64_t mixed = ticks ^ (ticks >> 33);
  mixed *= 0xFF51AFD7ED558CCDULL;
  mixed ^= mixed >> 33;
  return static_cast<uint32_t>(mixed ^ (mixed >> 32));
}

std::string MakePuzzlePassword(UniformSource& source) {
  const double r1 = source.Next();
  const double r2 = source.Next();
  const auto first = static_cast<long long>(std::floor(r1 * 1000.0));
  const auto second = static_cast<long long>(std::floor(r2 * 10000.0));
  return std::to_string(first) + std::to_string(second);
}

}  // namespace klv
