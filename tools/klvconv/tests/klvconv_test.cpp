// End-to-end tests of klvconv on real folders: the exit statuses, the help text, the
// messages on standard error (one line each), and the package written through the real
// platform layer, compared with the in-memory conversion.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/bytes.h"
#include "base/platform.h"
#include "base/work_folder.h"
#include "conversion/file_conv.h"
#include "conversion/messages.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

using test::Bytes;
using test::MakeBmp;
using test::PuzzleIni;
using test::TempFolder;

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs klvconv with `args`, its output captured in files of `scratch`.
RunResult RunKlvconv(const std::vector<std::string>& args, const TempFolder& scratch) {
  std::string command = Quote(std::string(KLV_BINARY_DIR) + "/klvconv");
  for (const std::string& arg : args) command += " " + Quote(arg);
  const std::string out = scratch.File("stdout"), err = scratch.File("stderr");
  command += " >" + Quote(out) + " 2>" + Quote(err);
  const int raw = std::system(command.c_str());
  RunResult run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadText(out);
  run.err = ReadText(err);
  return run;
}

// The package the in-memory conversion writes for the same files, for comparison.
Bytes ExpectedPackage(const std::string& folder, const std::string& name) {
  test::FakeEnv env;
  for (const std::string& file : test::DiskFolderNames(folder)) {
    if (std::optional<Bytes> bytes = test::ReadDiskFile(folder + "/" + file)) {
      env.AddFile("/fake/" + file, *bytes);
    }
  }
  ConversionState state;
  ConvertWorkFolder(env, state, "/fake");
  return env.files["/fake/" + name];
}

void AddTiles(const TempFolder& folder, int x_max, int y_max) {
  for (int r = 0; r < y_max; ++r) {
    for (int c = 0; c < x_max; ++c) {
      test::WriteDiskFile(folder.File(TileFileName(r, c)),
                          MakeBmp({.width = 64,
                                   .height = 64,
                                   .bit_count = 8,
                                   .seed = static_cast<uint8_t>(r * 9 + c)}));
    }
  }
}

TEST(Klvconv, CommandLineUsage) {
  TempFolder scratch;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* out_has;
    const char* err_has;
  } cases[] = {
      {{"--help"}, 0, "Exit status: 0 when the package was written, 1 when it was not, 2", ""},
      {{"-h"}, 0, "Usage: klvconv", ""},
      {{}, 2, "", "missing FOLDER"},
      {{"a", "b"}, 2, "", "one FOLDER only"},
      {{"--bogus", "a"}, 2, "", "unknown option '--bogus'"},
      {{""}, 2, "", "empty"},
      {{"--", "--help"}, 1, "", "--help: no such folder"},
      {{scratch.File("absent")}, 1, "", "absent: no such folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const RunResult run = RunKlvconv(c.args, scratch);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE(run.out.find(c.out_has), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(c.err_has), std::string::npos) << run.err;
    if (c.status == 0) {
      EXPECT_EQ(run.err, "");
    }
  }
}

TEST(Klvconv, WritesThePackageOfAFolder) {
  TempFolder scratch, work;
  AddTiles(work, 1, 1);
  test::WriteDiskFile(work.File("base.bmp"), MakeBmp({.width = 64, .height = 64}));
  test::WriteDiskText(work.File("Puzzle.ini"), PuzzleIni({{"xMax", "1"}, {"yMax", "1"}}));
  const RunResult run = RunKlvconv({work.path()}, scratch);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  std::optional<Bytes> package = test::ReadDiskFile(work.File("the Puzzle.klv"));
  ASSERT_TRUE(package);
  EXPECT_EQ(GetLe32(package->data() + 4), package->size() - 8);
  EXPECT_EQ(*package, ExpectedPackage(work.path(), "the Puzzle.klv"));
  EXPECT_EQ(test::DiskFolderNames(work.path()),
            (std::vector<std::string>{"Puzzle.ini", "base.bmp", "res0000.bmp", "the Puzzle.klv"}));
}

