// The bad-input tables: klvmake and klvconv are run as child processes on missing, empty,
// unreadable and malformed inputs, odd picture sizes, odd densities and texts, and
// unwritable destinations; pictures of every kind, damaged or unusual, go through the
// core's source-picture entry point. Each case names the outcome and the message it
// expects; none may crash or hang.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"
#include "maker/raster.h"
#include "maker/source_picture.h"

namespace klv {
namespace {

namespace fs = std::filesystem;

constexpr int kWritten = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
// A child that has not ended after this long is taken for a hang.
constexpr unsigned kTimeoutSeconds = 60;
// The exit status of a child that could not give up root's privileges.
constexpr int kCannotDropRoot = 125;

struct Outcome {
  int status = -1;  // the exit status, or -1 when the program did not exit by itself
  std::string out;
  std::string err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
  WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> Picture(int width, int height) {
  Raster raster = Raster::Filled(width, height, 0x336699);
  return EncodeBitmap24(raster);
}

// A 24-bit picture stored top down (negative height).
std::vector<uint8_t> TopDownPicture(int width, int height) {
  std::vector<uint8_t> bytes = Picture(width, height);
  const uint32_t negative = static_cast<uint32_t>(-height);
  for (int i = 0; i < 4; ++i) bytes[22 + i] = static_cast<uint8_t>(negative >> (8 * i));
  return bytes;
}

// One row of a table: how to prepare the inputs under `root`, the arguments (in which
// "@" stands for the root folder's path), the expected status and what standard error
// must say, and optionally a file the run must leave (relative to the root).
struct Case {
  const char* name;
  std::function<void(const fs::path& root)> prepare;
  std::vector<std::string> args;
  int status;
  std::vector<std::string> said;
  std::string leaves = "";
  bool unprivileged = false;
};

std::vector<std::string> Expand(const std::vector<std::string>& args, const fs::path& root) {
  std::vector<std::string> out;
  const std::string path = root.string();
  for (std::string arg : args) {
    for (size_t at = arg.find('@'); at != std::string::npos; at = arg.find('@', at + path.size())) {
      arg.replace(at, 1, path);
    }
    out.push_back(arg);
  }
  return out;
}

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("klv_bad_input_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    // Unprivileged runs must reach the inputs.
    fs::permissions(root_, fs::perms(0755));
  }
  void TearDown() override {
    MakeRemovable(root_);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Runs `program` (klvmake or klvconv) with `args`; with `unprivileged`, a run as root
  // first gives up root's privileges so that permission bits apply to it.
  Outcome Run(const std::string& program, const std::vector<std::string>& args,
              bool unprivileged = false) {
    const fs::path out_path = root_ / ".stdout", err_path = root_ / ".stderr";
    const std::string binary = std::string(KLV_BINARY_DIR) + "/" + program;
    const pid_t pid = fork();
    if (pid == 0) {
      const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
      if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        _exit(kCannotDropRoot);
      }
      alarm(kTimeoutSeconds);  // survives the exec: a hang ends by SIGALRM
      std::vector<char*> argv = {const_cast<char*>(program.c_str())};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(binary.c_str(), argv.data());
      _exit(127);
    }
    int raw = 0;
    waitpid(pid, &raw, 0);
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (WIFSIGNALED(raw)) {
      outcome.err = "[ended by signal " + std::to_string(WTERMSIG(raw)) + "] ";
    }
    outcome.out = ReadText(out_path);
    outcome.err += ReadText(err_path);
    fs::remove(out_path);
    fs::remove(err_path);
    return outcome;
  }

  // Runs every case of a table with `program`, each in a fresh folder `root_`/case.
  // A case that needs permission bits to apply is skipped, with the reason, only when a
  // run as root cannot give up its privileges.
  void RunTable(const std::string& program, const std::vector<Case>& cases) {
    const fs::path root = root_ / "case";
    std::string unchecked;
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      MakeRemovable(root);
      fs::remove_all(root);
      fs::create_directories(root);
      fs::permissions(root, fs::perms(0755));
      c.prepare(root);
      const Outcome outcome = Run(program, Expand(c.args, root), c.unprivileged);
      if (outcome.status == kCannotDropRoot) {
        unchecked += std::string(" \"") + c.name + "\"";
        continue;
      }
      EXPECT_EQ(outcome.status, c.status) << outcome.err;
      for (const std::string& fragment : c.said) {
        const std::string expanded = Expand({fragment}, root)[0];
        EXPECT_NE(outcome.err.find(expanded), std::string::npos)
            << "standard error lacks \"" << expanded << "\":\n"
            << outcome.err;
      }
      if (!c.leaves.empty()) {
        EXPECT_TRUE(fs::exists(root / c.leaves)) << c.leaves << " was not written";
      }
    }
    if (!unchecked.empty()) {
      GTEST_SKIP() << "running as root without the right to change user, so permission bits "
                      "do not apply; not checked:"
                   << unchecked;
    }
  }

