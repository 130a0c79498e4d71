// End-to-end tests of klvmake: the program is run as a user runs it, and its exit status,
// messages and the files it leaves are checked; with destinations laid out by an
// adversarial user, two makes at once, and limits on the child's resources.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "base/platform.h"
#include "format/package_reader.h"
#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"
#include "maker/make.h"
#include "maker/raster.h"

namespace klv {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class KlvmakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("klvmake_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "out");
  }
  void TearDown() override { fs::remove_all(root_); }

  Outcome Run(const std::vector<std::string>& args,
              const std::string& program = std::string(KLV_BINARY_DIR) + "/klvmake") {
    std::string command = Quote(program);
    for (const std::string& arg : args) command += " " + Quote(arg);
    const fs::path err_path = root_ / "stderr.txt";
    command += " 2>" + Quote(err_path.string());
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
    const int raw = pclose(pipe);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.err = ReadText(err_path);
    return outcome;
  }

  // Writes a picture whose pixels never equal white or magenta.
  std::string WritePicture(const std::string& name, int width, int height) {
    Raster picture = Raster::Filled(width, height, 0);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        picture.Set(x, y, static_cast<uint32_t>((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x33));
      }
    }
    const fs::path path = root_ / name;
    EXPECT_TRUE(Env::Default().WriteWholeFile(path.string(), EncodeBitmap24(picture)).ok());
    return path.string();
  }

  std::vector<std::string> FilesIn(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string Out() const { return (root_ / "out").string(); }

  fs::path root_;
};

