// The platform seam in the browser: the POSIX seam runs there over Emscripten's in-memory
// file system, and these are the parts its C library lacks. Its iconv has no code page
// 932, so texts convert by the code page's table; the in-memory file system holds every
// byte at once, so the writeback that the package writer starts early has nothing to do.
#include <fcntl.h>

#include "base/cp932_table.h"
#include "base/platform.h"

namespace klv {

std::optional<std::string> Cp932ToUtf8(const std::string& cp932) {
  return Cp932ToUtf8ByTable(cp932);
}

std::optional<std::string> Utf8ToCp932(const std::string& utf8) { return Utf8ToCp932ByTable(utf8); }

}  // namespace klv

// Declared by the C library's <fcntl.h> but not in it.
extern "C" int sync_file_range(int /*fd*/, off_t /*offset*/, off_t /*size*/, unsigned /*flags*/) {
  return 0;
}