TEST(Klvconv, TrailingSeparatorAndJapaneseNames) {
  TempFolder scratch, work;
  AddTiles(work, 2, 1);
  test::WriteDiskFile(work.File("base.bmp"), MakeBmp({.width = 96, .height = 64}));
  // PuzzleName "パズル/1" in code page 932, as the maker writes it.
  test::WriteDiskText(
      work.File("Puzzle.ini"),
      PuzzleIni({{"xMax", "2"}, {"yMax", "1"}, {"PuzzleName", "\x83\x70\x83\x59\x83\x8B/1"}}));
  const RunResult run = RunKlvconv({work.path() + "/"}, scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string name = "\xE3\x83\x91\xE3\x82\xBA\xE3\x83\xAB_1.klv";
  std::optional<Bytes> package = test::ReadDiskFile(work.File(name));
  ASSERT_TRUE(package);
  EXPECT_EQ(*package, ExpectedPackage(work.path(), name));
}

TEST(Klvconv, MissingTileKeepsTheEarlierPackage) {
  TempFolder scratch, work;
  AddTiles(work, 3, 2);
  std::filesystem::remove(work.File("res0102.bmp"));
  test::WriteDiskFile(work.File("base.bmp"), MakeBmp({.width = 128, .height = 96}));
  test::WriteDiskText(work.File("Puzzle.ini"),
                      PuzzleIni({{"xMax", "3"}, {"yMax", "2"}, {"PuzzleName", "Cat"}}));
  const Bytes earlier = {'o', 'l', 'd', ' ', 'p', 'a', 'c', 'k'};
  test::WriteDiskFile(work.File("Cat.klv"), earlier);
  const std::vector<std::string> before = test::DiskFolderNames(work.path());

  const RunResult run = RunKlvconv({work.path()}, scratch);
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> expected = {
      MessageText(Message::kLoadFailed, work.File("res0102.bmp")),
      MessageText(Message::kSaveFailed, work.File("Cat.klv"), SaveCause::kPictureMissing,
                  work.File("res0102.bmp"), std::strerror(ENOENT))};
  EXPECT_EQ(Lines(run.err), expected);
  EXPECT_EQ(test::ReadDiskFile(work.File("Cat.klv")), earlier);
  EXPECT_EQ(test::DiskFolderNames(work.path()), before) << "a temporary file was left";
}

TEST(Klvconv, EachMessageIsOneLine) {
  TempFolder scratch, parent;
  const std::string work = parent.File("two\nlines");
  std::filesystem::create_directory(work);
  test::WriteDiskText(work + "/Puzzle.ini", PuzzleIni({{"xMax", "1"}, {"yMax", "1"}}));
  const RunResult run = RunKlvconv({work}, scratch);
  EXPECT_EQ(run.status, 1);
  // No pictures, so message 5 for the tile and the base, then the save failure.
  const std::vector<std::string> lines = Lines(run.err);
  ASSERT_EQ(lines.size(), 3u) << run.err;
  EXPECT_EQ(lines[1], MessageText(Message::kLoadFailed, parent.File("two lines/base.bmp")));
}

TEST(Klvconv, GridBeyondTheTableIsRefused) {
  TempFolder scratch, work;
  test::WriteDiskText(work.File("Puzzle.ini"),
                      PuzzleIni({{"xMax", "2000000000"}, {"yMax", "2000000000"}}));
  test::WriteDiskFile(work.File("base.bmp"), MakeBmp({}));
  const RunResult run = RunKlvconv({work.path()}, scratch);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.err),
            std::vector<std::string>{MessageText(Message::kGridRefused, work.File("Puzzle.ini"))});
  EXPECT_EQ(test::DiskFolderNames(work.path()),
            (std::vector<std::string>{"Puzzle.ini", "base.bmp"}));
}

