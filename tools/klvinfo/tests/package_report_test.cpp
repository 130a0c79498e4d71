// Tests of klvinfo's words about a package: texts in UTF-8, colour names, the JSON object's
// keys and values, the summary's fields, and the problems beyond the reader's.
#include "klvinfo/package_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace klv {
namespace {

Package MadePackage() {
  Package package;
  PackageHeader header = NewPackageHeader(-1, 8);
  header.fileVersion = 2;
  header.Difficulty = -3;
  header.backColor = {0xFF, 0x00, 0xFF};
  header.PassWord = "1234567";
  header.PuzzleSetName = "\xC8\xBA";         // ﾈｺ
  header.PuzzleName = "\x94\x4C";            // 猫
  header.LongPuzzleName = "two\nlines\x82";  // a lead byte without its pair
  package.header = header;
  package.tileChunks = 3;
  package.fileSize = 12345;
  return package;
}

// A package whose grid holds no tile is no puzzle, however well-formed its file: --check
// calls it damaged.
TEST(PackageReport, AGridWithoutATileIsAProblem) {
  const struct {
    int16_t x_max, y_max;
    bool problem;
  } cases[] = {{-1, 8, true}, {0, 5, true}, {3, -2, true}, {1, 1, false}, {9, 9, false}};
  for (const auto& c : cases) {
    Package package;
    package.header = NewPackageHeader(c.x_max, c.y_max);
    const std::vector<std::string> lines = ProblemLines(package, PackagePictures{});
    if (c.problem) {
      EXPECT_EQ(lines, std::vector<std::string>{"KLVZ at offset 24: the grid of xMax " +
                                                std::to_string(c.x_max) + " by yMax " +
                                                std::to_string(c.y_max) + " holds no tile"});
    } else {
      EXPECT_TRUE(lines.empty()) << lines[0];
    }
  }
}

TEST(PackageReport, TextsShowInUtf8WithStrayBytesEscaped) {
  struct Case {
    std::string cp932;
    bool one_line;
    std::string shown;
  } cases[] = {
      {"\x94\x4C\x82\xC5\x82\xB7", true, "猫です"},
      {"\xC8\xBA", true, "ﾈｺ"},
      {"A\x82", true, "A\\x82"},
      {"\xFF\x41", true, "\\xFFA"},
      {"a\nb\x7F", true, "a\\x0Ab\\x7F"},
      {"a\nb", false, "a\nb"},
      {"", true, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DisplayText(c.cp932, c.one_line), c.shown) << c.shown;
}

TEST(PackageReport, ColoursAreNamedAfterThePalette) {
  struct Case {
    uint32_t rgb;
    const char* name;
    const char* hex;
  } cases[] = {{0xFF00FF, "magenta", "#FF00FF"},   {0x000000, "black", "#000000"},
               {0x000080, "dark blue", "#000080"}, {0xC0C0C0, "light grey", "#C0C0C0"},
               {0x00FFFF, "cyan", "#00FFFF"},      {0x123456, "custom", "#123456"}};
  for (const Case& c : cases) {
    EXPECT_EQ(ColorName(c.rgb), c.name);
    EXPECT_EQ(ColorHex(c.rgb), c.hex);
  }
}

// A 64 x 64 tile: `painted` pixels of the colour `paint`, `other` pixels of `other_colour`,
// the rest a picture's (none of the palette's colours).
TileRaster Tile(uint32_t paint, int painted, uint32_t other_colour = 0, int other = 0) {
  Raster raster = Raster::Filled(64, 64, 0x123456);
  std::fill_n(raster.pixels.begin(), painted, paint);
  std::fill_n(raster.pixels.rbegin(), other, other_colour);
  return {0, 0, 0, raster};
}

TEST(PackageReport, AHeaderColourThatTheTilesDoNotHaveIsAProblem) {
  const struct {
    std::array<uint8_t, 3> header;
    TileRaster tile;
    const char* said;  // "" for no problem
  } cases[] = {
      {{0xFF, 0, 0},
       Tile(0x0000FF, 2000),
       "KLVZ at offset 40: the background colour is red #FF0000, but the tiles are painted "
       "blue #0000FF"},
      {{0xFF, 0, 0}, Tile(0x00FF00, 512), "painted green #00FF00"},
      {{0xFF, 0xFF, 0}, Tile(0x00FFFF, 2000, 0xFFFF00, 499), "are painted cyan #00FFFF"},
      {{0xFF, 0, 0}, Tile(0xFF0000, 2000), ""},                 // sound red
      {{0xFF, 0, 0}, Tile(0x0000FF, 2000, 0xFF0000, 500), ""},  // red over a blue picture
      {{0xFF, 0, 0}, Tile(0x0000FF, 511), ""},                  // less than an eighth
      {{0xFF, 0, 0xFF}, Tile(0x0000FF, 2000), ""},              // not the fault's colours
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    Package package;
    package.header = NewPackageHeader(2, 2);
    package.header->backColor = c.header;
    PackagePictures pictures;
    pictures.tiles = {c.tile};
    const std::vector<std::string> problems = ProblemLines(package, pictures);
    ASSERT_EQ(problems.size(), *c.said ? 1u : 0u);
    for (const std::string& problem : problems) EXPECT_NE(problem.find(c.said), std::string::npos);
  }
}

TEST(PackageReport, JsonHoldsExactlyTheDocumentedKeys) {
  const std::vector<std::string> keys = {
      "fileVersion",   "xMax",       "yMax",      "tileWidth", "tileHeight",   "pictureWidth",
      "pictureHeight", "difficulty", "backColor", "password",  "prevPassword", "puzzleSetName",
      "puzzleName",    "comment",    "tiles",     "bytes",     "problems"};
  const Package made = MadePackage();
  const nlohmann::ordered_json json =
      nlohmann::ordered_json::parse(JsonText(made, {"KLVB at offset 612: bad"}));
  std::vector<std::string> found;
  for (const auto& item : json.items()) found.push_back(item.key());
  EXPECT_EQ(found, keys);
  EXPECT_EQ(json["xMax"], -1);
  EXPECT_EQ(json["pictureWidth"], 0);
  EXPECT_EQ(json["difficulty"], -3);
  EXPECT_EQ(json["backColor"], "#FF00FF");
  EXPECT_EQ(json["prevPassword"], "");
  EXPECT_EQ(json["puzzleName"], "猫");
  EXPECT_EQ(json["comment"], "two\nlines\\x82");
  EXPECT_EQ(json["tiles"], 3);
  EXPECT_EQ(json["bytes"], 12345);
  EXPECT_EQ(json["problems"], nlohmann::ordered_json::array({"KLVB at offset 612: bad"}));

  // Without a header the keys stay; the header's values are null.
  const nlohmann::ordered_json bare = nlohmann::ordered_json::parse(JsonText(Package{}, {}));
  found.clear();
  for (const auto& item : bare.items()) found.push_back(item.key());
  EXPECT_EQ(found, keys);
  EXPECT_TRUE(bare["xMax"].is_null());
  EXPECT_TRUE(bare["comment"].is_null());
  EXPECT_EQ(bare["problems"], nlohmann::ordered_json::array());
}

TEST(PackageReport, SummaryShowsEveryFieldOnItsOwnLine) {
  const std::string summary = SummaryText("cat.klv", MadePackage(), {"RIFF at offset 4: x"});
  for (const char* line :
       {"cat.klv\n", "  puzzle set name    ﾈｺ\n", "  comment            two\\x0Alines\\x82\n",
        "  grid               -1 x 8 tiles of 64 x 64 pixels\n",
        "  picture            0 x 288 pixels\n", "  background colour  magenta #FF00FF\n",
        "  difficulty         -3\n", "  password           1234567\n", "  previous password  \n",
        "  tile chunks        3\n", "  file size          12345 bytes\n",
        "  problems           1\n    RIFF at offset 4: x\n"}) {
    EXPECT_NE(summary.find(line), std::string::npos) << line << "\nin\n" << summary;
  }
}

}  // namespace
}  // namespace klv