  // Gives the owner every right on `folder` and everything in it, so that it can go.
  static void MakeRemovable(const fs::path& folder) {
    std::error_code ignored;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }

  fs::path root_;
};

auto Nothing() {
  return [](const fs::path&) {};
}

TEST_F(BadInputTest, Klvmake) {
  const auto picture = [](const char* name, std::vector<uint8_t> bytes) {
    return [name, bytes](const fs::path& root) {
      fs::create_directory(root / "out");
      WriteBytes(root / name, bytes);
    };
  };
  const std::vector<Case> cases = {
      {"missing picture",
       [](const fs::path& r) { fs::create_directory(r / "out"); },
       {"@/missing.bmp", "--out", "@/out"},
       kFailed,
       {"@/missing.bmp: cannot read the picture: the file cannot be opened"}},
      {"folder without pictures",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         fs::create_directory(r / "folder.bmp");
       },
       {"@/folder.bmp", "--out", "@/out"},
       kFailed,
       {"@/folder.bmp: the folder holds no picture that klvmake can read"}},
      {"pipe as picture",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         mkfifo((r / "pipe.bmp").c_str(), 0644);
       },
       {"@/pipe.bmp", "--out", "@/out"},
       kFailed,
       {"@/pipe.bmp: cannot read the picture: the file cannot be opened"}},
      {"unreadable picture",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         WriteBytes(r / "locked.bmp", Picture(64, 64));
         fs::permissions(r / "locked.bmp", fs::perms::none);
       },
       {"@/locked.bmp", "--out", "@/out"},
       kFailed,
       {"@/locked.bmp: cannot read the picture: the file cannot be opened"},
       "",
       true},
      {"empty file",
       picture("empty.bmp", {}),
       {"@/empty.bmp", "--out", "@/out"},
       kFailed,
       {"@/empty.bmp: cannot read the picture: truncated file header"}},
      {"text renamed .bmp",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         WriteText(r / "notes.bmp", "These are my notes, not a picture.\n");
       },
       {"@/notes.bmp", "--out", "@/out"},
       kFailed,
       {"@/notes.bmp: cannot read the picture: not a bitmap file"}},
      {"0 x 0 pixels",
       picture("zero.bmp", Picture(0, 0)),
       {"@/zero.bmp", "--out", "@/out"},
       kFailed,
       {"@/zero.bmp: cannot read the picture: empty picture (0 x 0)"}},
      // The grid of a 1 x 1 picture is -1 x -1: no tile, so no package is made.
      {"1 x 1 pixels",
       picture("one.bmp", Picture(1, 1)),
       {"@/one.bmp", "--out", "@/out", "--seed", "1"},
       kFailed,
       {"@/one.bmp: 画像が小さすぎです (1 x 1 pixels"}},
      {"100000 x 1 pixels",
       picture("wide.bmp", Picture(100000, 1)),
       {"@/wide.bmp", "--out", "@/out"},
       kFailed,
       {"@/wide.bmp: cannot read the picture: picture too large (100000 x 1"}},
      {"336 x 1 pixels",
       picture("wide.bmp", Picture(336, 1)),
       {"@/wide.bmp", "--out", "@/out"},
       kFailed,
       {"@/wide.bmp: 画像が大きすぎです (336 x 1"}},
      // Densities are percentages from 0 to 100; anything else is refused, never used.
      {"negative densities",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--piece-density", "-30", "--background-density", "-1"},
       kUsage,
       {"--piece-density: \"-30\" is not a number from 0 to 100"}},
      {"densities over 100",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--piece-density", "100", "--background-density=101"},
       kUsage,
       {"--background-density: \"101\" is not a number from 0 to 100"}},
      {"density that is no number",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--piece-density", "lots"},
       kUsage,
       {"--piece-density: \"lots\""}},
      {"name outside code page 932",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--name", "猫\xF0\x9F\x98\xBA"},
       kUsage,
       {"--name: the character", "(U+1F63A) cannot be written in code page 932"}},
      {"comment outside code page 932",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--comment", "a\xE2\x82\xAC"},
       kUsage,
       {"--comment: the character", "(U+20AC)"}},
      {"set name that is not UTF-8",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--set-name", "\xFF\xFE"},
       kUsage,
       {"--set-name: the text is not valid UTF-8"}},
      {"file name outside code page 932",
       picture("\xF0\x9F\x90\xB1.bmp", Picture(64, 64)),
       {"@/\xF0\x9F\x90\xB1.bmp", "--out", "@/out"},
       kUsage,
       {"give the puzzle name with --name"}},
      {"name with a folder separator",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/out", "--name", "../p"},
       kUsage,
       {"contains \"/\""}},
      // The make works in a private folder of its own: a picture in the destination that
      // bears a work file's name is only read.
      {"picture that is the destination's base.bmp",
       [](const fs::path& r) { WriteBytes(r / "base.bmp", Picture(64, 64)); },
       {"@/base.bmp", "--out", "@"},
       kWritten,
       {},
       "base.klv"},
      {"picture that is a tile file of the destination",
       [](const fs::path& r) { WriteBytes(r / "res0907.bmp", Picture(64, 64)); },
       {"@/res0907.bmp", "--out", "@/."},
       kWritten,
       {},
       "res0907.klv"},
      {"picture named base.bmp elsewhere",
       [](const fs::path& r) {
         fs::create_directory(r / "out");
         fs::create_directory(r / "pics");
         WriteBytes(r / "pics" / "base.bmp", Picture(64, 64));
       },
       {"@/pics/base.bmp", "--out", "@/out"},
       kWritten,
       {},
       "pics/base.bmp"},
      {"missing destination",
       picture("p.bmp", Picture(64, 64)),
       {"@/p.bmp", "--out", "@/nowhere"},
       kFailed,
       {"@/nowhere: the destination does not exist"}},
      {"destination under a file",
       [](const fs::path& r) {
         WriteBytes(r / "p.bmp", Picture(64, 64));
         WriteText(r / "file.txt", "x");
       },
       {"@/p.bmp", "--out", "@/file.txt/sub"},
       kFailed,
       {"@/file.txt/sub: the destination does not exist"}},
      {"destination is a file",
       [](const fs::path& r) {
         WriteBytes(r / "p.bmp", Picture(64, 64));
         WriteText(r / "file.txt", "x");
       },
       {"@/p.bmp", "--out", "@/file.txt"},
       kFailed,
       {"@/file.txt: the destination is a file, not a folder"}},
      {"destination that cannot be written",
       [](const fs::path& r) { WriteBytes(r / "p.bmp", Picture(64, 64)); },
       {"@/p.bmp", "--out", "/proc"},
       kFailed,
       {"/proc: cannot make the work folder"}},
      {"read-only destination",
       [](const fs::path& r) {
         WriteBytes(r / "p.bmp", Picture(64, 64));
         fs::create_directory(r / "out");
         fs::permissions(r / "out", fs::perms(0555));
       },
       {"@/p.bmp", "--out", "@/out"},
       kFailed,
       {"@/out: cannot make the work folder: Permission denied"},
       "",
       true},
  };
  RunTable("klvmake", cases);
}

