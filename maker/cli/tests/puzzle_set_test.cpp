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
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "format/package_reader.h"
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

TEST(PuzzleSet, PackageNamesTheirDuplicatesAndPicturesLeftOut) {
  const struct {
    std::vector<std::string> pictures;
    bool with_name;    // with --name
    const char* said;  // the error, or "" with the packages below
    std::vector<std::string> packages;
    const char* left_out = "";  // the cause of the one picture left out
  } cases[] = {
      {{"d/cat.bmp", "e/dog.png"}, false, "", {"cat.klv", "dog.klv"}},
      {{"x/cat.bmp", "y/cat.png"}, false, "\"x/cat.bmp\" and \"y/cat.png\" would both", {}},
      {{"a.one.bmp", "a.two.bmp"}, false, "would both make the package a.klv", {}},
      // The library keeps 15 bytes of the name: these differ only after them.
      {{"abcdefghijklmnoX.bmp", "abcdefghijklmnoY.bmp"}, false, "abcdefghijklmno.klv", {}},
      // The library writes "\" (and "¥", which is "\" in code page 932) as "_".
      {{"a\\b.bmp", "a_b.bmp"},
       false,
       "\"a\\b.bmp\" and \"a_b.bmp\" would both make "
       "the package a_b.klv",
       {}},
      {{"\u00A5yen.bmp"}, false, "", {"_yen.klv"}},
      {{"Cat.bmp", "cat.bmp"}, false, "", {"Cat.klv", "cat.klv"}},  // Linux tells them apart
      {{"ネコ.bmp", "ネコ2.bmp"}, false, "", {"ネコ.klv", "ネコ2.klv"}},
      {{"p.bmp", "q.bmp"}, true, "--name names one puzzle", {}},
      {{"p.bmp"}, true, "", {"n.klv"}},
      // A picture whose name cannot name a package is left out alone.
      {{"p.bmp", "'q'.bmp", "r.bmp"},
       false,
       "",
       {"p.klv", "r.klv"},
       "\"'q'\" is enclosed in quotes, which the package would not keep (proposed from the "
       "picture's file name; rename the picture)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pictures[0]);
    Options options;
    if (c.with_name) options.name = "n";
    options.pictures = Args(c.pictures);
    std::string error;
    std::vector<SetFailure> left_out;
    const auto puzzles = PlanPuzzleSet(options, options.pictures, 1, &left_out, &error);
    EXPECT_EQ(puzzles.has_value(), *c.said == '\0') << error;
    EXPECT_NE(error.find(c.said), std::string::npos) << error;
    std::vector<std::string> packages;
    for (const SetPuzzle& puzzle : puzzles.value_or(std::vector<SetPuzzle>{})) {
      packages.push_back(puzzle.packageName);
    }
    EXPECT_EQ(packages, c.packages);
    ASSERT_EQ(left_out.size(), *c.left_out ? 1u : 0u);
    if (!left_out.empty()) {
      EXPECT_NE(left_out[0].cause.find(c.left_out), std::string::npos) << left_out[0].cause;
    }
  }
}

TEST(PuzzleSet, SeedsAndPasswordsKeepTheirPlace) {
  std::string error;
  std::vector<SetFailure> left_out;
  auto puzzles =
      PlanPuzzleSet(Options(), Args({"a.bmp", "'b'.bmp", "c.bmp"}), 77, &left_out, &error);
  ASSERT_TRUE(puzzles) << error;
  ASSERT_EQ(puzzles->size(), 2u);
  LinkPuzzleSet(*puzzles, false);
  EXPECT_FALSE((*puzzles)[1].prevPassword.has_value());  // without --chain the key stays unwritten
  LinkPuzzleSet(*puzzles, true);
  // The first puzzle is the one-picture make's: its password comes from the seed itself.
  RandomSource single(77);
  EXPECT_EQ((*puzzles)[0].password, MakePuzzlePassword(single));
  // The third picture keeps its place's seed, and links to the first.
  EXPECT_EQ((*puzzles)[1].seed, SetSeed(77, 2));
  RandomSource third(SetSeed(77, 2));
  EXPECT_EQ((*puzzles)[1].password, MakePuzzlePassword(third));
  EXPECT_EQ((*puzzles)[0].prevPassword, "");
  EXPECT_EQ((*puzzles)[1].prevPassword, (*puzzles)[0].password);
  // Neighbouring base seeds must not give the same sets shifted by one picture.
  std::set<uint32_t> seeds;
  for (uint32_t base : {0u, 1u, 2u}) {
    for (size_t i = 0; i < 300; ++i) seeds.insert(SetSeed(base, i));
  }
  EXPECT_EQ(seeds.size(), 900u);
}

TEST(PuzzleSet, AFolderGivesItsPicturesInNameOrderButNotItsHiddenFiles) {
  const fs::path folder = fs::temp_directory_path() / ("klv_set_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder / "sub.bmp");
  for (const char* name : {"b.png", "a.bmp", "notes.txt", "C.JPG", "._b.png", ".d.bmp"}) {
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

// The manifest never replaces what the set reads or writes, however the path is spelt.
TEST(PuzzleSet, AManifestInThePlaceOfThePicturesPackagesOrWorkFoldersIsRefused) {
  const fs::path root = fs::temp_directory_path() / ("klv_manifest_" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "d" / ".klvmake-1-abcdef");
  std::ofstream(root / "a.bmp") << "x";
  const std::string d = (root / "d").string();
  std::string error;
  std::vector<SetFailure> left_out;
  const std::vector<ProgramArgument> pictures = Args({(root / "a.bmp").string(), "b.bmp"});
  const auto puzzles = PlanPuzzleSet(Options(), pictures, 1, &left_out, &error);
  ASSERT_TRUE(puzzles) << error;
  const struct {
    std::string manifest;
    std::string said;  // "" when it may be written
  } cases[] = {
      {d + "/a.klv", "would replace the package a.klv of " + (root / "a.bmp").string()},
      {d + "/../d/b.klv", "would replace the package b.klv of b.bmp"},
      {(root / "a.bmp").string(), "would replace the picture "},
      {d + "/.klvmake-1-abcdef/m.tsv", "work folder"},
      {d + "/klvmake-work-ABCDEF", "work folder"},
      {d + "/c.klv", ""},
      {(root / "a.klv").string(), ""},  // beside the pictures, not in the destination
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.manifest);
    const std::string conflict = ManifestConflict(c.manifest, d, *puzzles, pictures);
    EXPECT_EQ(conflict.empty(), c.said.empty()) << conflict;
    EXPECT_NE(conflict.find(c.said), std::string::npos) << conflict;
  }
  fs::remove_all(root);
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

// The manifest's lines by picture file name: {package, password, previous password}.
std::map<std::string, std::vector<std::string>> ManifestLines(const std::string& text) {
  std::map<std::string, std::vector<std::string>> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::istringstream columns(line);
    for (std::string field; std::getline(columns, field, '\t');) fields.push_back(field);
    EXPECT_EQ(fields.size(), 6u) << line;
    if (fields.size() == 6) {
      lines[fs::path(fields[0]).filename().string()] = {fields[1], fields[3], fields[4]};
    }
  }
  return lines;
}

// A damaged picture is left out before any make, a picture whose name cannot name a package
// fails alone, hidden files are not pictures of the set, and a make that fails later
// breaks its link of the chain, which is said. The others keep their seeds and passwords.
TEST_F(KlvmakeSetTest, PicturesThatFailAreLeftOutAndTheChainLinksThePackagesMade) {
  fs::copy_file(root_ / "pics" / "p0.bmp", root_ / "pics" / "'q'.bmp");
  std::ofstream(root_ / "pics" / "._p5.bmp", std::ios::binary) << "Mac OS X resource fork";
  std::string out, err;
  const std::vector<std::string> options = {"--seed", "3", "-j", "2", "--chain", "--manifest"};
  const auto with = [&](std::string manifest) {
    std::vector<std::string> all = options;
    all.push_back(manifest);
    return all;
  };
  const fs::path good = root_ / "good", dest = root_ / "dest";
  EXPECT_EQ(Run(Command(good.string(), with((root_ / "good.tsv").string())), &out, &err), 1);
  const auto before = ManifestLines(ReadText(root_ / "good.tsv"));
  ASSERT_EQ(before.size(), 5u) << err;

  std::ofstream(root_ / "pics" / "p2.bmp", std::ios::binary) << "BM not a bitmap";
  fs::create_directories(dest / "p3.klv");  // in the way: p3's make fails at its end
  EXPECT_EQ(Run(Command(dest.string(), with((root_ / "m.tsv").string())), &out, &err), 1);
  EXPECT_NE(err.find("p2.bmp: cannot read the picture"), std::string::npos) << err;
  EXPECT_NE(err.find("'q'.bmp: the puzzle name \"'q'\" is enclosed in quotes"), std::string::npos)
      << err;
  EXPECT_NE(err.find("rename the picture"), std::string::npos) << err;
  EXPECT_EQ(err.find("--name"), std::string::npos) << err;
  EXPECT_EQ(err.find("._p5"), std::string::npos) << err;
  EXPECT_NE(err.find("the chain is broken: p4.klv opens after p3.klv (" +
                     (root_ / "pics" / "p3.bmp").string() + "), which was not made"),
            std::string::npos)
      << err;
  EXPECT_EQ(err.find('\r'), std::string::npos) << err;  // no progress line without a terminal
  EXPECT_NE(out.find("3 of 6 puzzles made"), std::string::npos) << out;
  EXPECT_NE(out.find("3 failed"), std::string::npos) << out;
  EXPECT_EQ(FilesIn(dest), (std::vector<std::string>{"p0.klv", "p1.klv", "p3.klv", "p4.klv"}));

  const auto after = ManifestLines(ReadText(root_ / "m.tsv"));
  ASSERT_EQ(after.size(), 3u);
  for (const char* picture : {"p0.bmp", "p1.bmp", "p4.bmp"}) {
    ASSERT_EQ(after.count(picture), 1u) << picture;
    EXPECT_EQ(after.at(picture)[1], before.at(picture)[1]) << picture;  // the same password
  }
  EXPECT_EQ(ReadText(dest / "p1.klv"), ReadText(good / "p1.klv"));
  EXPECT_EQ(after.at("p1.bmp")[2], before.at("p0.bmp")[1]);
  EXPECT_EQ(after.at("p4.bmp")[2], before.at("p3.bmp")[1]);  // the broken link
}

// What is printed and listed is what the library writes ("¥" is "\" in code page 932).
TEST_F(KlvmakeSetTest, WhatIsPrintedAndListedIsWhatIsWritten) {
  const fs::path pics = root_ / "pics", dest = root_ / "dest";
  fs::copy_file(pics / "p0.bmp", pics / "\u00A5yen.bmp");
  fs::copy_file(pics / "p0.bmp", pics / "ネコ.bmp");
  fs::create_directories(dest);
  std::string out, err;
  ASSERT_EQ(Run({std::string(KLV_BINARY_DIR) + "/klvmake", (pics / "\u00A5yen.bmp").string(),
                 (pics / "ネコ.bmp").string(), "--out", dest.string(), "--manifest",
                 (root_ / "m.tsv").string()},
                &out, &err),
            0)
      << err;
  EXPECT_EQ(FilesIn(dest), (std::vector<std::string>{"_yen.klv", "ネコ.klv"}));
  EXPECT_NE(out.find((dest / "_yen.klv").string() + "\n"), std::string::npos) << out;
  const auto listed = ManifestLines(ReadText(root_ / "m.tsv"));
  EXPECT_EQ(listed.at("\u00A5yen.bmp")[0], "_yen.klv");
  EXPECT_EQ(listed.at("ネコ.bmp")[0], "ネコ.klv");
}

// Runs `args` under a pseudo-terminal until it ends; `seen` is called with everything it
// printed so far after each read. Sets *status to the raw wait status.
std::string RunOnTerminal(
    const std::vector<std::string>& args, int* status,
    const std::function<void(pid_t child, const std::string& seen)>& seen = nullptr) {
  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) return "";
  if (child == 0) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  std::string output;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(terminal, buffer, sizeof buffer)) > 0) {
    output.append(buffer, static_cast<size_t>(n));
    if (seen) seen(child, output);
  }
  ::waitpid(child, status, 0);
  ::close(terminal);
  return output;
}

