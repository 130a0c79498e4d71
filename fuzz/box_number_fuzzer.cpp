// Fuzz target for the reading of the density texts: any bytes typed into a density box
// or given on klvmake's command line. The value is never NaN, ignores blanks, tabs and
// line feeds wherever they stand, and reads plain decimal numbers exactly.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "maker/make_values.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "box_number_fuzzer: %s\n", what);
    abort();
  }
}

bool Ignored(char ch) { return ch == ' ' || ch == '\t' || ch == '\n'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = klv::BoxNumber(text);
  Check(!std::isnan(value), "a text reads as NaN");

  std::string squeezed;
  bool digits_only = true;
  for (char ch : text) {
    if (Ignored(ch)) continue;
    squeezed.push_back(ch);
    if (ch < '0' || ch > '9') digits_only = false;
  }
  // Both values may be infinite, which compares equal.
  Check(klv::BoxNumber(squeezed) == value, "blanks, tabs or line feeds changed the value");

  if (digits_only && !squeezed.empty() && squeezed.size() <= 15) {
    Check(value == std::strtod(squeezed.c_str(), nullptr), "a whole number reads wrongly");
    Check(klv::BoxNumber("-" + squeezed) == -value, "a minus sign is not applied");
  }
  return 0;
}
