// Code page 932 conversions in the browser: its C library has no code page 932, so the
// seam converts by the code page's table, with the results of the Linux build's iconv.
#include "base/cp932_table.h"
#include "base/platform.h"

namespace klv {

std::optional<std::string> Cp932ToUtf8(const std::string& cp932) {
  return Cp932ToUtf8ByTable(cp932);
}

std::optional<std::string> Utf8ToCp932(const std::string& utf8) { return Utf8ToCp932ByTable(utf8); }

}  // namespace klv
