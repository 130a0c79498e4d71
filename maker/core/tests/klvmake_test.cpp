// End-to-end tests of klvmake: the program is run as a user runs it, and its exit status,
// messages and the files it leaves are checked.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/platform.h"
#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"
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
      {"a 9 x 9 grid, cyan, other densities",
       320,
       320,
       {"--seed", "4294967295", "--color", "cyan", "--piece-density", "45", "--background-density",
        "60"},
       5405586969104437343ull},
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
  const std::string tiny = WritePicture("tiny.bmp", 63, 100);
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
      {{tiny}, 1, "tiny.bmp: 画像が小さすぎです (63 x 100 pixels"},
      {{photo, "--crop", "200x63+0+0"}, 1, "画像が小さすぎです (200 x 63 pixels"},
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

TEST_F(KlvmakeTest, KeptWorkFilesHoldTheTextsInCodePage932) {
  const std::string picture = WritePicture("p.bmp", 96, 64);
  const Outcome outcome = Run({picture, "--out", Out(), "--keep-work-files", "--name", "Neko",
                               "--comment", "猫です", "--color", "black", "--seed", "1"});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(FilesIn(root_ / "out"), (std::vector<std::string>{"Neko.klv", "Puzzle.ini", "base.bmp",
                                                              "res0000.bmp", "res0001.bmp"}));
  const std::string ini = ReadText(root_ / "out" / "Puzzle.ini");
  EXPECT_NE(ini.find("LongPuzzleName=" + Utf8ToCp932("猫です").value()), std::string::npos);
  EXPECT_NE(ini.find("PuzzleSetName=" + Utf8ToCp932("ﾊﾟｽﾞﾙｾｯﾄ名").value()), std::string::npos);
  EXPECT_NE(ini.find("backColor=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("xMax=2\r\n"), std::string::npos) << ini;
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

TEST_F(KlvmakeTest, MissingLibraryFailsAndLeavesTheWorkFiles) {
  // A copy of klvmake in a folder of its own finds no KLVUtils beside it.
  const fs::path lonely = root_ / "bin" / "klvmake";
  fs::create_directories(lonely.parent_path());
  fs::copy_file(fs::path(KLV_BINARY_DIR) / "klvmake", lonely);
  const std::string picture = WritePicture("p.bmp", 64, 64);
  const Outcome outcome = Run({picture, "--out", Out()}, lonely.string());
  if (outcome.status == 0) GTEST_SKIP() << "KLVUtils is installed on the system search path";
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("KLVUtils"), std::string::npos) << outcome.err;
  EXPECT_EQ(FilesIn(root_ / "out"),
            (std::vector<std::string>{"Puzzle.ini", "base.bmp", "res0000.bmp"}));
}

}  // namespace
}  // namespace klv
