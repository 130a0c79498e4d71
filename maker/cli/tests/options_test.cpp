// Tests of klvmake's option reading: both value forms, the end of the options, the values
// each option accepts, and the usage errors with the words that explain them.
#include "options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "maker/grid.h"
#include "maker/picture_fit.h"

namespace klv {
namespace {

// Arguments that the platform can name as paths, as on Linux.
std::vector<ProgramArgument> Args(const std::vector<std::string>& texts) {
  std::vector<ProgramArgument> args;
  for (const std::string& text : texts) args.push_back(ProgramArgument{text, text});
  return args;
}

std::optional<Options> Parse(const std::vector<ProgramArgument>& args, std::string* error) {
  error->clear();
  return ParseOptions(args, error);
}

TEST(Options, ValuesAreTakenInBothForms) {
  struct Case {
    std::vector<std::string> args;
    std::string out, name, piece;
    int16_t color;
    std::optional<uint32_t> seed;
  };
  const Case cases[] = {
      {{"p.bmp", "--out", "d", "--name", "n"}, "d", "n", "30", 13, {}},
      {{"--out=d", "--name=a=b", "p.bmp"}, "d", "a=b", "30", 13, {}},
      {{"p.bmp", "--name", "--seed"}, "", "--seed", "30", 13, {}},  // a value may look like one
      {{"p.bmp", "--name="}, "", "", "30", 13, {}},
      {{"p.bmp", "--color", "WHITE", "--color=Black"}, "", "", "30", 0, {}},  // the last wins
      {{"p.bmp", "--piece-density", "55.5"}, "", "", "55.5", 13, {}},  // read as the box reads
      {{"p.bmp", "--seed", "0"}, "", "", "30", 13, 0u},
      {{"p.bmp", "--seed=4294967295"}, "", "", "30", 13, 4294967295u},
      {{"p.bmp", "--seed", "007"}, "", "", "30", 13, 7u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    std::string error;
    const std::optional<Options> options = Parse(Args(c.args), &error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(*options->picture.path, "p.bmp");
    EXPECT_EQ(options->out, c.out);
    EXPECT_EQ(options->name.value_or(""), c.name);
    EXPECT_EQ(options->pieceDensity, c.piece);
    EXPECT_EQ(options->colorIndex, c.color);
    EXPECT_EQ(options->seed, c.seed);
  }
}

TEST(Options, FitAndCropAreTakenInEveryForm) {
  const struct {
    std::vector<std::string> args;
    bool fit;
    std::optional<CropRect> crop;
  } cases[] = {
      {{"p.bmp", "--fit"}, true, {}},
      {{"--crop", "640x480+100+50", "p.bmp"}, false, CropRect{640, 480, 100, 50}},
      {{"p.bmp", "--crop=1x2+0+0", "--fit"}, true, CropRect{1, 2, 0, 0}},
  };
  for (const auto& c : cases) {
    std::string error;
    const std::optional<Options> options = Parse(Args(c.args), &error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->fit, c.fit) << c.args.back();
    EXPECT_EQ(options->crop, c.crop) << c.args.back();
    EXPECT_EQ(*options->picture.path, "p.bmp");
  }
}

TEST(Options, DoubleDashEndsTheOptions) {
  std::string error;
  const std::optional<Options> options =
      Parse(Args({"--keep-work-files", "--", "--p.bmp"}), &error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->picture.utf8, "--p.bmp");
  EXPECT_TRUE(options->keepWorkFiles);
}

TEST(Options, UsageErrorsSayWhy) {
  const struct {
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {{}, "no picture given"},
      {{"--help"}, ""},  // help needs no picture
      {{"p.bmp", "-x"}, "unknown option \"-x\""},
      {{"-"}, "unknown option \"-\""},
      {{"p.bmp", "--nam=x"}, "unknown option \"--nam\""},
      {{"p.bmp", "-j"}, "-j needs a value"},
      {{"p.bmp", "-j0"}, "--jobs: \"0\" is not a number from 1 to 64"},
      {{"p.bmp", "--jobs=65"}, "--jobs: \"65\""},
      {{"p.bmp", "--chain=yes"}, "--chain takes no value"},
      {{"p.bmp", "--seed"}, "--seed needs a value"},
      {{"p.bmp", "--keep-work-files=1"}, "--keep-work-files takes no value"},
      {{"p.bmp", "--out="}, "--out: the folder name is empty"},
      {{"p.bmp", "--color", "grey"},
       "one of black, blue, green, cyan, red, magenta, yellow, white"},
      {{"p.bmp", "--seed", "4294967296"}, "\"4294967296\" is not a number from 0 to 4294967295"},
      {{"p.bmp", "--seed", "+1"}, "--seed: \"+1\""},
      {{"p.bmp", "--seed", " 1"}, "--seed: \" 1\""},
      {{"p.bmp", "--seed", "1.0"}, "--seed: \"1.0\""},
      {{"p.bmp", "--seed="}, "--seed: \"\""},
      {{"p.bmp", "--fit=yes"}, "--fit takes no value"},
      {{"p.bmp", "--crop", "640x480"}, "--crop: \"640x480\": expected WxH+X+Y"},
      {{"p.bmp", "--crop", "0x480+0+0"}, "at least 1 pixel"},
      // A density is a plain decimal number from 0 to 100, as the boxes hold one.
      {{"p.bmp", "--piece-density", "abc"},
       "--piece-density: \"abc\" is not a number from 0 to 100"},
      {{"p.bmp", "--piece-density=12x"}, "--piece-density: \"12x\""},
      {{"p.bmp", "--background-density", "-5"}, "--background-density: \"-5\""},
      {{"p.bmp", "--background-density", "150"}, "\"150\" is not a number from 0 to 100"},
      {{"p.bmp", "--background-density", "100.5"}, "\"100.5\""},
      {{"p.bmp", "--piece-density", "1e2"}, "\"1e2\""},
      {{"p.bmp", "--piece-density", "+5"}, "\"+5\""},
      {{"p.bmp", "--piece-density", " 5"}, "\" 5\""},
      {{"p.bmp", "--piece-density", "1.2.3"}, "\"1.2.3\""},
      {{"p.bmp", "--piece-density", "."}, "\".\""},
      {{"p.bmp", "--piece-density="}, "--piece-density: \"\""},
      {{"p.bmp", "--piece-density", "0", "--background-density", "100"}, ""},
      {{"p.bmp", "--piece-density", "100.0", "--background-density", "0.25"}, ""},
      {{"p.bmp", "--piece-density", "007", "--background-density", ".5"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    std::string error;
    const std::optional<Options> options = Parse(Args(c.args), &error);
    EXPECT_EQ(options.has_value(), *c.said == '\0') << error;
    EXPECT_NE(error.find(c.said), std::string::npos) << error;
  }
}

// The help states the limits the program checks (and the manual page is made from it).
TEST(Options, HelpStatesTheLimitsTheProgramChecks) {
  const std::string help = UsageText();
  const auto side = [](int n) { return std::to_string(n) + " x " + std::to_string(n); };
  const std::vector<std::string> limits = {
      "at most " + side(kMaxPictureSide) + " pixels",
      "must be at least " + side(kMinPictureSide) + ".",
      "at least " + std::to_string(kFitKeptPercent) + "% of it (at most " + side(kMaxFitSide) + ")",
      "0 to " + std::to_string(kMaxDensity) + " percent",
      "1 to " + std::to_string(kMaxJobs),
      "0 to 4294967295",
      std::to_string(kProposedNameCharacters) + " characters",
      "(default \"ﾊﾟｽﾞﾙｾｯﾄ名\")",
      "130 interrupted",
  };
  for (const std::string& said : limits) {
    EXPECT_NE(help.find(said), std::string::npos) << said << "\nin\n" << help;
  }
  EXPECT_EQ(help.find("64 x 64"), std::string::npos);  // the rule is 49, not a tile's side
}

TEST(Options, ASetTakesEveryPictureInOrder) {
  std::string error;
  const std::optional<Options> options = Parse(
      Args({"p.bmp", "-j", "3", "q.bmp", "--chain", "--manifest=m.tsv", "-j2", "r.bmp"}), &error);
  ASSERT_TRUE(options) << error;
  ASSERT_EQ(options->pictures.size(), 3u);
  EXPECT_EQ(*options->pictures[2].path, "r.bmp");
  EXPECT_EQ(*options->picture.path, "p.bmp");
  EXPECT_EQ(options->jobs, 2u);  // the last wins
  EXPECT_TRUE(options->chain);
  EXPECT_EQ(options->manifest, "m.tsv");
}

// On Windows a path may hold characters that the system's code page cannot: such a
// picture or folder is refused, while texts are taken from their UTF-8 form.
TEST(Options, PathsThePlatformCannotNameAreRefused) {
  const ProgramArgument unnamed{"\xE2\x82\xAC.bmp", std::nullopt};
  const ProgramArgument unnamed_out{"--out=\xE2\x82\xAC", std::nullopt};
  const ProgramArgument unnamed_text{"--comment=\xE2\x82\xAC", std::nullopt};
  const ProgramArgument good{"p.bmp", "p.bmp"};
  const struct {
    std::vector<ProgramArgument> args;
    const char* said;
  } cases[] = {
      {{unnamed}, "the picture \"\xE2\x82\xAC.bmp\" has characters"},
      {{good, unnamed_out}, "--out: the folder \"\xE2\x82\xAC\" has characters"},
      {{good, unnamed_text}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    std::string error;
    const std::optional<Options> options = Parse(c.args, &error);
    EXPECT_EQ(options.has_value(), *c.said == '\0') << error;
    EXPECT_NE(error.find(c.said), std::string::npos) << error;
    if (options) {
      EXPECT_EQ(options->comment, "\xE2\x82\xAC");
    }
  }
}

}  // namespace
}  // namespace klv