TEST_F(KlvmakeTest, HelpIsPrinted) {
  const Outcome outcome = Run({"--help"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("Usage: klvmake PICTURE"), std::string::npos);
  EXPECT_NE(outcome.out.find("--seed"), std::string::npos);
}

TEST_F(KlvmakeTest, UsageErrorsExitWithTwoAndSayWhy) {
  const std::string picture = WritePicture("p.bmp", 64, 64);
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const std::vector<Case> cases = {
      {{}, "no picture"},
      {{picture, "--color", "purple"}, "purple"},
      {{picture, "--seed", "-1"}, "--seed"},
      {{picture, "--seed", "4294967296"}, "4294967296"},
      {{picture, "--seed", "12x"}, "--seed"},
      {{picture, "--bogus"}, "--bogus"},
      {{picture, picture}, "would both make the package p.klv"},
      {{picture, "--out"}, "--out needs a value"},
      {{picture, "--name", "cat\xF0\x9F\x98\x80"}, "U+1F600"},
      {{picture, "--comment", "\xE2\x82\xAC"}, "U+20AC"},
      {{picture, "--set-name", "\xC3("}, "not valid UTF-8"},
      {{picture, "--name", "a/b"}, "\"/\""},
      {{picture, "--help=yes"}, "takes no value"},
      {{picture, "--crop", "1x1+99999999999+0"}, "the number 99999999999 is too large"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.status, 2) << outcome.err;
    EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
  }
  EXPECT_TRUE(FilesIn(root_ / "out").empty());
}

TEST_F(KlvmakeTest, FailedMakesExitWithOneAndNameTheFile) {
  const std::string too_large = WritePicture("wide.bmp", 336, 100);
  const std::string good = WritePicture("good.bmp", 64, 64);
  const fs::path corrupt = root_ / "corrupt.bmp";
  std::ofstream(corrupt, std::ios::binary) << "BM not really a bitmap";
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const std::vector<Case> cases = {
      {{too_large, "--out", Out()}, "画像が大きすぎです"},
      {{(root_ / "missing.bmp").string(), "--out", Out()}, "missing.bmp"},
      {{corrupt.string(), "--out", Out()}, "corrupt.bmp"},
      {{good, "--out", (root_ / "no such folder").string()}, "no such folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.said);
    const Outcome outcome = Run(c.args);
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
  }
  EXPECT_TRUE(FilesIn(root_ / "out").empty());
}

TEST_F(KlvmakeTest, FailedConversionExitsWithOneAndRemovesTheWorkFiles) {
  // A folder in the way of the package: FileConv cannot write it.
  fs::create_directories(root_ / "out" / "Z.klv");
  const std::string picture = WritePicture("p.bmp", 96, 96);
  const Outcome outcome = Run({picture, "--out", Out(), "--name", "Z"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("could not write the package"), std::string::npos) << outcome.err;
  EXPECT_EQ(FilesIn(root_ / "out"), std::vector<std::string>{"Z.klv"});
  EXPECT_TRUE(fs::is_directory(root_ / "out" / "Z.klv"));
}

TEST_F(KlvmakeTest, SameSeedGivesTheSamePackageAndOnlyThePackageStays) {
  const std::string picture = WritePicture("sample.pic.bmp", 160, 128);
  fs::create_directories(root_ / "again");
  const std::vector<std::string> options = {"--seed",          "4294967295", "--color",   "Cyan",
                                            "--piece-density", "45",         "--comment", "猫です"};
  std::vector<std::string> first_args = {picture, "--out", Out()};
  first_args.insert(first_args.end(), options.begin(), options.end());
  const Outcome first = Run(first_args);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  EXPECT_NE(first.out.find("ピース数： x = 4 , y = 3"), std::string::npos) << first.out;
  EXPECT_EQ(FilesIn(root_ / "out"), std::vector<std::string>{"sample.klv"});

  std::vector<std::string> second_args = {picture, "--out", (root_ / "again").string()};
  second_args.insert(second_args.end(), options.begin(), options.end());
  ASSERT_EQ(Run(second_args).status, 0);
  const std::string package = ReadText(root_ / "out" / "sample.klv");
  EXPECT_GT(package.size(), 612u + 12 * 64 * 64 * 3);
  EXPECT_EQ(ReadText(root_ / "again" / "sample.klv"), package);

  std::vector<std::string> other_args = {picture, "--out", (root_ / "again").string(), "--seed",
                                         "7"};
  ASSERT_EQ(Run(other_args).status, 0);
  EXPECT_NE(ReadText(root_ / "again" / "sample.klv"), package);
}

// FNV-1a over the bytes: a fingerprint that changes with any byte of a package.
uint64_t Fingerprint(const std::string& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// --seed fixes every byte of the package, on every compiler and processor: these
// fingerprints hold for every build, whatever its optimisation and instruction set.
TEST_F(KlvmakeTest, SeedPinsThePackageBytes) {
  struct Case {
    const char* name;
    int width, height;
    std::vector<std::string> options;
    uint64_t fingerprint;
  };
  const std::vector<Case> cases = {
      {"the default densities", 160, 128, {"--seed", "4242"}, 11133308389357841507ull},
      // Cyan's header bytes are 00 FF FF (the tiles' colour); with the FF FF 00 that the
      // colour number's text "FFFF00" gave, the same package had 5405586969104437343.
      {"a 9 x 9 grid, cyan, other densities",
       320,
       320,
       {"--seed", "4294967295", "--color", "cyan", "--piece-density", "45", "--background-density",
        "60"},
       14310091894450693787ull},
      // The interior cell's last threshold, 0.82528215646743774, equals draw 6236 (r1 of
      // pixel x = 1, y = 14 of cell (1, 1)), so that pixel goes to the fourth tile. Were the
      // multiply and the add fused into one rounding, the threshold would lie just above
      // the draw and the pixel would go to the third.
      {"a threshold equal to a draw",
       96,
       96,
       {"--seed", "0", "--piece-density", "30.112862586975126"},
       2155884018794202531ull},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string picture = WritePicture("pinned.bmp", c.width, c.height);
    std::vector<std::string> args = {picture, "--out", Out(), "--name", "Pinned"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Outcome outcome = Run(args);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const fs::path package = root_ / "out" / "Pinned.klv";
    EXPECT_EQ(Fingerprint(ReadText(package)), c.fingerprint);
    fs::remove(package);
  }
}

TEST_F(KlvmakeTest, PicturesAreFittedCutOrRefusedBeforeAnythingIsWritten) {
  const auto write = [this](const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = root_ / name;
    EXPECT_TRUE(Env::Default().WriteWholeFile(path.string(), bytes).ok());
    return path.string();
  };
  const std::string photo = write("photo.png", test::EncodePngRaster(test::TestPhoto(800, 600)));
  const std::string tiny = WritePicture("tiny.bmp", 48, 100);
  // About 1 KB of run-length bitmap (its palette and an end of bitmap) that declares
  // 8192 x 8192 pixels.
  const std::string bomb = write("bomb.bmp", test::MakeBmp({.width = 8192,
                                                            .height = 8192,
                                                            .bit_count = 8,
                                                            .compression = 1,
                                                            .pixels = test::Bytes{0, 1}}));
  // A 100 x 100 bitmap padded with zeros to just over 256 MiB: refused before it is read.
  const std::string padded = WritePicture("padded.bmp", 100, 100);
  fs::resize_file(padded, (uint64_t{256} << 20) + 1);
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string said;  // on stdout for a package, else on stderr
  };
  const std::vector<Case> cases = {
      {{photo, "--fit"}, 0, "ピース数： x = 9 , y = 7"},
      {{photo, "--crop", "300x200+500+400", "--fit"}, 0, "ピース数： x = 8 , y = 5"},
      {{photo, "--crop", "160x128+0+0"}, 0, "ピース数： x = 4 , y = 3"},
      {{photo},
       1,
       "photo.png: 画像が大きすぎです (800 x 600 pixels; a picture may be at most 335 x "
       "335 pixels; --fit"},
      {{photo, "--crop", "300x201+500+400"},
       2,
       "the crop 300x201+500+400 reaches outside the 800 "
       "x 600 picture"},
      {{tiny}, 1, "tiny.bmp: 画像が小さすぎです (48 x 100 pixels"},
      {{photo, "--crop", "200x48+0+0"}, 1, "画像が小さすぎです (200 x 48 pixels"},
      {{photo, "--crop", "200x49+0+0"}, 0, "ピース数： x = 5 , y = 1"},
      {{bomb}, 1, "bomb.bmp: 画像が大きすぎです (8192 x 8192 pixels"},
      {{padded}, 1, "padded.bmp: cannot read the picture: the file is too large for a picture"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--out", Out(), "--name", "P", "--seed", "5"});
    SCOPED_TRACE(args[0] + " " + args[1]);
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    EXPECT_NE((c.status == 0 ? outcome.out : outcome.err).find(c.said), std::string::npos)
        << outcome.out << outcome.err;
    EXPECT_EQ(FilesIn(root_ / "out"),
              c.status == 0 ? std::vector<std::string>{"P.klv"} : std::vector<std::string>{});
    fs::remove(root_ / "out" / "P.klv");
  }
}

// The kept private folder is printed first, then the package.
TEST_F(KlvmakeTest, KeptWorkFilesHoldTheTextsInCodePage932) {
  const std::string picture = WritePicture("p.bmp", 96, 64);
  const Outcome outcome = Run({picture, "--out", Out(), "--keep-work-files", "--name", "Neko",
                               "--comment", "猫です", "--color", "black", "--seed", "1"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::vector<std::string> out = FilesIn(root_ / "out");
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], "Neko.klv");
  const fs::path kept = root_ / "out" / out[1];
  EXPECT_EQ(outcome.out.substr(outcome.out.find('\n') + 1),
            kept.string() + "\n" + (root_ / "out" / "Neko.klv").string() + "\n");
  EXPECT_EQ(FilesIn(kept),
            (std::vector<std::string>{"Puzzle.ini", "base.bmp", "res0000.bmp", "res0001.bmp"}));
  EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_all);  // the owner's alone
  const std::string ini = ReadText(kept / "Puzzle.ini");
  EXPECT_NE(ini.find("LongPuzzleName=" + Utf8ToCp932("猫です").value()), std::string::npos);
  EXPECT_NE(ini.find("PuzzleSetName=" + Utf8ToCp932("ﾊﾟｽﾞﾙｾｯﾄ名").value()), std::string::npos);
  EXPECT_NE(ini.find("backColor=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("xMax=2\r\n"), std::string::npos) << ini;
  // The kept folder converts to the same package.
  const Outcome converted = Run({kept.string()}, std::string(KLV_BINARY_DIR) + "/klvconv");
  ASSERT_EQ(converted.status, 0) << converted.err;
  EXPECT_EQ(ReadText(kept / "Neko.klv"), ReadText(root_ / "out" / "Neko.klv"));
}

TEST_F(KlvmakeTest, LongTextsAreWarnedAboutAndCutByTheLibrary) {
  const std::string picture = WritePicture("p.bmp", 64, 64);
  const Outcome outcome = Run({picture, "--out", Out(), "--name", "abcdefghijklmnopqrst",
                               "--set-name", "ﾊﾟｽﾞﾙｾｯﾄ名前", "--comment", "two\nlines"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("puzzle name is 20 bytes"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("puzzle-set name is 12 bytes"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("line break"), std::string::npos) << outcome.err;
  EXPECT_EQ(FilesIn(root_ / "out"), std::vector<std::string>{"abcdefghijklmno.klv"});
}

// The warning names the bytes the package really keeps: the cut never splits a
// double-byte character, so a text may keep one byte less than its field's limit.
TEST_F(KlvmakeTest, LongTextWarningsSayHowManyBytesAreKept) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
    std::string warning;
  };
  const std::string kept = " bytes in code page 932; the package keeps its first ";
  std::string cats;  // 128 x 猫, two bytes each in code page 932
  for (int i = 0; i < 128; ++i) cats += "猫";
  const std::vector<Case> cases = {
      {"single-byte name",
       {"--name", "abcdefghijklmnopqrst"},
       "the puzzle name is 20" + kept + "15 bytes"},
      {"name cut before a double-byte character",
       {"--name", "日本語のパズル名前"},
       "the puzzle name is 18" + kept + "14 bytes"},
      {"set name cut after a double-byte character",
       {"--set-name", "ﾊﾟｽﾞﾙｾｯﾄ名前"},
       "the puzzle-set name is 12" + kept + "10 bytes"},
      {"set name cut before a double-byte character",
       {"--set-name", "aﾊﾟｽﾞﾙｾｯﾄ名"},
       "the puzzle-set name is 11" + kept + "9 bytes"},
      {"comment cut before a double-byte character",
       {"--comment", cats},
       "the comment is 256" + kept + "254 bytes"},
  };
  const std::string picture = WritePicture("p.bmp", 64, 64);
  for (const Case& c : cases) {
    std::vector<std::string> args{picture, "--out", Out()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << c.name << ": " << outcome.err;
    EXPECT_NE(outcome.err.find(c.warning), std::string::npos) << c.name << ": " << outcome.err;
  }
}

TEST_F(KlvmakeTest, MissingLibraryFailsAndLeavesNothing) {
  // A copy of klvmake in a folder of its own finds no KLVUtils beside it.
  const fs::path lonely = root_ / "bin" / "klvmake";
  fs::create_directories(lonely.parent_path());
  fs::copy_file(fs::path(KLV_BINARY_DIR) / "klvmake", lonely);
  const std::string picture = WritePicture("p.bmp", 64, 64);
  const Outcome outcome = Run({picture, "--out", Out()}, lonely.string());
  if (outcome.status == 0) GTEST_SKIP() << "KLVUtils is installed on the system search path";
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("KLVUtils"), std::string::npos) << outcome.err;
  EXPECT_TRUE(FilesIn(root_ / "out").empty());
}

// --- The make owns only its own files ----------------------------------------------------

// One entry of a folder tree, as lstat sees it: a link is its target's name, not its file.
struct Entry {
  char kind = '?';  // 'f' file, 'd' folder, 'l' link
  unsigned mode = 0;
  std::string content;  // a file's bytes, a link's target
  friend bool operator==(const Entry&, const Entry&) = default;
  friend void PrintTo(const Entry& e, std::ostream* os) {
    *os << e.kind << " " << std::oct << e.mode << std::dec << " " << e.content.size() << " bytes";
  }
};
using Tree = std::map<std::string, Entry>;

Tree Snapshot(const fs::path& folder) {
  Tree tree;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    struct stat st;
    if (::lstat(it->path().c_str(), &st) != 0) continue;
    Entry entry;
    entry.mode = st.st_mode & 07777;
    if (S_ISLNK(st.st_mode)) {
      entry.kind = 'l';
      entry.content = fs::read_symlink(it->path()).string();
    } else if (S_ISDIR(st.st_mode)) {
      entry.kind = 'd';
    } else {
      entry.kind = 'f';
      entry.content = ReadText(it->path());
    }
    tree[it->path().lexically_relative(folder).string()] = entry;
  }
  return tree;
}

// How a child klvmake runs: its output to files, or its standard output into a pipe
// whose reader has gone; optionally under a file-size limit.
struct Spawned {
  pid_t pid = -1;
  fs::path out, err;
};

// `wrapper`: a program (found on the search path) and its arguments that run klvmake.
Spawned Start(const std::vector<std::string>& args, const fs::path& stem,
              rlim_t file_size_limit = RLIM_INFINITY, bool closed_output = false,
              const std::vector<std::string>& wrapper = {}) {
  Spawned spawned{-1, stem.string() + ".out", stem.string() + ".err"};
  const std::string program = std::string(KLV_BINARY_DIR) + "/klvmake";
  std::vector<char*> argv;
  for (const std::string& arg : wrapper) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  int broken[2] = {-1, -1};
  if (closed_output && ::pipe(broken) != 0) return spawned;
  spawned.pid = ::fork();
  if (spawned.pid == 0) {
    const int out =
        closed_output ? broken[1] : ::open(spawned.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(spawned.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (closed_output) ::close(broken[0]);
    ::dup2(out, 1);
    ::dup2(err, 2);
    const rlimit limit{file_size_limit, file_size_limit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  if (closed_output) {
    ::close(broken[0]);
    ::close(broken[1]);
  }
  return spawned;
}

struct Finished {
  int status = -1;  // the exit code, or 128 + the signal that ended it
  long max_rss_kib = 0;
  std::string out, err;
};

Finished Wait(const Spawned& spawned) {
  Finished finished;
  int raw = 0;
  rusage usage{};
  if (spawned.pid <= 0 || ::wait4(spawned.pid, &raw, 0, &usage) != spawned.pid) return finished;
  finished.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  finished.max_rss_kib = usage.ru_maxrss;
  finished.out = ReadText(spawned.out);
  finished.err = ReadText(spawned.err);
  return finished;
}

// The number of a process that has ended.
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

// Each case runs the real klvmake on a destination laid out as an adversarial user
// would. Whatever it was, nothing in the destination or elsewhere changes but the
// package (and what `gone` names), and the make reports exactly what it did.
TEST_F(KlvmakeTest, TheMakeTouchesOnlyItsOwnFiles) {
  const fs::path out = root_ / "out";
  const fs::path elsewhere = root_ / "elsewhere";
  fs::create_directories(elsewhere);
  const auto user_file = [](const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  };
  const std::string ended = ".klvmake-" + std::to_string(EndedProcess()) + "-";
  const std::string killed = ".klvmake-" + std::to_string(::getpid()) + "-killed";
  HeldWorkFolder running;  // a make that runs on (in another PID namespace, say)
  struct Case {
    const char* name;
    std::function<void()> lay = [] {};
    std::vector<std::string> options;
    int width = 96, height = 96;
    int status = 0;
    std::string said;                  // on stderr
    std::string package;               // the file written, or none
    std::string comment = "コメント";  // the package's LongPuzzleName
    std::vector<std::string> gone;     // entries of the destination the make removes
    rlim_t file_size_limit = RLIM_INFINITY;
    bool closed_output = false;
  };
  const std::vector<Case> cases = {
      {.name = "the user's files with the work files' names",
       .lay =
           [&] {
             for (const char* name : {"base.bmp", "res0000.bmp", "resolve.bmp", "res0000.bmp.1.tmp",
                                      "Cat.klv.4000000.tmp"}) {
               user_file(out / name, name);
             }
             user_file(out / "Puzzle.ini", "[PuzzleData]\r\nPrevPassWord=HACK\r\nxMax=9\r\n");
           },
       .options = {"--name", "Cat"},
       .package = "Cat.klv"},
      {.name = "links in the destination",
       .lay =
           [&] {
             for (const char* name : {"base.bmp", "res0000.bmp", "Puzzle.ini", "Cat.klv"}) {
               user_file(elsewhere / name, "the user's");
               fs::create_symlink(elsewhere / name, out / name);
             }
           },
       .options = {"--name", "Cat"},
       .package = "Cat.klv"},
      {.name = "a comment that adds a key",
       .options = {"--name", "Cat", "--comment", "x\nPrevPassWord=HACK", "--set-name",
                   "s\r[PuzzleData]"},
       .said = "the comment holds a line break",
       .package = "Cat.klv",
       .comment = "x"},
      {.name = "1 x 1",
       .width = 1,
       .height = 1,
       .status = 1,
       .said = "画像が小さすぎです (1 x 1 pixels"},
      {.name = "20 x 20", .width = 20, .height = 20, .status = 1, .said = "画像が小さすぎです"},
      {.name = "335 x 1", .width = 335, .height = 1, .status = 1, .said = "画像が小さすぎです"},
      {.name = "name with blanks",
       .options = {"--name", " X "},
       .said = "leading or trailing blanks",
       .package = "X.klv"},
      {.name = "blank name", .options = {"--name", "   "}, .status = 2, .said = "is empty"},
      {.name = "quoted name", .options = {"--name", "\"X\""}, .status = 2, .said = "quotes"},
      {.name = "tab in the name", .options = {"--name", "a\tb"}, .status = 2, .said = "control"},
      {.name = "line break in the name",
       .options = {"--name", "a\nb"},
       .status = 2,
       .said = "control"},
      // A make holds its folder's lock as long as it runs: its process number, alive or
      // not where this make runs, says nothing.
      {.name = "folders of killed and running makes and look-alikes",
       .lay =
           [&] {
             HeldWorkFolder made;
             ASSERT_TRUE(MakeHeldWorkFolder(Env::Default(), out.string(), &made).ok());
             fs::rename(made.path(), out / killed);  // let go below, as a killed make's
             user_file(out / killed / "res0000.bmp", "debris");
             ASSERT_TRUE(MakeHeldWorkFolder(Env::Default(), out.string(), &running).ok());
             fs::rename(running.path(), out / (ended + "runs01"));
             for (const char* name : {"nolock", "mine01"}) {
               fs::create_directories(out / (ended + name));
               user_file(out / (ended + name) / "res0000.bmp", "the user's");
             }
             user_file(out / (ended + "mine01") / kWorkLockFileName, kWorkLockText);
             user_file(out / (ended + "mine01") / "notes.txt", "the user's");
           },
       .options = {"--name", "Cat"},
       .package = "Cat.klv",
       .gone = {killed, killed + "/res0000.bmp", killed + "/" + kWorkLockFileName}},
      {.name = "file-size limit",
       .options = {"--name", "Cat"},
       .status = 1,
       .said = "File too large",
       .file_size_limit = 8192},
      {.name = "closed standard output",
       .options = {"--name", "Cat"},
       .status = 1,
       .said = "cannot write to the standard output",
       .package = "Cat.klv",
       .closed_output = true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(out);
    fs::remove_all(elsewhere);
    fs::create_directories(out);
    fs::create_directories(elsewhere);
    c.lay();
    const std::string picture = WritePicture("p.bmp", c.width, c.height);
    Tree expected = Snapshot(out);
    for (const std::string& name : c.gone) expected.erase(name);
    const Tree elsewhere_before = Snapshot(elsewhere);
    std::vector<std::string> args = {picture, "--out", out.string(), "--seed", "5"};
    args.insert(args.end(), c.options.begin(), c.options.end());

    const Finished run = Wait(Start(args, root_ / "run", c.file_size_limit, c.closed_output));

    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(Snapshot(elsewhere), elsewhere_before);
    Tree after = Snapshot(out);
    if (!c.package.empty()) {
      ASSERT_EQ(after.count(c.package), 1u);
      EXPECT_EQ(after[c.package].kind, 'f');
      const std::string bytes = after[c.package].content;
      const Package package =
          ReadPackage(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
      EXPECT_TRUE(package.sound());
      ASSERT_TRUE(package.header.has_value());
      EXPECT_EQ(package.header->PrevPassWord, "");
      EXPECT_EQ(package.header->LongPuzzleName, Utf8ToCp932(c.comment).value());
      if (!c.closed_output) {
        EXPECT_EQ(run.out.substr(run.out.find('\n') + 1), (out / c.package).string() + "\n");
      }
      after.erase(c.package);
      expected.erase(c.package);
    }
    EXPECT_EQ(after, expected);
  }
}

// Two makes into one folder at once each give their own package: the same bytes as
// alone with the same seed. Repeated, since a clash shows only in some runs.
TEST_F(KlvmakeTest, MakesIntoOneFolderAtOnceGiveTheirOwnPackages) {
  const std::string a = WritePicture("a.bmp", 160, 128);
  const std::string b = WritePicture("b.bmp", 128, 160);
  const auto args = [&](const std::string& picture, const char* name, const char* seed,
                        const fs::path& folder) {
    return std::vector<std::string>{picture,  "--out", folder.string(), "--name", name,
                                    "--seed", seed};
  };
  fs::create_directories(root_ / "alone");
  ASSERT_EQ(Wait(Start(args(a, "A", "5", root_ / "alone"), root_ / "a")).status, 0);
  ASSERT_EQ(Wait(Start(args(b, "B", "7", root_ / "alone"), root_ / "b")).status, 0);
  const std::string alone_a = ReadText(root_ / "alone" / "A.klv");
  const std::string alone_b = ReadText(root_ / "alone" / "B.klv");
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    const fs::path shared = root_ / ("shared" + std::to_string(round));
    fs::create_directories(shared);
    const Spawned first = Start(args(a, "A", "5", shared), root_ / "a");
    const Spawned second = Start(args(b, "B", "7", shared), root_ / "b");
    const Finished done_first = Wait(first);
    const Finished done_second = Wait(second);
    EXPECT_EQ(done_first.status, 0) << done_first.err;
    EXPECT_EQ(done_second.status, 0) << done_second.err;
    EXPECT_EQ(FilesIn(shared), (std::vector<std::string>{"A.klv", "B.klv"}));
    EXPECT_TRUE(ReadText(shared / "A.klv") == alone_a);
    EXPECT_TRUE(ReadText(shared / "B.klv") == alone_b);
  }
}

// The destination's own Puzzle.ini is never read: a huge one costs a make neither time
// nor memory (measured in the child, by its peak resident size).
TEST_F(KlvmakeTest, AHugePuzzleIniInTheDestinationIsNotRead) {
  const fs::path ini = root_ / "out" / "Puzzle.ini";
  std::ofstream(ini) << "[PuzzleData]\r\n";
  fs::resize_file(ini, 60u << 20);
  const std::string picture = WritePicture("p.bmp", 96, 96);
  const Finished run = Wait(Start({picture, "--out", Out(), "--name", "Cat"}, root_ / "run"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_LT(run.max_rss_kib, 40 * 1024);
  EXPECT_EQ(fs::file_size(ini), 60u << 20);
}

// Makes that run in another PID namespace (containers sharing a volume) know nothing of
// each other's process numbers: a running make's folder is kept by its lock alone, and
// goes once the lock is free.
TEST_F(KlvmakeTest, MakesInAnotherPidNamespaceKeepRunningMakesFolders) {
  const std::vector<std::string> unshare = {"unshare", "--pid", "--fork"};
  if (::geteuid() != 0) GTEST_SKIP() << "a new PID namespace (unshare --pid) needs root";
  if (std::system("unshare --pid --fork true >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "unshare --pid --fork does not run here (no unshare, or not allowed)";
  }
  const std::string picture = WritePicture("p.bmp", 96, 96);
  const std::vector<std::string> args = {picture, "--out", Out(), "--name", "Cat", "--seed", "2"};
  HeldWorkFolder running;  // this process's number means nothing in the new namespace
  ASSERT_TRUE(MakeHeldWorkFolder(Env::Default(), Out(), &running).ok());
  std::ofstream(fs::path(running.path()) / "res0000.bmp") << "a tile being written";
  const Tree held = Snapshot(running.path());

  const Finished beside = Wait(Start(args, root_ / "run", RLIM_INFINITY, false, unshare));
  ASSERT_EQ(beside.status, 0) << beside.err;
  EXPECT_EQ(Snapshot(running.path()), held);

  const std::string path = running.path();
  { HeldWorkFolder killed = std::move(running); }  // let go, as a killed make's
  const Finished after = Wait(Start(args, root_ / "run", RLIM_INFINITY, false, unshare));
  ASSERT_EQ(after.status, 0) << after.err;
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(FilesIn(root_ / "out"), std::vector<std::string>{"Cat.klv"});
}

// A few bytes whose headers claim gigabytes cost what the picture holds, not what its
// headers claim: each is refused, and the make's peak memory stays small.
TEST_F(KlvmakeTest, HostilePicturesTakeNoMoreMemoryThanTheyHold) {
  const struct {
    const char* name;
    test::Bytes bytes;
    const char* said;
  } cases[] = {
      {"text.png", test::PngChunkBomb("tEXt"), "the file ends early"},
      {"ztext.png", test::PngChunkBomb("zTXt"), "the file ends early"},
      {"itext.png", test::PngChunkBomb("iTXt"), "the file ends early"},
      {"palette.png", test::PngChunkBomb("sPLT"), "the file ends early"},
      {"progressive.jpg", test::JpegClaiming(10000, 10000, true), "more than 256 MiB of memory"},
      {"large.webp", test::WebpClaiming(10000, 10000), "unreadable WebP picture"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path picture = root_ / c.name;
    ASSERT_TRUE(Env::Default().WriteWholeFile(picture.string(), c.bytes).ok());
    const Finished run = Wait(Start({picture.string(), "--fit", "--out", Out()}, root_ / "run"));
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
#if !defined(__SANITIZE_ADDRESS__)  // whose shadow memory would be counted too
    EXPECT_LT(run.max_rss_kib, 64 * 1024);
#endif
  }
  EXPECT_TRUE(FilesIn(root_ / "out").empty());
}

// The manifest follows the rule of every output named on the command line: a pipe is
// written in place, an existing file keeps its mode, a new one is its owner's alone (it
// holds passwords).
TEST_F(KlvmakeTest, TheManifestIsWrittenByTheRuleOfNamedOutputs) {
  const std::string picture = WritePicture("p.bmp", 64, 64);
  const fs::path manifest = root_ / "m.tsv";
  const struct {
    const char* name;
    std::function<void()> lay;
    unsigned mode;  // the manifest's afterwards; 0 for a pipe
  } cases[] = {
      {"new", [] {}, 0600},
      {"existing file, the group's too",
       [&] {
         std::ofstream(manifest) << "old";
         fs::permissions(manifest, fs::perms(0640));
       },
       0640},
      {"pipe", [&] { ::mkfifo(manifest.c_str(), 0644); }, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(manifest);
    c.lay();
    // The test holds both ends of a pipe open, so that a make which wrote elsewhere ends
    // the read at once instead of leaving it waiting.
    const int read_end = c.mode == 0 ? ::open(manifest.c_str(), O_RDONLY | O_NONBLOCK) : -1;
    const int write_end = c.mode == 0 ? ::open(manifest.c_str(), O_WRONLY) : -1;
    const Outcome outcome =
        Run({picture, "--out", Out(), "--manifest", manifest.string(), "--seed", "1"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    std::string written;
    if (c.mode != 0) {
      written = ReadText(manifest);
      EXPECT_EQ(fs::status(manifest).permissions(), fs::perms(c.mode));
    } else {
      EXPECT_TRUE(fs::is_fifo(manifest));
      ::close(write_end);
      char buffer[4096];
      for (ssize_t n; (n = ::read(read_end, buffer, sizeof buffer)) > 0;)
        written.append(buffer, static_cast<size_t>(n));
      ::close(read_end);
    }
    EXPECT_EQ(written.rfind(picture + "\tp.klv\tp\t", 0), 0u) << written;
  }
}

}  // namespace
}  // namespace klv
