// The code page 932 conversions of the Linux build (iconv) against those of the Windows
// build (the system's own), for every character of the Basic Multilingual Plane and every
// one- and two-byte sequence: a text given to klvmake must give the same package bytes, or
// the same refusal, on both.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "wine_support.h"

namespace klv::winetest {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(CodePageOnWine, ConversionsAgreeWithTheLinuxBuild) {
  const RunResult linux_run = RunLinux("codepage_probe", {});
  const RunResult windows_run = RunWine("codepage_probe", {});
  ASSERT_EQ(linux_run.exit_code, 0) << linux_run.err;
  ASSERT_EQ(windows_run.exit_code, 0) << windows_run.err;
  const std::vector<std::string> linux_lines = Lines(linux_run.out);
  const std::vector<std::string> windows_lines = Lines(windows_run.out);
  ASSERT_EQ(linux_lines.size(), windows_lines.size());
  // The probe prints every character, so the two agree on the whole table.
  ASSERT_GT(linux_lines.size(), 100000u);
  int reported = 0;
  for (size_t i = 0; i < linux_lines.size() && reported < 40; ++i) {
    if (linux_lines[i] == windows_lines[i]) continue;
    ADD_FAILURE() << "Linux: " << linux_lines[i] << "   Windows: " << windows_lines[i];
    ++reported;
  }
}

}  // namespace
}  // namespace klv::winetest
