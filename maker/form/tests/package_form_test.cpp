// Tests of the package window's behaviour through its form, with a recording view for the
// window: what a sound or damaged package shows, the one message for a file that is no
// package, the drag of the trial play up to the complete puzzle, the painted table, and
// which dropped files open as packages.
#include "form/package_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/bytes.h"
#include "base/platform.h"
#include "form/text_boxes.h"
#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"

namespace klv::form {
namespace {

class RecordingPackageView : public PackageView {
 public:
  void TableChanged() override { ++redrawn; }
  void ShowCount(const std::string& counter, bool complete) override {
    counts.emplace_back(counter, complete);
  }

  int redrawn = 0;
  std::vector<std::pair<std::string, bool>> counts;
};

// The ねこ package of a 3 by 2 grid (six tiles, a 128 x 96 base).
test::Bytes Cat() { return test::TestPackage(3, 2, ToCp932("ねこ")); }

std::map<std::string, std::string> FieldValues(const PackageContents& contents) {
  std::map<std::string, std::string> values;
  for (const PackageField& field : contents.fields) values[field.name] = field.value;
  return values;
}

PackageContents Read(const std::string& path, WindowLanguage language = WindowLanguage::kJapanese) {
  std::string message;
  std::optional<PackageContents> contents =
      ReadPackageContents(Env::Default(), path, language, &message);
  EXPECT_TRUE(contents.has_value()) << message;
  return contents ? std::move(*contents) : PackageContents();
}

TEST(PackageForm, ShowsTheFieldsProblemsAndPicturesOfSoundAndDamagedPackages) {
  test::TempFolder folder;
  const test::Bytes sound = Cat();
  test::Bytes extra_tile = Cat();  // one tile chunk more than the grid holds
  const test::Bytes tile_chunk(extra_tile.end() - (8 + 54 + 64 * 64 * 3), extra_tile.end());
  extra_tile.insert(extra_tile.end(), tile_chunk.begin(), tile_chunk.end());
  PutLe32(&extra_tile[4], static_cast<uint32_t>(extra_tile.size() - 8));
  const struct {
    const char* name;
    test::Bytes bytes;
    const char* tiles;    // the field "tiles"
    const char* problem;  // found in the first problem line; "" for none
    size_t play_tiles;    // the tiles of the trial play
  } cases[] = {
      {"sound", sound, "6", "", 6},
      {"last tile cut short", test::Bytes(sound.begin(), sound.end() - 100), "6", "KLVP 5", 5},
      {"a tile beyond the grid", extra_tile, "7（グリッドでは 6）", "KLVP 6", 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.File(std::string(c.name) + ".klv");
    test::WriteDiskFile(path, c.bytes);
    const PackageContents contents = Read(path);
    EXPECT_EQ(contents.title, "パッケージ - " + std::string(c.name) + ".klv");
    std::map<std::string, std::string> values = FieldValues(contents);
    EXPECT_EQ(values["File"], path);
    EXPECT_EQ(values["xMax"], "3");
    EXPECT_EQ(values["tileSize"], "64 × 64");
    EXPECT_EQ(values["pictureSize"], "128 × 96");
    EXPECT_EQ(values["backColor"], "#FF00FF");
    EXPECT_EQ(values["PuzzleName"], "ねこ");
    EXPECT_EQ(values["tiles"], c.tiles);
    EXPECT_EQ(values["bytes"], std::to_string(c.bytes.size()) + " バイト");
    EXPECT_EQ(contents.backColor, 0xFF00FFu);
    if (std::string(c.problem).empty()) {
      EXPECT_EQ(contents.problemsHeading, "問題はありません");
      EXPECT_TRUE(contents.problems.empty()) << contents.problems.front();
    } else {
      EXPECT_EQ(contents.problemsHeading,
                "問題が " + std::to_string(contents.problems.size()) + " 件あります");
      EXPECT_TRUE(
          std::any_of(contents.problems.begin(), contents.problems.end(),
                      [&c](const std::string& line) { return line.starts_with(c.problem); }))
          << ::testing::PrintToString(contents.problems);
    }
    EXPECT_EQ(contents.tiles.size(), c.play_tiles);
    ASSERT_TRUE(contents.base.has_value());
    EXPECT_EQ(contents.base->width, 128);
    // Every picture is there; the solved one has the background colour transparent.
    for (const ShownPicture& picture : contents.pictures) {
      EXPECT_TRUE(picture.raster.has_value()) << picture.name;
      EXPECT_EQ(picture.keyed, picture.name == "SolvedPicture");
    }
  }
  // The same package in English.
  const PackageContents english = Read(folder.File("sound.klv"), WindowLanguage::kEnglish);
  EXPECT_EQ(english.title, "Package - sound.klv");
  EXPECT_EQ(english.problemsHeading, "No problems");
  EXPECT_EQ(english.fields[1].label, "File version");
  EXPECT_EQ(FieldValues(english)["bytes"], std::to_string(sound.size()) + " bytes");
  EXPECT_EQ(english.tabs[2], "Trial play");
}

TEST(PackageForm, AFileThatIsNoPackageGivesOneMessageNamingItAndTheCause) {
  test::TempFolder folder;
  test::Bytes avi = Cat();
  std::copy_n("AVI ", 4, avi.begin() + 8);
  test::WriteDiskFile(folder.File("avi.klv"), avi);
  test::WriteDiskText(folder.File("notes.klv"), "my notes");
  const struct {
    std::string path;
    WindowLanguage language;
    std::string message;  // how it starts
  } cases[] = {
      {folder.File("avi.klv"), WindowLanguage::kJapanese,
       "パズルファイルを開けません\n" + folder.File("avi.klv") + ": パズルファイルではありません"},
      {folder.File("notes.klv"), WindowLanguage::kEnglish,
       "Cannot open the puzzle package\n" + folder.File("notes.klv") + ": not a puzzle package"},
      {folder.File("missing.klv"), WindowLanguage::kJapanese,
       "パズルファイルを開けません\n" + folder.File("missing.klv") + ": cannot be opened: "},
      {folder.path(), WindowLanguage::kEnglish,
       "Cannot open the puzzle package\n" + folder.path() + ": is a folder"},
  };
  for (const auto& c : cases) {
    std::string message;
    EXPECT_FALSE(ReadPackageContents(Env::Default(), c.path, c.language, &message)) << c.path;
    EXPECT_TRUE(message.starts_with(c.message)) << message;
  }
}

// Drags the topmost loose tile by its square of colour so that its corner lands `dx`, `dy`
// from its place, through the form as a window passes the mouse on; returns the tile.
size_t DragTopTile(PackageForm& form, int dx, int dy) {
  const size_t top = form.Play().Order().back();
  const TrialTile& tile = form.Play().Tiles()[top];
  const int held_x = 30;
  const int held_y = 29;
  form.Pressed(tile.x + held_x, tile.y + held_y);
  EXPECT_EQ(form.held(), top);
  form.Moved(tile.x + 1, tile.y + 1);  // on the way
  form.Released(tile.HomeX() + dx + held_x, tile.HomeY() + dy + held_y);
  EXPECT_FALSE(form.held());
  return top;
}

TEST(PackageForm, DraggingEveryTileToItsPlaceCompletesThePuzzle) {
  test::TempFolder folder;
  test::WriteDiskFile(folder.File("cat.klv"), Cat());
  RecordingPackageView view;
  PackageForm form(Read(folder.File("cat.klv")), WindowLanguage::kJapanese, view);
  form.Start();
  using Count = std::pair<std::string, bool>;
  EXPECT_EQ(view.counts, (std::vector<Count>{{"はめたピース： 0 / 6", false}}));
  EXPECT_GT(view.redrawn, 0);

  // A press where no tile lies holds nothing, and a release then drops nothing.
  form.Pressed(5, 5);
  EXPECT_FALSE(form.held());
  form.Released(5, 5);
  EXPECT_EQ(view.counts.size(), 1u);

  // A drop far from its place stays where it fell, at the point the mouse held.
  const size_t missed = DragTopTile(form, 40, 20);
  const TrialTile& tile = form.Play().Tiles()[missed];
  EXPECT_FALSE(tile.placed);
  EXPECT_EQ(std::pair(tile.x, tile.y), std::pair(tile.HomeX() + 40, tile.HomeY() + 20));
  EXPECT_EQ(view.counts.back(), Count("はめたピース： 0 / 6", false));

  for (int placed = 1; placed <= 6; ++placed) {
    const TrialTile& dropped = form.Play().Tiles()[DragTopTile(form, 3, -2)];  // a few pixels off
    EXPECT_TRUE(dropped.placed);
    EXPECT_EQ(std::pair(dropped.x, dropped.y), std::pair(dropped.HomeX(), dropped.HomeY()));
    EXPECT_EQ(view.counts.back(),
              Count("はめたピース： " + std::to_string(placed) + " / 6", placed == 6));
  }
  form.ScatterClicked();
  EXPECT_EQ(view.counts.back(), Count("はめたピース： 0 / 6", false));
}

TEST(PackageForm, ThePaintedTableShowsTilesOverTheBoardThroughTheirBackground) {
  test::TempFolder folder;
  test::WriteDiskFile(folder.File("pair.klv"), test::TestPackage(2, 1, "pair"));
  RecordingPackageView view;
  PackageForm form(Read(folder.File("pair.klv")), WindowLanguage::kJapanese, view);
  form.Start();
  // One tile placed; the other laid loose over it, 4 pixels right, so that their squares
  // of colour overlap.
  const TrialTile& under = form.Play().Tiles()[DragTopTile(form, 0, 0)];
  const TrialTile& over = form.Play().Tiles()[form.Play().Order().back()];
  DragTopTile(form, under.HomeX() - over.HomeX() + 4, 0);
  ASSERT_TRUE(under.placed);
  ASSERT_FALSE(over.placed);
  const TableColors colors{0x111111, 0x222222, 0x333333};
  const TrialPlay& play = form.Play();
  const Raster whole = PaintTable(form, 0, 0, play.TableWidth(), play.TableHeight(), colors);
  const int x = under.HomeX();
  const struct {
    int x, y;
    uint32_t color;
  } points[] = {
      {x + 28, 28, form.contents().tiles[under.index].raster.At(30, 30)},     // left of the other
      {x + 4 + 28, 28, form.contents().tiles[over.index].raster.At(30, 30)},  // the upper one
      {x + 4 + 2, 2, 0xFFFFFF},                  // the tiles' background shows the base
      {play.BoardWidth() + 2, 2, colors.table},  // between the board and the scatter area
      {play.BoardWidth() + TrialPlay::kScatterGap, 2, colors.scatter},
  };
  for (const auto& p : points) {
    EXPECT_EQ(whole.At(p.x, p.y), p.color) << p.x << ", " << p.y;
  }
  // A part of the table is that part of the whole, and beyond the table is the table's colour.
  const Raster part = PaintTable(form, 20, 10, 150, 50, colors);
  for (int v = 0; v < part.height; ++v) {
    for (int u = 0; u < part.width; ++u) {
      ASSERT_EQ(part.At(u, v), whole.At(20 + u, 10 + v)) << u << ", " << v;
    }
  }
  EXPECT_EQ(PaintTable(form, -3, play.TableHeight() - 1, 4, 2, colors).pixels,
            std::vector<uint32_t>(8, colors.table));
}

TEST(PackageForm, ADropOpensPackagesOnlyWhenEveryFileIsOne) {
  const struct {
    std::vector<std::string> dropped;
    size_t opened;
  } cases[] = {
      {{"/a/b.klv"}, 1},
      {{"/a/b.KLV", "/c/d.Klv"}, 2},
      {{"/a/b.klv", "/a/photo.bmp"}, 0},
      {{"/a/b.klv.txt"}, 0},
      {{"klv"}, 0},
      {{}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PackagesOfDrop(c.dropped).size(), c.opened) << c.dropped.size();
  }
}

}  // namespace
}  // namespace klv::form
