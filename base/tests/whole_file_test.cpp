// Tests of reading a whole file through the Env: however the reads come, the bytes
// arrive whole, and every failure names its cause with the system's reason.
#include "base/whole_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "klvtest/test_support.h"

namespace klv {
namespace {

TEST(WholeFile, ReadsInAsManyReadsAsItTakesAndNamesEachFailure) {
  std::vector<uint8_t> bytes(78);
  std::iota(bytes.begin(), bytes.end(), uint8_t{1});
  test::FakeEnv env;
  env.read_chunk = 3;
  env.files["f"] = bytes;
  env.files["big"] = std::vector<uint8_t>((size_t{1} << 20) + 1);

  std::string cause;
  const std::optional<std::vector<uint8_t>> got = ReadWholeFile(env, "f", 78, &cause);
  ASSERT_TRUE(got) << cause;
  EXPECT_EQ(*got, bytes);

  const std::string folder = "/w";
  env.folders.insert(folder);
  struct Case {
    std::string path;
    uint64_t cap;
    std::function<void()> arrange;
    std::string expected;
  };
  const Case cases[] = {
      {"missing", 78, [] {}, "cannot be opened: No such file or directory"},
      {folder, 78, [] {}, "is a folder"},
      {"f", 77, [] {}, "is 78 bytes long, more than this program reads (77 bytes)"},
      {"big", uint64_t{1} << 20, [] {},
       "is 1048577 bytes long, more than this program reads (1 MiB)"},
      {"f", 78, [&] { env.read_faults["f"] = test::ReadFault::kLengthFails; },
       "cannot be measured"},
      {"f", 78, [&] { env.read_faults["f"] = test::ReadFault::kReadFails; },
       "cannot be read (0 of 78 bytes arrived): Input/output error"},
      {"f", 78,
       [&] {
         env.read_faults["f"] = test::ReadFault::kShortRead;
         env.short_read_limit = 20;
       },
       "cannot be read (20 of 78 bytes arrived)"},
  };
  for (const Case& c : cases) {
    env.read_faults.clear();
    c.arrange();
    cause.clear();
    EXPECT_FALSE(ReadWholeFile(env, c.path, c.cap, &cause)) << c.path;
    EXPECT_EQ(cause.rfind(c.expected, 0), 0u) << c.path << ": " << cause;
  }
}

}  // namespace
}  // namespace klv
