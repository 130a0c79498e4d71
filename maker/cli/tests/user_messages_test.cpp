// klvmake and klvconv run as a user runs them in Japanese (LANGUAGE=ja), in English
// (LANGUAGE=en) and in the C locale alone (LANG=C): every message written in Japanese is
// shown wholly in the user's language, and the packages are the same in every language.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "klvtest/test_support.h"

namespace klv {
namespace {

using test::MakeBmp;
using test::TempFolder;

// UTF-8 lead bytes of kana, kanji and the full-width forms: nothing of an English text.
bool HasJapanese(const std::string& text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 0xE3 && byte <= 0xE9) || byte == 0xEF) return true;
  }
  return false;
}

// Standard output and error of `program` run with `args` in an environment that holds
// nothing but `variable`.
std::string RunIn(const std::string& variable, const std::string& program,
                  const std::vector<std::string>& args, const TempFolder& scratch) {
  std::string command = "env -i " + variable + " '" + KLV_BINARY_DIR + "/" + program + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  EXPECT_TRUE(WIFEXITED(std::system((command + " >'" + scratch.File("said") + "' 2>&1").c_str())));
  const test::Bytes said = test::ReadDiskFile(scratch.File("said")).value_or(test::Bytes());
  return std::string(said.begin(), said.end());
}

TEST(UserMessages, EachMessageIsWhollyInTheUsersLanguage) {
  TempFolder files;
  test::WriteDiskFile(files.File("fits.bmp"), MakeBmp({.width = 128, .height = 96}));
  test::WriteDiskFile(files.File("big.bmp"), MakeBmp({.width = 336, .height = 40}));
  test::WriteDiskFile(files.File("small.bmp"), MakeBmp({.width = 48, .height = 100}));
  // A work folder of two tiles whose second is missing.
  const std::string work = files.File("work"), missing = work + "/res0001.bmp";
  std::filesystem::create_directory(work);
  test::WriteDiskText(work + "/Puzzle.ini",
                      test::PuzzleIni({{"xMax", "2"}, {"yMax", "1"}, {"PuzzleName", "Cat"}}));
  test::WriteDiskFile(work + "/res0000.bmp", MakeBmp({.width = 64, .height = 64}));
  test::WriteDiskFile(work + "/base.bmp", MakeBmp({.width = 96, .height = 64}));
  const std::string fits = files.File("fits.bmp"), out = files.File("out");
  const std::vector<std::string> make = {fits, "--out", out, "--name", "Cat", "--seed", "1"};
  const struct {
    const char* program;
    std::vector<std::string> args;
    std::string japanese;           // a message, or its end, in Japanese
    std::string english;            // and in English
    rlim_t file_size_limit = 0;     // lets the work files be written, but not the package
    const char* package = nullptr;  // a package made into `out`
  } cases[] = {
      {"klvmake", make, "ピース数： x = 3 , y = 2", "Pieces: x = 3 , y = 2", 0, "Cat.klv"},
      {"klvmake",
       {files.File("big.bmp"), "--out", out},
       "big.bmp: 画像が大きすぎです (336 x 40 pixels; a picture may be at most 335 x 335 ",
       "big.bmp: the picture is too large (336 x 40 pixels; a picture may be at most 335 x 335 "
       "pixels; --fit fits it to the grid)"},
      // A set, with the default set name and comment, which are no messages.
      {"klvmake",
       {fits, files.File("small.bmp"), "--out", out, "--seed", "1"},
       "small.bmp: 画像が小さすぎです (48 x 100 pixels; a picture needs at least 49 x 49 ",
       "small.bmp: the picture is too small (48 x 100 pixels; a picture needs at least 49 x 49 "
       "pixels, one tile)",
       0,
       "fits.klv"},
      {"klvmake", make, "Cat.klv（書き込みに失敗しました: File too large）",
       "KLVUtils: Cannot save the file: ", 64 << 10},
      {"klvconv",
       {work},
       "Cat.klv（" + missing + " が読み込まれていません: " + std::strerror(ENOENT) + "）",
       "Cannot load the picture: " + missing + "\nCannot save the file: " + work + "/Cat.klv (" +
           missing + " is not loaded: " + std::strerror(ENOENT) + ")"},
  };
  for (const auto& c : cases) {
    std::optional<test::Bytes> japanese_package;
    for (const std::string variable : {"LANGUAGE=ja", "LANGUAGE=en", "LANG=C"}) {
      SCOPED_TRACE(c.japanese + " with " + variable);
      TempFolder scratch;
      std::filesystem::remove_all(out);
      std::filesystem::create_directory(out);
      std::optional<test::FileSizeLimit> limit;
      if (c.file_size_limit != 0) limit.emplace(c.file_size_limit);
      const std::string said = RunIn(variable, c.program, c.args, scratch);
      limit.reset();
      const bool japanese = variable == "LANGUAGE=ja";
      EXPECT_NE(said.find(japanese ? c.japanese : c.english), std::string::npos) << said;
      EXPECT_TRUE(japanese || !HasJapanese(said)) << said;
      if (c.package == nullptr) continue;
      const std::optional<test::Bytes> package = test::ReadDiskFile(out + "/" + c.package);
      ASSERT_TRUE(package);
      if (japanese) japanese_package = package;
      EXPECT_EQ(package, japanese_package) << "the package depends on the language";
    }
  }
}

}  // namespace
}  // namespace klv
