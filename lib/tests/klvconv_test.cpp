// End-to-end tests of libKLVUtils and klvconv on real folders: the exit statuses, the
// help text, the messages on standard error (one line each), and the package written
// through the real platform layer, compared with the in-memory conversion.
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
#include "base/klvutils_client.h"
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
  test::WriteDiskFile(work.File("base.bmp"), MakeBmp({.width = 1, .height = 1}));
  const RunResult run = RunKlvconv({work.path()}, scratch);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  std::optional<Bytes> package = test::ReadDiskFile(work.File("the Puzzle.klv"));
  ASSERT_TRUE(package);
  ASSERT_EQ(package->size(), 678u);
  EXPECT_EQ(GetLe32(package->data() + 4), 670u);
  EXPECT_EQ(*package, ExpectedPackage(work.path(), "the Puzzle.klv"));
  EXPECT_EQ(test::DiskFolderNames(work.path()),
            (std::vector<std::string>{"base.bmp", "the Puzzle.klv"}));
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
                  work.File("res0102.bmp"))};
  EXPECT_EQ(Lines(run.err), expected);
  EXPECT_EQ(test::ReadDiskFile(work.File("Cat.klv")), earlier);
  EXPECT_EQ(test::DiskFolderNames(work.path()), before) << "a temporary file was left";
}

