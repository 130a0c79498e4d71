// The kill test: klvconv writing a large package (144 tiles of big bitmaps) is killed
// with SIGKILL at moments spread over the whole write, many times. After every kill the
// package path must hold the earlier package or the complete new one, byte for byte;
// and a later run must still succeed over whatever the killed runs left behind.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/work_folder.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

using Clock = std::chrono::steady_clock;
using test::Bytes;
using test::TempFolder;

constexpr int kColumns = 16;
constexpr int kRows = 9;
constexpr int kKills = 40;
// The kills stop early when they have used this much time (a slow disk makes each
// write longer); at least kMinKills are made whatever it takes.
constexpr auto kTimeBudget = std::chrono::seconds(15);
constexpr int kMinKills = 10;

std::string KlvconvPath() { return std::string(KLV_BINARY_DIR) + "/klvconv"; }

pid_t StartKlvconv(const std::string& folder) {
  const pid_t pid = fork();
  if (pid == 0) {
    // The library's messages would only clutter the test's output.
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    execl(KlvconvPath().c_str(), "klvconv", folder.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// Runs klvconv to its end; its exit status.
int RunKlvconv(const std::string& folder) {
  int status = 0;
  waitpid(StartKlvconv(folder), &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void WritePuzzleIni(const TempFolder& folder, int columns, int rows) {
  test::WriteDiskText(folder.File("Puzzle.ini"), test::PuzzleIni({{"xMax", std::to_string(columns)},
                                                                  {"yMax", std::to_string(rows)},
                                                                  {"PuzzleName", "Big"}}));
}

TEST(Kill, AKilledWriteLeavesTheOldOrTheNewPackage) {
  TempFolder folder;
  // 144 tiles of 160 x 160 pixels at 24 bits: a package of about 11 MB.
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      test::BmpFields tile;
      tile.width = 160;
      tile.height = 160;
      tile.seed = static_cast<uint8_t>(r * kColumns + c);
      test::WriteDiskFile(folder.File(TileFileName(r, c)), test::MakeBmp(tile));
    }
  }
  test::WriteDiskFile(folder.File("base.bmp"), test::MakeBmp(test::BmpFields{}));
  const std::string package = folder.File("Big.klv");

  // The old package: the same name, a smaller grid.
  WritePuzzleIni(folder, 2, 1);
  ASSERT_EQ(RunKlvconv(folder.path()), 0);
  const std::optional<Bytes> old_package = test::ReadDiskFile(package);
  ASSERT_TRUE(old_package.has_value());

  // The new package, and how long writing it takes.
  WritePuzzleIni(folder, kColumns, kRows);
  const auto start = Clock::now();
  ASSERT_EQ(RunKlvconv(folder.path()), 0);
  const auto full_run = Clock::now() - start;
  const std::optional<Bytes> new_package = test::ReadDiskFile(package);
  ASSERT_TRUE(new_package.has_value());
  ASSERT_GT(new_package->size(), size_t{10} << 20);

  // Kill moments spread evenly over 0 to 1.2 times a full run, with random jitter.
  std::mt19937 random(12345);
  const std::vector<std::string> names = test::DiskFolderNames(folder.path());
  int kills = 0, old_seen = 0, new_seen = 0, during_write = 0;
  const auto kills_start = Clock::now();
  for (int i = 0; i < kKills; ++i) {
    if (kills >= kMinKills && Clock::now() - kills_start > kTimeBudget) break;
    test::WriteDiskFile(package, *old_package);
    const double fraction =
        1.2 * (i + std::uniform_real_distribution<double>(0.0, 1.0)(random)) / kKills;
    const auto delay = std::chrono::duration_cast<Clock::duration>(full_run * fraction);
    const pid_t pid = StartKlvconv(folder.path());
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ++kills;

    const std::optional<Bytes> now = test::ReadDiskFile(package);
    ASSERT_TRUE(now.has_value()) << "the package vanished after a kill at " << fraction;
    if (*now == *old_package) {
      ++old_seen;
    } else if (*now == *new_package) {
      ++new_seen;
    } else {
      FAIL() << "after a kill at " << fraction << " of a run the package holds " << now->size()
             << " bytes that are neither the old nor the new package";
    }
    // A kill while the package was being written leaves its temporary file; it is
    // removed here so that forty of them do not fill the disk.
    const std::vector<std::string> now_names = test::DiskFolderNames(folder.path());
    if (now_names != names) {
      ++during_write;
      for (const std::string& name : now_names) {
        if (!std::binary_search(names.begin(), names.end(), name)) {
          std::filesystem::remove(folder.File(name));
        }
      }
    }
  }
  RecordProperty("kills", kills);
  RecordProperty("old_package_kept", old_seen);
  RecordProperty("new_package_complete", new_seen);
  RecordProperty("killed_while_writing", during_write);
  // The earliest kills come long before the pictures are even loaded.
  EXPECT_GT(old_seen, 0);

  // A run killed while writing does not stop the next one.
  test::WriteDiskFile(package, *old_package);
  const pid_t pid = StartKlvconv(folder.path());
  std::this_thread::sleep_for(full_run * 0.9);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(RunKlvconv(folder.path()), 0);
  EXPECT_EQ(test::ReadDiskFile(package), new_package);
}

}  // namespace
}  // namespace klv