TEST_F(KlvmakeSetTest, ProgressIsDrawnOnATerminal) {
  int status = 0;
  const std::string seen = RunOnTerminal(Command((root_ / "dest").string(), {"-j", "1"}), &status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << seen;
  EXPECT_NE(seen.find("\r[0/5] reading " + (root_ / "pics" / "p0.bmp").string()), std::string::npos)
      << seen;
  EXPECT_NE(seen.find("\r[0/5] " + (root_ / "pics" / "p0.bmp").string()), std::string::npos)
      << seen;
  EXPECT_NE(seen.find("[4/5] "), std::string::npos) << seen;
  EXPECT_NE(seen.find(" left"), std::string::npos) << seen;
  EXPECT_NE(seen.find("5 of 5 puzzles made"), std::string::npos) << seen;
}

// Ctrl-C (or SIGTERM) once the first package is made: the set stops, no work folder stays,
// the manifest lists exactly the packages made, and the progress line ends its line.
TEST_F(KlvmakeSetTest, AnInterruptedSetListsWhatItMadeAndLeavesNoWorkFolder) {
  for (int i = 0; i < 24; ++i) {
    const fs::path path = root_ / "pics" / ("z" + std::to_string(i) + ".bmp");
    Raster picture = Raster::Filled(320, 320, static_cast<uint32_t>(i * 0x010203));
    ASSERT_TRUE(Env::Default().WriteWholeFile(path.string(), EncodeBitmap24(picture)).ok());
  }
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    const fs::path dest = root_ / ("dest" + std::to_string(signal));
    const fs::path manifest = root_ / ("m" + std::to_string(signal));
    bool sent = false;
    int status = 0;
    const std::string seen =
        RunOnTerminal(Command(dest.string(), {"-j", "1", "--manifest", manifest.string()}), &status,
                      [&](pid_t child, const std::string& output) {
                        if (!sent && output.find(".klv\r\n") != std::string::npos) {
                          sent = ::kill(child, signal) == 0;
                        }
                      });
    ASSERT_TRUE(sent) << seen;
    EXPECT_TRUE(WIFEXITED(status)) << seen;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal) << seen;
    EXPECT_NE(seen.find("; interrupted"), std::string::npos) << seen;
    const size_t progress = seen.rfind("\r[");
    ASSERT_NE(progress, std::string::npos) << seen;
    EXPECT_EQ(seen.substr(seen.find('\r', progress + 1), 2), "\r\n") << seen;
    const std::vector<std::string> files = FilesIn(dest);
    EXPECT_LT(files.size(), 29u);
    const auto listed = ManifestLines(ReadText(manifest));
    std::vector<std::string> packages;
    for (const auto& [picture, fields] : listed) packages.push_back(fields[0]);
    std::sort(packages.begin(), packages.end());
    EXPECT_EQ(packages, files);  // every package and nothing else: no work folder
  }
}

}  // namespace
}  // namespace klv