TEST(Klvconv, EachMessageIsOneLine) {
  TempFolder scratch, parent;
  const std::string work = parent.File("two\nlines");
  std::filesystem::create_directory(work);
  const RunResult run = RunKlvconv({work}, scratch);
  EXPECT_EQ(run.status, 1);
  // No base picture, so message 5, then the save failure.
  const std::vector<std::string> lines = Lines(run.err);
  ASSERT_EQ(lines.size(), 2u) << run.err;
  EXPECT_EQ(lines[0], MessageText(Message::kLoadFailed, parent.File("two lines/base.bmp")));
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

// How the adversarial rows run klvconv: plainly, under a file-size limit of 1 KiB, or with
// its standard error a pipe whose reader is gone. Signals at their defaults either way.
enum class Setting { kPlain, kFileSizeLimit, kClosedPipe };

struct ChildRun {
  int exit_status = -1;  // -1 when a signal ended it
  int signal = 0;
  std::string err;
};

ChildRun RunKlvconvWith(Setting setting, const std::string& folder, const TempFolder& scratch) {
  const std::string program = std::string(KLV_BINARY_DIR) + "/klvconv";
  const std::string err_path = scratch.File("stderr");
  int pipe_fds[2] = {-1, -1};
  if (setting == Setting::kClosedPipe && pipe(pipe_fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGPIPE, SIG_DFL);
    signal(SIGXFSZ, SIG_DFL);
    int err_fd;
    if (setting == Setting::kClosedPipe) {
      close(pipe_fds[0]);
      err_fd = pipe_fds[1];
    } else {
      err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    dup2(err_fd, 2);
    if (setting == Setting::kFileSizeLimit) {
      const rlimit limit = {1024, 1024};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    execl(program.c_str(), program.c_str(), folder.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (setting == Setting::kClosedPipe) {
    close(pipe_fds[0]);
    close(pipe_fds[1]);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  ChildRun run;
  if (WIFEXITED(raw)) run.exit_status = WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) run.signal = WTERMSIG(raw);
  if (setting != Setting::kClosedPipe) run.err = ReadText(err_path);
  return run;
}

// A process id that no process has: a child that has ended and been waited for.
pid_t GonePid() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

// What an adversarial user can put in and around the folder: klvconv writes only its
// package (never through a link), removes only its own dead temporary files, and turns a
// failing write into an error with the system's reason, never a half-written package.
TEST(Klvconv, FoldersSetUpAgainstIt) {
  const Bytes kOutside = {'m', 'i', 'n', 'e'};
  const std::string stale = "Cat.klv." + std::to_string(GonePid()) + ".tmp";
  struct Case {
    const char* name;
    Setting setting;
    bool drop_tile;  // res0000.bmp missing, so that messages are written
    std::function<void(const TempFolder& work, const std::string& outside)> arrange;
    int exit_status;
    const char* err_has;
    std::vector<std::string> names;  // the folder afterwards, besides the work files
  } cases[] = {
      {"package name is a link",
       Setting::kPlain,
       false,
       [](const TempFolder& work, const std::string& outside) {
         std::filesystem::create_symlink(outside, work.File("Cat.klv"));
       },
       0,
       "",
       {"Cat.klv"}},
      {"dead temporary file is a link",
       Setting::kPlain,
       false,
       [&](const TempFolder& work, const std::string& outside) {
         std::filesystem::create_symlink(outside, work.File(stale));
       },
       0,
       "",
       {"Cat.klv", stale}},
      {"dead temporary file is removed",
       Setting::kPlain,
       false,
       [&](const TempFolder& work, const std::string&) {
         test::WriteDiskFile(work.File(stale), {'x'});
       },
       0,
       "",
       {"Cat.klv"}},
      {"file-size limit",
       Setting::kFileSizeLimit,
       false,
       [](const TempFolder&, const std::string&) {},
       1,
       std::strerror(EFBIG),
       {}},
      {"closed standard error",
       Setting::kClosedPipe,
       true,
       [](const TempFolder&, const std::string&) {},
       1,
       "",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder scratch, work, elsewhere;
    AddTiles(work, 2, 1);
    if (c.drop_tile) std::filesystem::remove(work.File("res0000.bmp"));
    test::WriteDiskFile(work.File("base.bmp"), MakeBmp({.width = 96, .height = 64}));
    test::WriteDiskText(work.File("Puzzle.ini"),
                        PuzzleIni({{"xMax", "2"}, {"yMax", "1"}, {"PuzzleName", "Cat"}}));
    const std::string outside = elsewhere.File("outside.klv");
    test::WriteDiskFile(outside, kOutside);
    const std::vector<std::string> work_files = test::DiskFolderNames(work.path());
    c.arrange(work, outside);

    const ChildRun run = RunKlvconvWith(c.setting, work.path(), scratch);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exit_status, c.exit_status) << run.err;
    EXPECT_NE(run.err.find(c.err_has), std::string::npos) << run.err;
    std::vector<std::string> names = work_files;
    names.insert(names.end(), c.names.begin(), c.names.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(test::DiskFolderNames(work.path()), names);
    EXPECT_EQ(test::ReadDiskFile(outside), kOutside);
    EXPECT_EQ(test::DiskFolderNames(elsewhere.path()), std::vector<std::string>{"outside.klv"});
    if (c.exit_status == 0) {
      EXPECT_FALSE(std::filesystem::is_symlink(work.File("Cat.klv")));
      EXPECT_EQ(test::ReadDiskFile(work.File("Cat.klv")), ExpectedPackage(work.path(), "Cat.klv"));
    }
  }
}

// klvconv holds one picture at a time: five pictures of 12 MiB each (a 2 x 2 grid and
// the base) must not raise its peak memory above what two of them take.
TEST(Klvconv, PeakMemoryStaysNearOnePicture) {
  TempFolder work;
  const Bytes picture = MakeBmp({.width = 2048, .height = 2048, .bit_count = 24});
  for (const char* name :
       {"res0000.bmp", "res0001.bmp", "res0100.bmp", "res0101.bmp", "base.bmp"}) {
    test::WriteDiskFile(work.File(name), picture);
  }
  test::WriteDiskText(work.File("Puzzle.ini"),
                      PuzzleIni({{"xMax", "2"}, {"yMax", "2"}, {"PuzzleName", "Big"}}));
  const std::string program = std::string(KLV_BINARY_DIR) + "/klvconv";
  const pid_t pid = fork();
  if (pid == 0) {
    execl(program.c_str(), program.c_str(), work.path().c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage = {};
  ASSERT_EQ(wait4(pid, &status, 0, &usage), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const long peak_kib = usage.ru_maxrss;  // Linux counts it in KiB
  EXPECT_LT(peak_kib, static_cast<long>(2 * picture.size() / 1024))
      << "peak " << peak_kib << " KiB";
  std::optional<Bytes> package = test::ReadDiskFile(work.File("Big.klv"));
  ASSERT_TRUE(package);
  EXPECT_EQ(package->size(), 8 + 4 + 8 + 592 + 5 * (8 + picture.size()));
}

// The exports called directly, as a host program binds them.
TEST(KLVUtilsLibrary, ExportsReportThroughTheInstalledHandler) {
  std::unique_ptr<SharedLibrary> library;
  ASSERT_TRUE(Env::Default().LoadSharedLibrary("KLVUtils", &library).ok());
  auto file_conv = reinterpret_cast<FileConvFunction>(library->FindEntry("FileConv"));
  auto set_handler =
      reinterpret_cast<KLVSetMessageHandlerFunction>(library->FindEntry("KLVSetMessageHandler"));
  ASSERT_TRUE(file_conv);
  ASSERT_TRUE(set_handler);
  EXPECT_EQ(file_conv(nullptr), 0);

  std::vector<std::string> messages;
  // The handler must not outlive `messages`, whatever the assertions do.
  struct Restore {
    KLVSetMessageHandlerFunction set;
    ~Restore() { set(nullptr, nullptr); }
  } restore{set_handler};
  set_handler(
      [](const char* text, void* context) {
        static_cast<std::vector<std::string>*>(context)->push_back(text);
      },
      &messages);
  TempFolder work;
  EXPECT_EQ(file_conv(work.path().c_str()), 0);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], MessageText(Message::kLoadFailed, work.File("base.bmp")));

  test::WriteDiskFile(work.File("base.bmp"), MakeBmp({}));
  messages.clear();
  EXPECT_EQ(file_conv(work.path().c_str()), 1);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace klv
