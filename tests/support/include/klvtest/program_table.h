// The bad-input tables' harness: a program of the build (klvmake, klvconv) run as a child
// process on inputs that each case prepares in a fresh folder, with the exit status and
// the words of standard error that the case expects. A child that hangs is ended by
// SIGALRM; a case that needs permission bits to apply runs without root's privileges.
#ifndef KLV_TESTS_SUPPORT_KLVTEST_PROGRAM_TABLE_H_
#define KLV_TESTS_SUPPORT_KLVTEST_PROGRAM_TABLE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace klv::test {

// The exit statuses of the programs: written, failed, a usage error.
constexpr int kWritten = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
void WriteText(const std::filesystem::path& path, const std::string& text);
// A 24-bit bitmap of one colour, stored bottom up, and the same stored top down
// (negative height).
std::vector<uint8_t> Picture(int width, int height);
std::vector<uint8_t> TopDownPicture(int width, int height);

// One row of a table: how to prepare the inputs under `root`, the arguments (in which
// "@" stands for the root folder's path), the expected status and what standard error
// must say, and optionally a file the run must leave (relative to the root).
struct Case {
  const char* name;
  std::function<void(const std::filesystem::path& root)> prepare;
  std::vector<std::string> args;
  int status;
  std::vector<std::string> said;
  std::string leaves = "";
  bool unprivileged = false;
};

// A case's preparation that prepares nothing.
inline std::function<void(const std::filesystem::path&)> Nothing() {
  return [](const std::filesystem::path&) {};
}

// The fixture: each test gets a fresh folder, removed afterwards whatever its rights.
class ProgramTableTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs every case of a table with `program` (a program of the build's bin/ folder), each
  // in a fresh folder. A case that needs permission bits to apply is skipped, with the
  // reason, only when a run as root cannot give up its privileges.
  void RunTable(const std::string& program, const std::vector<Case>& cases);

 private:
  struct Outcome {
    int status = -1;  // the exit status, or -1 when the program did not exit by itself
    std::string out;
    std::string err;
  };
  Outcome Run(const std::string& program, const std::vector<std::string>& args, bool unprivileged);

  std::filesystem::path root_;
};

}  // namespace klv::test

#endif  // KLV_TESTS_SUPPORT_KLVTEST_PROGRAM_TABLE_H_