std::string PuzzleIni(const std::string& lines) { return "[PuzzleData]\r\n" + lines; }

TEST_F(BadInputTest, Klvconv) {
  const std::string kLoadFailed = "画像を読み込めませんでした: ";
  const std::string kSaveFailed = "ファイルを保存できませんでした: ";
  // A folder that converts, given one change.
  const auto folder = [](std::function<void(const fs::path&)> change) {
    return [change](const fs::path& r) {
      WriteText(r / "Puzzle.ini", PuzzleIni("xMax=1\r\nyMax=1\r\nPuzzleName=Cat\r\n"));
      WriteBytes(r / "res0000.bmp", Picture(64, 64));
      WriteBytes(r / "base.bmp", Picture(64, 64));
      change(r);
    };
  };
  const std::vector<Case> cases = {
      {"no folder", Nothing(), {}, kUsage, {"missing FOLDER"}},
      {"two folders", Nothing(), {"@", "@"}, kUsage, {"one FOLDER only"}},
      {"missing folder", Nothing(), {"@/nowhere"}, kFailed, {"@/nowhere: no such folder"}},
      {"file as folder",
       [](const fs::path& r) { WriteText(r / "file.txt", "x"); },
       {"@/file.txt"},
       kFailed,
       {"@/file.txt: no such folder"}},
      // Without a description the library would take the defaults: a package of no tile.
      {"empty folder",
       Nothing(),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: there is no Puzzle.ini in the folder"}},
      {"no Puzzle.ini",
       folder([](const fs::path& r) { fs::remove(r / "Puzzle.ini"); }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: there is no Puzzle.ini in the folder"}},
      {"Puzzle.ini is a pipe",
       folder([](const fs::path& r) {
         fs::remove(r / "Puzzle.ini");
         mkfifo((r / "Puzzle.ini").c_str(), 0644);
       }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: cannot be read: not a regular file"}},
      {"Puzzle.ini over 1 MiB",
       folder([](const fs::path& r) { fs::resize_file(r / "Puzzle.ini", (1u << 20) + 1); }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: is 1048577 bytes long, more than a Puzzle.ini may be (1 MiB)"}},
      {"grid without a tile",
       folder([](const fs::path& r) {
         WriteText(r / "Puzzle.ini", PuzzleIni("xMax=-5\r\nyMax=1\r\n"));
       }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: the grid of xMax -5 by yMax 1 holds no tile"}},
      // A folder from Windows: the names are found whatever their case, as they are there.
      {"names in other cases",
       folder([](const fs::path& r) {
         fs::rename(r / "Puzzle.ini", r / "puzzle.ini");
         fs::rename(r / "res0000.bmp", r / "RES0000.BMP");
       }),
       {"@"},
       kWritten,
       {},
       "Cat.klv"},
      {"valid folder", folder([](const fs::path&) {}), {"@"}, kWritten, {}, "Cat.klv"},
      {"empty base",
       folder([](const fs::path& r) { WriteText(r / "base.bmp", ""); }),
       {"@"},
       kFailed,
       {kLoadFailed + "@/base.bmp", kSaveFailed + "@/Cat.klv"}},
      {"text renamed .bmp",
       folder([](const fs::path& r) { WriteText(r / "res0000.bmp", "just some text\n"); }),
       {"@"},
       kFailed,
       {kLoadFailed + "@/res0000.bmp", kSaveFailed + "@/Cat.klv"}},
      {"folder as picture",
       folder([](const fs::path& r) {
         fs::remove(r / "base.bmp");
         fs::create_directory(r / "base.bmp");
       }),
       {"@"},
       kFailed,
       {kLoadFailed + "@/base.bmp"}},
      {"unreadable picture",
       folder([](const fs::path& r) { fs::permissions(r / "base.bmp", fs::perms::none); }),
       {"@"},
       kFailed,
       {kLoadFailed + "@/base.bmp"},
       "",
       true},
      {"top-down picture",
       folder([](const fs::path& r) { WriteBytes(r / "res0000.bmp", TopDownPicture(64, 64)); }),
       {"@"},
       kFailed,
       {"画像の大きさが正しくありません: @/res0000.bmp", kLoadFailed + "@/res0000.bmp"}},
      {"picture of only its file header",
       folder([](const fs::path& r) {
         WriteBytes(r / "base.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
       }),
       {"@"},
       kFailed,
       {kSaveFailed + "@/Cat.klv", "40 バイトではありません"}},
      {"grid over 144 tiles",
       folder([](const fs::path& r) {
         WriteText(r / "Puzzle.ini", PuzzleIni("xMax=100000\r\nyMax=100000\r\n"));
       }),
       {"@"},
       kFailed,
       {"144 を超えています: @/Puzzle.ini"}},
      {"Puzzle.ini of random bytes",
       folder([](const fs::path& r) {
         std::vector<uint8_t> noise(300);
         for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 151 + 7);
         for (uint8_t& b : noise) b = b == '[' ? 'x' : b;
         WriteBytes(r / "Puzzle.ini", noise);
       }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: the grid of xMax -1 by yMax 8 holds no tile"}},
      {"Puzzle.ini is a folder",
       folder([](const fs::path& r) {
         fs::remove(r / "Puzzle.ini");
         fs::create_directory(r / "Puzzle.ini");
       }),
       {"@"},
       kFailed,
       {"klvconv: @/Puzzle.ini: cannot be read: Is a directory"}},
      {"puzzle name with folder separators",
       folder([](const fs::path& r) {
         WriteText(r / "Puzzle.ini", PuzzleIni("xMax=1\r\nyMax=1\r\nPuzzleName=../x/y\r\n"));
       }),
       {"@"},
       kWritten,
       {},
       ".._x_y.klv"},
      {"puzzle name outside code page 932",
       folder([](const fs::path& r) {
         WriteText(r / "Puzzle.ini", PuzzleIni("xMax=1\r\nyMax=1\r\nPuzzleName=a\xFF\xA6z\r\n"));
       }),
       {"@"},
       kWritten,
       {},
       "a%FF\xEF\xBD\xA6z.klv"},
      {"read-only folder",
       folder([](const fs::path& r) { fs::permissions(r, fs::perms(0555)); }),
       {"@"},
       kFailed,
       {kSaveFailed + "@/Cat.klv（作成できません: Permission denied）"},
       "",
       true},
  };
  RunTable("klvconv", cases);
}

// A PNG chunk with its CRC.
std::vector<uint8_t> PngChunk(const char* type, std::vector<uint8_t> data) {
  std::vector<uint8_t> out = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(data.size() >> (24 - 8 * i));
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(crc >> (24 - 8 * i)));
  return out;
}

// A PNG whose header claims width x height RGB pixels, with a few bytes of image data.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
  std::vector<uint8_t> ihdr(13, 0);
  for (int i = 0; i < 4; ++i) {
    ihdr[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
    ihdr[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
  }
  ihdr[8] = 8;  // bit depth
  ihdr[9] = 2;  // RGB
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const auto& chunk :
       {PngChunk("IHDR", ihdr), PngChunk("IDAT", {0x78, 0x9C, 0x03, 0x00}), PngChunk("IEND", {})}) {
    file.insert(file.end(), chunk.begin(), chunk.end());
  }
  return file;
}

std::vector<uint8_t> FirstHalf(std::vector<uint8_t> file) {
  file.resize(file.size() / 2);
  return file;
}

struct PictureCase {
  const char* name;  // also the file's name
  std::vector<uint8_t> file;
  bool fit = false;
};

std::string SourceMessage(const PictureCase& c, std::optional<Raster>* got) {
  test::FakeEnv env;
  env.AddFile(c.name, c.file);
  SourceError error;
  *got = ReadSourcePicture(env, c.name, SourceOptions{.fit = c.fit}, &error);
  return *got ? "" : SourceErrorMessage(c.name, error);
}

TEST(BadPicture, DamagedOrHostilePicturesAreRefusedWithTheirCause) {
  const Raster photo = test::TestPhoto(80, 64);
  const std::vector<uint8_t> png = test::EncodePngRaster(photo);
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(photo);
  std::vector<uint8_t> damaged = png;
  damaged[damaged.size() - 20] ^= 0x55;  // inside the image data
  const std::string unknown =
      ": cannot read the picture: not a picture of a kind this program "
      "reads (BMP, PNG, JPEG, WebP)";
  const struct {
    PictureCase picture;
    std::string said;  // the message starts with it
  } cases[] = {
      {{"cut.png", FirstHalf(png)},
       "cut.png: cannot read the picture: unreadable PNG picture (the file ends early)"},
      {{"damaged.png", damaged},
       "damaged.png: cannot read the picture: unreadable PNG picture (IDAT: "},
      {{"cut.jpg", FirstHalf(jpeg)},
       "cut.jpg: cannot read the picture: damaged JPEG picture (Premature end of JPEG file)"},
      {{"cut.jpeg", FirstHalf(test::EncodeJpeg(photo, {.progressive = true}))},
       "cut.jpeg: cannot read the picture: damaged JPEG picture (Premature end of JPEG file)"},
      {{"head.jpg", {jpeg.begin(), jpeg.begin() + 30}},
       "head.jpg: cannot read the picture: damaged JPEG picture (Premature end of JPEG file)"},
      {{"cut.webp", FirstHalf(test::EncodeWebp(80, 64, test::RgbaOf(photo), false))},
       "cut.webp: cannot read the picture: unreadable WebP picture (the file ends early)"},
      {{"notes.png", {'h', 'e', 'l', 'l', 'o'}}, "notes.png" + unknown},
      {{"empty.jpg", {}}, "empty.jpg" + unknown},
      {{"notes.bmp", std::vector<uint8_t>(20, 'h')},
       "notes.bmp: cannot read the picture: not a bitmap file"},
      // Bombs: a few bytes that claim gigapixels are refused before any pixel is decoded.
      {{"bomb.png", PngClaiming(20000, 20000)},
       "bomb.png: cannot read the picture: picture too large (20000 x 20000 pixels; a picture "
       "may have at most 100 million pixels and 65536 on a side)"},
      {{"fit.png", PngClaiming(20000, 20000), true},
       "fit.png: cannot read the picture: picture too large (20000 x 20000 pixels"},
      {{"wide.png", PngClaiming(70000, 1)},
       "wide.png: cannot read the picture: picture too large (70000 x 1 pixels"},
      {{"bomb.jpg", test::JpegClaiming(60000, 60000), true},
       "bomb.jpg: cannot read the picture: picture too large (60000 x 60000 pixels"},
  };
  for (const auto& c : cases) {
    std::optional<Raster> got;
    const std::string message = SourceMessage(c.picture, &got);
    EXPECT_FALSE(got) << c.picture.name;
    EXPECT_EQ(message.rfind(c.said, 0), 0u) << c.picture.name << ": " << message;
  }
}

TEST(BadPicture, UnusualPicturesAreReadUpright) {
  const Raster photo = test::TestPhoto(80, 64);
  const std::vector<uint16_t> rgba16(80 * 64 * 4, 0x8123);
  const std::vector<uint8_t> exif_garbage = {'M', 'M', 0, '*', 0xFF, 0xFF, 0xFF, 0xF0, 1, 2};
  const struct {
    PictureCase picture;
    int width, height;
    uint32_t corner;  // the top-left pixel
  } cases[] = {
      {{"png.jpg", test::EncodePngRaster(photo)}, 80, 64, photo.At(0, 0)},
      {{"jpeg.bmp", test::EncodeJpeg(Raster::Filled(80, 64, 0x808080))}, 80, 64, 0x808080},
      // Adobe-inverted inks of 0: white.
      {{"cmyk.jpg",
        test::EncodeCmykJpeg(64, 64, std::vector<uint8_t>(64 * 64 * 4, 255), false, true)},
       64,
       64,
       0xFFFFFF},
      // Every channel 0x8123 rounds to 0x81, laid over white at alpha 0x81.
      {{"deep.png", test::EncodePng(80, 64, 6, 16, rgba16)}, 80, 64, 0xBFBFBF},
      {{"palette.png", test::EncodePng(64, 64, 3, 8, std::vector<uint16_t>(64 * 64, 0),
                                       {.palette = {0x102030, 0x405060}, .paletteAlpha = {0}})},
       64,
       64,
       0xFFFFFF},
      {{"garbage.jpg", test::EncodeJpeg(photo, {.exif = exif_garbage})}, 80, 64, 0},
      {{"nine.png", test::EncodePngRaster(photo, {.exif = test::ExifBlock(9)})},
       80,
       64,
       photo.At(0, 0)},
      {{"turned.png", test::EncodePngRaster(photo, {.exif = test::ExifBlock(6)})},
       64,
       80,
       photo.At(0, 63)},
  };
  for (const auto& c : cases) {
    std::optional<Raster> got;
    const std::string message = SourceMessage(c.picture, &got);
    ASSERT_TRUE(got) << c.picture.name << ": " << message;
    EXPECT_EQ(got->width, c.width) << c.picture.name;
    EXPECT_EQ(got->height, c.height) << c.picture.name;
    // A lossy picture's corner is left unchecked (0).
    if (c.corner != 0) {
      EXPECT_EQ(got->At(0, 0), c.corner) << c.picture.name;
    }
  }
}

}  // namespace
}  // namespace klv
