// Tests of klvmake's puzzle sets: the pictures of a folder, the names and the duplicate
// check, the seeds; and whole runs of klvmake: the chain and the manifest, the same
// packages whatever the parallelism, a failed picture among good ones, and the progress
// line, which appears under a pseudo-terminal and never in a pipe.
#include "puzzle_set.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "base/package_reader.h"
#include "maker/bitmap_codec.h"
#include "maker/make_values.h"

namespace klv {
namespace {

namespace fs = std::filesystem;

std::vector<ProgramArgument> Args(const std::vector<std::string>& texts) {
  std::vector<ProgramArgument> args;
  for (const std::string& text : texts) args.push_back(ProgramArgument{text, text});
  return args;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PuzzleSet, PackageNamesAndTheirDuplicates) {
  const struct {
    std::vector<std::string> pictures;
    bool with_name;    // with --name
    const char* said;  // the error, or "" with the packages below
    std::vector<std::string> packages;
  } cases[] = {
      {{"d/cat.bmp", "e/dog.png"}, false, "", {"cat.klv", "dog.klv"}},
      {{"x/cat.bmp", "y/cat.png"}, false, "\"x/cat.bmp\" and \"y/cat.png\" would both", {}},
      {{"a.one.bmp", "a.two.bmp"}, false, "would both make the package a.klv", {}},
      // The library keeps 15 bytes of the name: these differ only after them.
      {{"abcdefghijklmnoX.bmp", "abcdefghijklmnoY.bmp"}, false, "abcdefghijklmno.klv", {}},
      {{"Cat.bmp", "cat.bmp"}, false, "", {"Cat.klv", "cat.klv"}},  // Linux tells them apart
      {{"ネコ.bmp", "ネコ2.bmp"}, false, "", {"ネコ.klv", "ネコ2.klv"}},
      {{"p.bmp", "q.bmp"}, true, "--name names one puzzle", {}},
      {{"p.bmp"}, true, "", {"n.klv"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pictures[0]);
    Options options;
    if (c.with_name) options.name = "n";
    options.pictures = Args(c.pictures);
    std::string error;
    const auto puzzles = PlanPuzzleSet(options, options.pictures, 1, &error);
    EXPECT_EQ(puzzles.has_value(), *c.said == '\0') << error;
    EXPECT_NE(error.find(c.said), std::string::npos) << error;
    std::vector<std::string> packages;
    for (const SetPuzzle& puzzle : puzzles.value_or(std::vector<SetPuzzle>{})) {
      packages.push_back(puzzle.packageName);
    }
    EXPECT_EQ(packages, c.packages);
  }
}

TEST(PuzzleSet, SeedsOfASet) {
  std::string error;
  const auto puzzles = PlanPuzzleSet(Options(), Args({"a.bmp", "b.bmp"}), 77, &error);
  ASSERT_TRUE(puzzles) << error;
  // The first puzzle is the one-picture make's: its password comes from the seed itself.
  RandomSource single(77);
  EXPECT_EQ((*puzzles)[0].password, MakePuzzlePassword(single));
  EXPECT_FALSE((*puzzles)[1].prevPassword.has_value());  // without --chain the key stays unwritten
  // Neighbouring base seeds must not give the same sets shifted by one picture.
  std::set<uint32_t> seeds;
  for (uint32_t base : {0u, 1u, 2u}) {
    for (size_t i = 0; i < 300; ++i) seeds.insert(SetSeed(base, i));
  }
  EXPECT_EQ(seeds.size(), 900u);
}

TEST(PuzzleSet, AFolderGivesItsPicturesInNameOrder) {
  const fs::path folder = fs::temp_directory_path() / ("klv_set_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "sub.bmp");
  for (const char* name : {"b.png", "a.bmp", "notes.txt", "C.JPG"}) {
    std::ofstream(folder / name) << "x";
  }
  std::string error;
  const auto pictures = ListSetPictures(Env::Default(), Args({folder.string()}), &error);
  ASSERT_TRUE(pictures) << error;
  std::vector<std::string> names;
  for (const ProgramArgument& picture : *pictures) {
    names.push_back(fs::path(*picture.path).filename().string());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"C.JPG", "a.bmp", "b.png"}));

  EXPECT_FALSE(ListSetPictures(Env::Default(), Args({"p.bmp", folder.string()}), &error));
  EXPECT_NE(error.find("give one folder alone"), std::string::npos) << error;
  EXPECT_FALSE(ListSetPictures(Env::Default(), Args({(folder / "sub.bmp").string()}), &error));
  EXPECT_NE(error.find("no picture"), std::string::npos) << error;
  fs::remove_all(folder);
}

// Whole runs of klvmake on pictures in a fresh folder.
class KlvmakeSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("klvmake_set_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "pics");
    for (int i = 0; i < 5; ++i) {
      Raster picture = Raster::Filled(96 + 32 * (i % 2), 96, 0);
      for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) picture.Set(x, y, (x * 7 + y * i) & 0xFFFFFF);
      }
      const fs::path path = root_ / "pics" / ("p" + std::to_string(i) + ".bmp");
      EXPECT_TRUE(Env::Default().WriteWholeFile(path.string(), EncodeBitmap24(picture)).ok());
    }
  }
  void TearDown() override { fs::remove_all(root_); }

  std::vector<std::string> Command(const std::string& out, std::vector<std::string> more) {
    std::vector<std::string> args = {std::string(KLV_BINARY_DIR) + "/klvmake",
                                     (root_ / "pics").string(), "--out", out};
    fs::create_directories(out);
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // Runs with stdout and stderr in files: no terminal.
  int Run(const std::vector<std::string>& args, std::string* out, std::string* err) {
    std::string command;
    for (const std::string& arg : args) command += "'" + arg + "' ";
    const int raw = std::system((command + ">'" + (root_ / "out.txt").string() + "' 2>'" +
                                 (root_ / "err.txt").string() + "'")
                                    .c_str());
    *out = ReadText(root_ / "out.txt");
    *err = ReadText(root_ / "err.txt");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

  std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path root_;
};

TEST_F(KlvmakeSetTest, OneJobAndFourMakeTheSameChainedPackages) {
  std::string out, err;
  const fs::path one = root_ / "one", four = root_ / "four";
  const fs::path manifest = root_ / "m.tsv";
  ASSERT_EQ(Run(Command(one.string(), {"--seed", "3", "-j", "1", "--chain"}), &out, &err), 0)
      << err;
  ASSERT_EQ(Run(Command(four.string(),
                        {"--seed", "3", "-j4", "--chain", "--manifest", manifest.string()}),
                &out, &err),
            0)
      << err;
  EXPECT_NE(out.find("5 of 5 puzzles made"), std::string::npos) << out;
  const std::vector<std::string> packages = {"p0.klv", "p1.klv", "p2.klv", "p3.klv", "p4.klv"};
  ASSERT_EQ(FilesIn(one), packages);  // no work file or private folder stays
  ASSERT_EQ(FilesIn(four), packages);

  // The manifest's passwords are the packages' own, and each package names the one before.
  std::string expected_manifest, previous;
  for (size_t i = 0; i < packages.size(); ++i) {
    const std::string bytes = ReadText(one / packages[i]);
    EXPECT_EQ(ReadText(four / packages[i]), bytes) << packages[i];
    const Package package =
        ReadPackage(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    ASSERT_TRUE(package.header);
    EXPECT_EQ(package.header->PrevPassWord, previous);
    previous = package.header->PassWord;
    expected_manifest += (root_ / "pics" / ("p" + std::to_string(i) + ".bmp")).string() + "\t" +
                         packages[i] + "\tp" + std::to_string(i) + "\t" + previous + "\t" +
                         package.header->PrevPassWord + (i % 2 ? "\t3x2\n" : "\t2x2\n");
  }
  EXPECT_EQ(ReadText(manifest), expected_manifest);
}

TEST_F(KlvmakeSetTest, AFailedPictureIsReportedAndTheOthersAreMade) {
  std::ofstream(root_ / "pics" / "p2.bmp", std::ios::binary) << "BM not a bitmap";
  std::string out, err;
  const fs::path dest = root_ / "dest";
  EXPECT_EQ(
      Run(Command(dest.string(), {"-j", "2", "--manifest", (root_ / "m").string()}), &out, &err),
      1);
  EXPECT_NE(err.find("p2.bmp: cannot read the picture"), std::string::npos) << err;
  EXPECT_EQ(err.find('\r'), std::string::npos) << err;  // no progress line without a terminal
  EXPECT_NE(out.find("4 of 5 puzzles made"), std::string::npos) << out;
  EXPECT_NE(out.find("1 failed"), std::string::npos) << out;
  EXPECT_EQ(FilesIn(dest), (std::vector<std::string>{"p0.klv", "p1.klv", "p3.klv", "p4.klv"}));
  const std::string manifest = ReadText(root_ / "m");
  EXPECT_EQ(std::count(manifest.begin(), manifest.end(), '\n'), 4);
  EXPECT_EQ(manifest.find("p2.bmp"), std::string::npos);
}

TEST_F(KlvmakeSetTest, ProgressIsDrawnOnATerminal) {
  const std::vector<std::string> args = Command((root_ / "dest").string(), {"-j", "1"});
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  std::string seen;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(terminal, buffer, sizeof buffer)) > 0) seen.append(buffer, n);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(terminal);
  EXPECT_EQ(WEXITSTATUS(status), 0) << seen;
  EXPECT_NE(seen.find("\r[0/5] " + (root_ / "pics" / "p0.bmp").string()), std::string::npos)
      << seen;
  EXPECT_NE(seen.find("[4/5] "), std::string::npos) << seen;
  EXPECT_NE(seen.find(" left"), std::string::npos) << seen;
  EXPECT_NE(seen.find("5 of 5 puzzles made"), std::string::npos) << seen;
}

}  // namespace
}  // namespace klv
