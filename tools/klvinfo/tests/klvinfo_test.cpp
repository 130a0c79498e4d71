// End-to-end tests of klvinfo, run as a user runs it on packages that klvmake and klvconv
// make: usage and exit statuses, unpacking and converting back to the same bytes, the
// solved picture against the source, and damaged or unreadable packages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "base/platform.h"
#include "client/klvutils_client.h"
#include "klvtest/test_support.h"
#include "maker/bitmap_codec.h"

namespace klv {
namespace {

using test::Bytes;
using test::TempFolder;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string Text(const std::optional<Bytes>& bytes) {
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// Runs build/bin/`program` with `args` in a shell; its output goes through files in
// `scratch`, its standard output through a pipe when `piped`. `prelude` (shell commands
// such as "ulimit -f 40") runs first in the same shell. The status is the exit code, or
// 128 + the signal that ended the program.
Outcome Program(const std::string& program, const std::vector<std::string>& args,
                const TempFolder& scratch, bool piped = false, const std::string& prelude = "") {
  std::string command = Quote(std::string(KLV_BINARY_DIR) + "/" + program);
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " 2>" + Quote(scratch.File("err"));
  const std::string status = "echo $? >" + Quote(scratch.File("status"));
  command = piped ? "{ " + command + "; " + status + "; } | cat >" + Quote(scratch.File("out"))
                  : command + " >" + Quote(scratch.File("out")) + "; " + status;
  if (!prelude.empty()) command = prelude + "; " + command;
  std::system(command.c_str());
  return {std::atoi(Text(test::ReadDiskFile(scratch.File("status"))).c_str()),
          Text(test::ReadDiskFile(scratch.File("out"))),
          Text(test::ReadDiskFile(scratch.File("err")))};
}

// A picture whose pixels are none of the palette's colours (its blue is always 0x33).
Raster Source(int width, int height) {
  Raster picture = Raster::Filled(width, height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.Set(x, y, static_cast<uint32_t>((x * 7 & 0xFF) << 16 | (y * 5 & 0xFF) << 8 | 0x33));
    }
  }
  return picture;
}

// Makes a package with klvmake from a width x height picture into `folder`.
std::string Make(const TempFolder& folder, int width, int height,
                 const std::vector<std::string>& options, const std::string& package) {
  test::WriteDiskFile(folder.File("picture.bmp"), EncodeBitmap24(Source(width, height)));
  std::vector<std::string> args = {folder.File("picture.bmp"), "--out", folder.path()};
  args.insert(args.end(), options.begin(), options.end());
  const Outcome run = Program("klvmake", args, folder);
  EXPECT_EQ(run.status, 0) << run.err;
  return folder.File(package);
}

TEST(Klvinfo, CommandLineUsage) {
  TempFolder scratch;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* said;  // on stdout for status 0, on stderr otherwise
  } cases[] = {
      {{"--help"}, 0, "Exit status: 0 when every PACKAGE is sound"},
      {{"-h"}, 0, "Usage: klvinfo [OPTION] [--] PACKAGE..."},
      {{"--version"}, 0, "klvinfo (KLVMaker) "},
      {{}, 2, "missing PACKAGE"},
      {{"--bogus", "a.klv"}, 2, "unknown option '--bogus'"},
      {{"--json", "--check", "a.klv"}, 2, "one of --json, --check"},
      {{"--json", "a.klv", "b.klv"}, 2, "--json takes one PACKAGE"},
      {{"--check=yes", "a.klv"}, 2, "--check takes no value"},
      {{"a.klv", "--extract"}, 2, "--extract needs a value"},
      {{"--picture=", "a.klv"}, 2, "--picture needs a non-empty value"},
      {{"--", "--json"}, 1, "klvinfo: --json: cannot be opened"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const Outcome run = Program("klvinfo", c.args, scratch);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE((c.status == 0 ? run.out : run.err).find(c.said), std::string::npos)
        << run.out << run.err;
  }
}

// Every package of these makes comes back byte for byte from its unpacked work folder:
// the makes of klvmake's own tests, the largest grid, and work folders with what klvmake
// never writes (odd run-length and paletted pictures, PrevPassWord, negative numbers, a
// "/" in the name, every text at its default).
TEST(Klvinfo, ExtractedWorkFoldersConvertBackToTheSameBytes) {
  const Bytes rows = {6, 1, 0, 0, 6, 2, 0, 0, 0, 1, 0};  // two run-length rows: odd-sized
  const std::string keys = test::PuzzleIni({{"xMax", "1"},
                                            {"yMax", "2"},
                                            {"backColor", "FF"},
                                            {"PuzzleName", "\xC8\xBA/1"},
                                            {"PassWord", "0"},
                                            {"PrevPassWord", "12345"},
                                            {"Difficulty", "-40000"},
                                            {"fileVersion", "-2147483648"}});
  struct Case {
    const char* name;
    std::function<std::string(const TempFolder&)> make;
  };
  // clang-format off
  const Case cases[] = {
      {"seeded, cyan, comment in Japanese", [](const TempFolder& f) { return Make(f, 160, 128,
         {"--seed", "4294967295", "--color", "Cyan", "--piece-density", "45", "--comment",
          "猫です"}, "picture.klv"); }},
      {"black, named", [](const TempFolder& f) { return Make(f, 96, 64,
         {"--name", "Neko", "--color", "black", "--seed", "1"}, "Neko.klv"); }},
      {"texts cut by the library, the largest grid", [](const TempFolder& f) { return Make(f,
         335, 335, {"--name", "abcdefghijklmnopqrst", "--set-name", "ﾊﾟｽﾞﾙｾｯﾄ名前", "--comment",
         "two\nlines", "--seed", "9"}, "abcdefghijklmno.klv"); }},
      {"every key set", [&](const TempFolder& f) {
         test::WriteDiskFile(f.File("base.bmp"), test::MakeBmp({.width = 6, .height = 2,
             .bit_count = 8, .compression = 1, .image_size = 11, .pixels = rows}));
         test::WriteDiskFile(f.File("res0000.bmp"), test::MakeBmp({.width = 64, .height = 64,
             .bit_count = 8, .used_colors = 3}));
         test::WriteDiskFile(f.File("res0100.bmp"), test::MakeBmp({.width = 9, .bit_count = 1}));
         test::WriteDiskText(f.File("Puzzle.ini"), keys);
         EXPECT_EQ(Program("klvconv", {f.path()}, f).status, 0);
         return f.File("ﾈｺ_1.klv"); }},
      {"only the grid in Puzzle.ini", [](const TempFolder& f) {
         test::WriteDiskFile(f.File("base.bmp"), test::MakeBmp({.width = 64, .height = 64}));
         test::WriteDiskFile(f.File("res0000.bmp"), test::MakeBmp({.width = 64, .height = 64}));
         test::WriteDiskText(f.File("Puzzle.ini"), test::PuzzleIni({{"xMax", "1"}, {"yMax", "1"}}));
         EXPECT_EQ(Program("klvconv", {f.path()}, f).status, 0);
         return f.File("the Puzzle.klv"); }},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder made, scratch;
    const std::string package = c.make(made);
    const std::optional<Bytes> original = test::ReadDiskFile(package);
    ASSERT_TRUE(original);
    EXPECT_EQ(Program("klvinfo", {"--check", package}, scratch).status, 0);

    const std::string dir = scratch.File("work");
    const Outcome extract = Program("klvinfo", {"--extract", dir, package}, scratch);
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(extract.err, "");
    ASSERT_EQ(Program("klvconv", {dir}, scratch).status, 0);
    const std::string name = std::filesystem::path(package).filename().string();
    EXPECT_EQ(test::ReadDiskFile(dir + "/" + name), original);
  }
}

TEST(Klvinfo, SolvedPictureIsTheSourceOnTheCoveredArea) {
  for (const char* density : {"100", "0"}) {
    SCOPED_TRACE(density);
    TempFolder folder;
    // A 160 x 128 picture has a grid of 4 x 3, which covers it whole.
    const std::string package =
        Make(folder, 160, 128, {"--piece-density", density, "--seed", "5"}, "picture.klv");
    const Outcome bmp =
        Program("klvinfo", {"--picture", folder.File("solved.bmp"), package}, folder);
    ASSERT_EQ(bmp.status, 0) << bmp.err;
    const StatusOr<Raster> solved =
        DecodeBitmap(test::ReadDiskFile(folder.File("solved.bmp")).value_or(Bytes{}));
    ASSERT_TRUE(solved.ok()) << solved.status().reason();
    EXPECT_EQ(*solved, Source(160, 128));

    // The PNG is written beside it.
    ASSERT_EQ(Program("klvinfo", {"--picture=" + folder.File("s.png"), package}, folder).status, 0);
    EXPECT_EQ(test::ReadDiskFile(folder.File("s.png")).value_or(Bytes{}).at(1), 'P');
  }
}

TEST(Klvinfo, DamagedAndUnreadablePackagesExitWithOneAndNameTheFile) {
  TempFolder folder;
  const std::string sound = Make(folder, 96, 64, {"--seed", "2"}, "picture.klv");
  Bytes cut = test::ReadDiskFile(sound).value();
  cut.resize(cut.size() - 100);
  test::WriteDiskFile(folder.File("cut.klv"), cut);
  std::filesystem::create_directory(folder.File("dir.klv"));
  // What the library makes of a folder without Puzzle.ini: a well-formed file of no tile.
  TempFolder defaults;
  test::WriteDiskFile(defaults.File("base.bmp"), test::MakeBmp({}));
  std::unique_ptr<KLVUtilsClient> library;
  ASSERT_TRUE(KLVUtilsClient::Load(Env::Default(), &library).ok());
  library->SetMessageHandler([](const std::string&) {});
  ASSERT_EQ(library->FileConv(defaults.path()), 1);
  const std::string tileless = defaults.File("the Puzzle.klv");

  const Outcome check = Program("klvinfo",
                                {"--check", sound, folder.File("cut.klv"), folder.File("dir.klv"),
                                 folder.File("none.klv"), tileless},
                                folder);
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.out, sound + ": sound\n");
  const std::string err = check.err;
  EXPECT_NE(err.find("klvinfo: " + folder.File("cut.klv") + ": RIFF at offset 4: the size field"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("klvinfo: " + folder.File("cut.klv") + ": KLVP 1 (row 0, column 1) at"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("klvinfo: " + folder.File("dir.klv") + ": is a folder\n"), std::string::npos);
  EXPECT_NE(err.find("klvinfo: " + folder.File("none.klv") +
                     ": cannot be opened: No such file or directory\n"),
            std::string::npos);
  EXPECT_NE(err.find("klvinfo: " + tileless +
                     ": KLVZ at offset 24: the grid of xMax -1 by yMax 8 holds no tile\n"),
            std::string::npos)
      << err;

  // The summary lists the problems itself.
  const Outcome summary = Program("klvinfo", {sound, folder.File("cut.klv")}, folder);
  EXPECT_EQ(summary.status, 1);
  EXPECT_NE(summary.out.find("  problems           none\n\n" + folder.File("cut.klv") + "\n"),
            std::string::npos)
      << summary.out;
}

// A picture or any other file is said to be no package in one line, whatever the action.
TEST(Klvinfo, AFileThatIsNoPackageIsSaidSoInOneLine) {
  TempFolder folder;
  test::WriteDiskFile(folder.File("photo.bmp"), EncodeBitmap24(Source(64, 64)));
  test::WriteDiskFile(folder.File("empty.klv"), {});
  for (const char* name : {"photo.bmp", "empty.klv"}) {
    for (const std::string action : {"", "--check", "--json"}) {  // "": the summary
      SCOPED_TRACE(std::string(name) + " " + action);
      std::vector<std::string> args = {folder.File(name)};
      if (!action.empty()) args.insert(args.begin(), action);
      const Outcome run = Program("klvinfo", args, folder);
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err, "klvinfo: " + folder.File(name) + ": not a puzzle package (a package " +
                             "begins with a RIFF form \"DATA\" whose first chunk is the " +
                             "592-byte header \"KLVZ\")\n");
    }
  }
}

// Every output named on the command line follows one rule: decided at the start, written
// whole beside its name and renamed over it (a link replaced, never followed; a mode
// kept), a pipe or device written in place, a failure reported with the system's reason
// and never a signal or a half-written file; a folder filled aside and placed at the end.
TEST(Klvinfo, OutputsFollowTheRuleOfNamedOutputs) {
  TempFolder folder;
  const std::string package = Make(folder, 160, 128, {"--seed", "3"}, "picture.klv");
  const std::optional<Bytes> before = test::ReadDiskFile(package);
  Bytes hostile = before.value();
  hostile[24] = 0xE8;  // xMax 1000 (0x03E8)
  hostile[25] = 0x03;
  hostile[26] = 101;  // yMax
  test::WriteDiskFile(folder.File("hostile.klv"), hostile);
  // clang-format off
  const struct {
    const char* name;
    std::string setup;  // shell commands run first, in the output folder "@"
    std::vector<std::string> args;
    int status;
    std::string said;                // on standard error
    std::vector<std::string> names;  // the output folder's entries afterwards
  } cases[] = {
      {"onto the package itself", "", {"--sheet", package, package}, 1, "is the package itself", {}},
      {"link to a file elsewhere", "echo passwords >kept && chmod 600 kept && ln -s kept s.bmp",
       {"--sheet", "@/s.bmp", package}, 0, "", {"kept", "s.bmp"}},
      {"standard output, a pipe", "", {"--sheet", "/dev/stdout", package}, 0, "", {}},
      {"full device", "", {"--sheet", "/dev/full", package}, 1,
       "klvinfo: /dev/full: cannot be written: No space left on device", {}},
      {"file-size limit", "ulimit -f 40", {"--sheet", "@/s.bmp", package}, 1, "File too large", {}},
      {"extract under the file-size limit", "ulimit -f 40", {"--extract", "@/x", package}, 1,
       "File too large", {}},
      {"extract into a folder in use", "mkdir x && echo kept >x/mine",
       {"--extract", "@/x", package}, 1, "klvinfo: @/x: is a folder that is not empty", {"x"}},
      {"extract through a link to an empty folder", "mkdir empty && ln -s empty x",
       {"--extract", "@/x", package}, 1,
       "klvinfo: @/x: is a link; a folder is never written through a link", {"empty", "x"}},
      {"extract into a missing folder", "", {"--extract", "@/missing/x", package}, 1,
       "klvinfo: @/missing/x: its folder @/missing cannot be used: No such file or directory", {}},
      {"extract of a grid beyond a package", "", {"--extract", "@/x", folder.File("hostile.klv")},
       1, "the grid holds 101000 tiles, more than a package holds (144)", {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder out, scratch;
    const auto expand = [&](std::string text) {
      for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@')) {
        text.replace(at, 1, out.path());
      }
      return text;
    };
    std::vector<std::string> args;
    for (const std::string& arg : c.args) args.push_back(expand(arg));
    const bool piped = args[1] == "/dev/stdout";
    const Outcome run =
        Program("klvinfo", args, scratch, piped,
                "cd " + Quote(out.path()) + (c.setup.empty() ? "" : " && ") + c.setup);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(expand(c.said)), std::string::npos) << run.err;
    EXPECT_EQ(test::DiskFolderNames(out.path()), c.names);
    if (c.status == 0) {
      const std::string drawn = piped ? run.out : Text(test::ReadDiskFile(out.File("s.bmp")));
      EXPECT_EQ(drawn.substr(0, 2), "BM");
      EXPECT_FALSE(std::filesystem::is_symlink(out.File("s.bmp")));
    }
    if (std::filesystem::exists(out.File("kept"))) {
      EXPECT_EQ(Text(test::ReadDiskFile(out.File("kept"))), "passwords\n");
    }
  }
  EXPECT_EQ(test::ReadDiskFile(package), before);
}

// Two extracts into one folder at once: the folder takes exactly one package's work
// folder whole, and the other run says why it wrote nothing. Repeated, since a clash
// shows only in some runs.
TEST(Klvinfo, TwoExtractsIntoOneFolderNeverBothSucceed) {
  TempFolder folder;
  const std::string a = Make(folder, 64, 64, {"--seed", "1", "--name", "A"}, "A.klv");
  const std::string b = Make(folder, 96, 64, {"--seed", "2", "--name", "B"}, "B.klv");
  ASSERT_EQ(Program("klvinfo", {"--extract", folder.File("alone"), b}, folder).status, 0);
  const std::vector<std::string> b_names = test::DiskFolderNames(folder.File("alone"));
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    TempFolder scratch;
    const std::string dir = scratch.File("x");
    std::filesystem::create_directory(dir);
    const std::string klvinfo = Quote(std::string(KLV_BINARY_DIR) + "/klvinfo");
    const std::string both = "(" + klvinfo + " --extract " + Quote(dir) + " " + Quote(a) +
                             " 2>/dev/null; echo $? >" + Quote(scratch.File("a")) + ") & " + "(" +
                             klvinfo + " --extract " + Quote(dir) + " " + Quote(b) +
                             " 2>/dev/null; echo $? >" + Quote(scratch.File("b")) + ") & wait";
    std::system(both.c_str());
    const std::string statuses =
        Text(test::ReadDiskFile(scratch.File("a"))) + Text(test::ReadDiskFile(scratch.File("b")));
    EXPECT_TRUE(statuses == "0\n1\n" || statuses == "1\n0\n") << statuses;
    const std::vector<std::string> names = test::DiskFolderNames(dir);
    const std::vector<std::string> a_names = {"Puzzle.ini", "base.bmp", "res0000.bmp"};
    EXPECT_EQ(names, (statuses == "0\n1\n" ? a_names : b_names));
    EXPECT_EQ(test::DiskFolderNames(scratch.path()), (std::vector<std::string>{"a", "b", "x"}));
  }
}

}  // namespace
}  // namespace klv