// Runs klvconv on `folder` with its signals at their defaults, `before_exec` applied in
// the child (limits, standard error); returns the raw wait status and the child's usage.
int RunKlvconvChild(const std::string& folder, const std::function<void()>& before_exec,
                    rusage* usage) {
  const std::string program = std::string(KLV_BINARY_DIR) + "/klvconv";
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGPIPE, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
    before_exec();
    execl(program.c_str(), program.c_str(), folder.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  wait4(pid, &status, 0, usage);
  return status;
}

// What an adversarial user can put in and around the folder: klvconv writes only its
// package (never through a link) and turns a failing write into an error with the
// system's reason, never a signal or a half-written package.
TEST(Klvconv, FoldersSetUpAgainstIt) {
  TempFolder scratch;
  const std::string err = scratch.File("stderr");
  const auto err_to_file = [&] { dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2); };
  const pid_t gone = fork();  // a process id that no process has any more
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string stale = "Cat.klv." + std::to_string(gone) + ".tmp";
  struct Case {
    const char* name;
    std::function<void()> before_exec;
    const char* link;  // a link of this name to a file outside the folder
    int exit_status;
    const char* err_has;
    const char* user_file = nullptr;  // a file of the user's with this name, which stays
  } cases[] = {
      {"package name is a link", err_to_file, "Cat.klv", 0, ""},
      {"dead temporary file is a link", err_to_file, stale.c_str(), 0, ""},
      // Only a file that shows it was the package writer's (its lock free, an unfinished
      // package) is removed; the name's shape and a dead process number prove nothing.
      {"the user's file named as a dead temporary file", err_to_file, nullptr, 0, "",
       stale.c_str()},
      {"file-size limit",
       [&] {
         const rlimit limit = {1024, 1024};
         setrlimit(RLIMIT_FSIZE, &limit);
         err_to_file();
       },
       nullptr, 1, std::strerror(EFBIG)},
      {"standard error a pipe without reader",
       [] {
         int fds[2];
         (void)!pipe(fds);
         close(fds[0]);
         dup2(fds[1], 2);
       },
       nullptr, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder work, elsewhere;
    AddTiles(work, 2, 1);
    // Without base.bmp there are messages to write; with it, a package to write.
    if (c.exit_status == 0 || c.err_has[0] != '\0') {
      test::WriteDiskFile(work.File("base.bmp"), MakeBmp({.width = 96, .height = 64}));
    }
    test::WriteDiskText(work.File("Puzzle.ini"),
                        PuzzleIni({{"xMax", "2"}, {"yMax", "1"}, {"PuzzleName", "Cat"}}));
    const Bytes mine = {'m', 'i', 'n', 'e'};
    test::WriteDiskFile(elsewhere.File("mine"), mine);
    std::vector<std::string> names = test::DiskFolderNames(work.path());
    if (c.link != nullptr) {
      std::filesystem::create_symlink(elsewhere.File("mine"), work.File(c.link));
      names.push_back(c.link);
    }
    if (c.user_file != nullptr) {
      test::WriteDiskFile(work.File(c.user_file), mine);
      names.push_back(c.user_file);
    }
    std::filesystem::remove(err);

    rusage usage;
    const int status = RunKlvconvChild(work.path(), c.before_exec, &usage);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), c.exit_status) << ReadText(err);
    EXPECT_NE(ReadText(err).find(c.err_has), std::string::npos) << ReadText(err);
    EXPECT_EQ(test::ReadDiskFile(elsewhere.File("mine")), mine);
    if (c.user_file != nullptr) {
      EXPECT_EQ(test::ReadDiskFile(work.File(c.user_file)), mine);
    }
    if (c.exit_status == 0) {
      names.push_back("Cat.klv");
      EXPECT_FALSE(std::filesystem::is_symlink(work.File("Cat.klv")));
      EXPECT_EQ(test::ReadDiskFile(work.File("Cat.klv")), ExpectedPackage(work.path(), "Cat.klv"));
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    EXPECT_EQ(test::DiskFolderNames(work.path()), names);
  }
}

// GCC marks a build with the address sanitizer by __SANITIZE_ADDRESS__; clang answers
// __has_feature(address_sanitizer).
#if defined(__SANITIZE_ADDRESS__)
#define KLV_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KLV_ADDRESS_SANITIZER
#endif
#endif

// klvconv holds one picture at a time: five pictures of 12 MiB each (a 2 x 2 grid and
// the base) must not raise its peak memory above what two of them take.
TEST(Klvconv, PeakMemoryStaysNearOnePicture) {
#ifdef KLV_ADDRESS_SANITIZER
  GTEST_SKIP() << "the address sanitizer's shadow memory would be measured too";
#endif
  TempFolder work;
  const Bytes picture = MakeBmp({.width = 2048, .height = 2048, .bit_count = 24});
  for (const char* name :
       {"res0000.bmp", "res0001.bmp", "res0100.bmp", "res0101.bmp", "base.bmp"}) {
    test::WriteDiskFile(work.File(name), picture);
  }
  test::WriteDiskText(work.File("Puzzle.ini"),
                      PuzzleIni({{"xMax", "2"}, {"yMax", "2"}, {"PuzzleName", "Big"}}));
  rusage usage = {};
  const int status = RunKlvconvChild(
      work.path(), [] {}, &usage);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const long peak_kib = usage.ru_maxrss;  // Linux counts it in KiB
  EXPECT_LT(peak_kib, static_cast<long>(2 * picture.size() / 1024))
      << "peak " << peak_kib << " KiB";
  std::optional<Bytes> package = test::ReadDiskFile(work.File("Big.klv"));
  ASSERT_TRUE(package);
  EXPECT_EQ(package->size(), 8 + 4 + 8 + 592 + 5 * (8 + picture.size()));
}

}  // namespace
}  // namespace klv
