// Tests of the maker window's behaviour through its form, with a recording view for the
// window: the first run, the restored settings, the sliders and their boxes, the colour
// options, the picture click and the fit question, the exit button, the close box, and
// the make from the button to the package, with failures and the question before a
// package is replaced. Every test runs in a folder of its own with its own settings file.
#include "form/source_form.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "base/platform.h"
#include "form/text_boxes.h"
#include "klvtest/picture_files.h"
#include "klvtest/test_support.h"
#include "maker/source_picture.h"
#include "recording_view.h"

namespace klv::form {
namespace {

using enum ControlId;
using testing::RecordingView;
using testing::Shown;

constexpr char kSection[] = "ToolsData";
const char* const kSettingsKeys[] = {"PuzzleName", "PuzzleSetName", "LongPuzzleName",
                                     "SrcDrive",   "SrcDir",        "DestDrive",
                                     "DestDir",    "Slider1",       "Slider2"};

// A FileConv that returns a fixed result (or stands for a library that is not found).
class FakeConverter : public PackageConverter {
 public:
  FakeConverter(std::optional<int16_t> result, std::vector<std::string>* calls)
      : result_(result), calls_(calls) {}
  StatusOr<int16_t> Convert(const std::string& folder) override {
    calls_->push_back(folder);
    if (!result_) return Status::NotFound("KLVUtils", "the library was not found");
    return *result_;
  }

 private:
  std::optional<int16_t> result_;
  std::vector<std::string>* calls_;
};

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class SourceFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::canonical(temp_.path()).string();
    for (const char* folder : {"start", "src", "dest"})
      std::filesystem::create_directory(Dir(folder));
    std::filesystem::current_path(Dir("start"));
    settings_ = root_ + "/config/KLVMaker/Morvel.ini";
  }
  void TearDown() override { std::filesystem::current_path("/"); }

  // The form of a run whose window shows `view_`, loaded.
  SourceForm& Open(WindowLanguage language = WindowLanguage::kJapanese,
                   std::unique_ptr<PackageConverter> converter = nullptr) {
    view_ = std::make_unique<RecordingView>(std::vector<std::string>{"/", root_}, Dir("start"),
                                            settings_);
    form_ = std::make_unique<SourceForm>(Env::Default(), settings_, language, *view_,
                                         std::move(converter));
    form_->Load();
    return *form_;
  }
  void Store(const char* key, const std::string& value) {
    std::filesystem::create_directories(std::filesystem::path(settings_).parent_path());
    ASSERT_TRUE(Env::Default().WriteProfileString(settings_, kSection, key, value).ok());
  }
  std::string Stored(const char* key) {
    return Env::Default().GetProfileString(settings_, kSection, key, "<absent>", 1024);
  }
  std::string Dir(const char* name) const { return root_ + "/" + name; }
  // The person types `text` into `box`: the box shows it, and the form hears of it.
  void Type(SourceForm& form, ControlId box, const std::string& text) {
    view_->texts[box] = text;
    form.TextEdited(box, text);
  }
  // A bitmap of `width` x `height` whose pixels differ from their neighbours.
  void Picture(const std::string& path, int width, int height) {
    test::BmpFields fields;
    fields.width = width;
    fields.height = height;
    test::WriteDiskFile(path, test::MakeBmp(fields));
  }
  // The form with a picture of `width` x `height` chosen from "src" as "cat.bmp".
  SourceForm& OpenWithPicture(int width, int height,
                              std::unique_ptr<PackageConverter> converter = nullptr) {
    Picture(Dir("src") + "/cat.bmp", width, height);
    Store("SrcDir", Dir("src"));
    Store("DestDir", Dir("dest"));
    SourceForm& form = Open(WindowLanguage::kJapanese, std::move(converter));
    form.FileClicked("cat.bmp");
    return form;
  }

  test::TempFolder temp_;
  std::string root_;
  std::string settings_;
  std::unique_ptr<RecordingView> view_;
  std::unique_ptr<SourceForm> form_;
};

TEST_F(SourceFormTest, FirstRunShowsTheDefaults) {
  const SourceForm& form = Open();
  EXPECT_EQ(view_->Text(kPuzzleSetName), "ﾊﾟｽﾞﾙｾｯﾄ名");
  EXPECT_EQ(view_->Text(kPuzzleName), "ﾊﾟｽﾞﾙ名");
  EXPECT_EQ(view_->Text(kComment), "コメント");
  EXPECT_EQ(view_->sliders[kSlider1], 70);
  EXPECT_EQ(view_->sliders[kSlider2], 85);
  EXPECT_EQ(view_->Text(kText1), "30");
  EXPECT_EQ(view_->Text(kText2), "15");
  EXPECT_EQ(view_->option, 5);
  EXPECT_EQ(form.back_color_index(), 13);
  EXPECT_FALSE(view_->enabled.at(kMakeIt));
  EXPECT_EQ(view_->Text(kLabel1), "画像サイズ");
  EXPECT_EQ(form.grid(), Grid{});
  EXPECT_EQ(view_->Folder(ListSet::kSource), Dir("start"));
  EXPECT_EQ(view_->Folder(ListSet::kDestination), Dir("start"));
  EXPECT_TRUE(std::regex_match(form.puzzle_password(), std::regex("[0-9]{2,7}")))
      << form.puzzle_password();
  EXPECT_FALSE(std::filesystem::exists(settings_)) << "starting reads, it does not write";
}

// Folders are stored in code page 932 where it holds them, otherwise as UTF-8; what was
// restored is saved again byte for byte, and what cannot be applied is passed over.
TEST_F(SourceFormTest, StoredPlacesAreRestoredAndSavedAgain) {
  const struct {
    const char* name;
    const char* folder;  // below the root; "" stores ""
    bool exists;
    const char* drive;  // "<root>" is the test's drive
  } cases[] = {
      {"folder, empty drive", "src", true, ""},
      {"folder and its drive", "src", true, "<root>"},
      {"folder that has gone", "gone", false, ""},
      {"drive that has gone", "src", true, "/no/such/drive"},
      {"nothing stored", "", false, ""},
      {"japanese folder", "写真", true, ""},
      {"folder outside code page 932", "caf\u00e9", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(settings_);
    const std::string path = *c.folder == '\0' ? std::string() : root_ + "/" + c.folder;
    if (c.exists) std::filesystem::create_directories(path);
    const std::string drive = std::string(c.drive) == "<root>" ? root_ : c.drive;
    const std::string stored = Utf8ToCp932(path).value_or(path);
    for (const char* key : {"SrcDrive", "DestDrive"}) Store(key, drive);
    for (const char* key : {"SrcDir", "DestDir"}) Store(key, stored);

    SourceForm& form = Open();
    const std::string expected = c.exists ? path : Dir("start");
    EXPECT_EQ(view_->Folder(ListSet::kSource), expected);
    EXPECT_EQ(view_->Folder(ListSet::kDestination), expected);
    EXPECT_EQ(view_->Drive(ListSet::kSource), root_);
    EXPECT_TRUE(view_->messages.empty()) << "start-up passes over what it cannot apply";
    form.ExitClicked();
    if (c.exists) {
      EXPECT_EQ(Stored("SrcDir"), stored);
      EXPECT_EQ(Stored("DestDir"), stored);
    }
  }
}

TEST_F(SourceFormTest, StoredTextsAndSlidersAreRestored) {
  Store("PuzzleSetName", "Animals");
  Store("PuzzleName", ToCp932("ネコのパズル"));
  Store("LongPuzzleName", std::string(300, 'c'));
  Store("Slider1", "20");
  Store("Slider2", "150");
  const SourceForm& form = Open();
  EXPECT_EQ(view_->Text(kPuzzleSetName), "Animals");
  EXPECT_EQ(view_->Text(kPuzzleName), "ネコのパズル");
  EXPECT_EQ(view_->Text(kComment), std::string(255, 'c'));  // cut to 255 bytes
  EXPECT_EQ(view_->sliders[kSlider1], 20);
  EXPECT_EQ(view_->Text(kText1), "80");
  EXPECT_EQ(view_->sliders[kSlider2], 100);  // kept within 0 to 100
  EXPECT_EQ(view_->Text(kText2), "0");
  EXPECT_EQ(form.Text(kText2), "0");
}

// The sliders are stored as their own values, not as the numbers in the boxes.
TEST_F(SourceFormTest, SlidersDriveTheirBoxes) {
  const struct {
    ControlId slider;
    int value;
    const char* box;
  } moves[] = {
      {kSlider1, 0, "100"}, {kSlider1, 100, "0"}, {kSlider1, 71, "29"},
      {kSlider2, 84, "16"}, {kSlider2, 95, "5"},
  };
  for (const auto& move : moves) {
    SCOPED_TRACE(move.value);
    std::filesystem::remove(settings_);
    SourceForm& form = Open();
    const ControlId box = move.slider == kSlider1 ? kText1 : kText2;
    const ControlId other = move.slider == kSlider1 ? kText2 : kText1;
    const std::string other_text = view_->Text(other);
    form.SliderMoved(move.slider, move.value);
    EXPECT_EQ(view_->Text(box), move.box);
    EXPECT_EQ(view_->Text(other), other_text);
    form.ExitClicked();
    EXPECT_EQ(Stored(move.slider == kSlider1 ? "Slider1" : "Slider2"), std::to_string(move.value));
  }
}

// A density box takes a whole number from 0 to 100: it moves its slider to 100 minus it,
// so that the make uses what the settings keep; anything else is put back.
TEST_F(SourceFormTest, DensityBoxesTakeWholeNumbersAndMoveTheirSliders) {
  const struct {
    ControlId box;
    const char* typed;
    const char* shown;  // what the box shows afterwards
    int slider;         // the slider afterwards (70 or 85 before)
  } edits[] = {
      {kText1, "45", "45", 55},   {kText1, "100", "100", 0}, {kText1, "0", "0", 100},
      {kText2, "7", "7", 93},     {kText1, "", "", 70},      {kText1, "150", "30", 70},
      {kText1, "150x", "30", 70}, {kText2, "-5", "15", 85},  {kText2, "55.5", "15", 85},
      {kText1, "abc", "30", 70},  {kText1, "1e2", "30", 70},
  };
  for (const auto& edit : edits) {
    SCOPED_TRACE(edit.typed);
    std::filesystem::remove(settings_);
    SourceForm& form = Open();
    Type(form, edit.box, edit.typed);
    const ControlId slider = edit.box == kText1 ? kSlider1 : kSlider2;
    EXPECT_EQ(view_->Text(edit.box), edit.shown);
    EXPECT_EQ(form.SliderValue(slider), edit.slider);
    EXPECT_EQ(view_->sliders[slider], edit.slider);
    // The window reports its slider's move back: the box keeps what was typed.
    form.SliderMoved(slider, edit.slider);
    EXPECT_EQ(view_->Text(edit.box), edit.shown);
    form.ExitClicked();
    EXPECT_EQ(Stored(edit.box == kText1 ? "Slider1" : "Slider2"), std::to_string(edit.slider));
  }
}

TEST_F(SourceFormTest, ColourOptionsStoreTheirPaletteIndex) {
  const int16_t palette[] = {0, 9, 10, 11, 12, 13, 14, 15};
  SourceForm& form = Open();
  for (int option = 0; option < 8; ++option) {
    form.OptionClicked(option);
    EXPECT_EQ(form.back_color_index(), palette[option]) << option;
  }
  form.OptionClicked(8);  // no such option: nothing changes
  form.OptionClicked(-1);
  EXPECT_EQ(form.back_color_index(), 15);
}

// Each click replaces the preview, the grid, the status line, MakeIt and the puzzle name;
// a picture over 335 pixels is not fitted (the question is answered no), shown as far as
// the preview's place reaches, and not made.
TEST_F(SourceFormTest, PictureClicksSetGridStatusAndName) {
  const struct {
    const char* file;
    int width, height;
    const char* status;
    bool makeIt;
    const char* name;
    int xMax, yMax;
    int shownWidth, shownHeight;
    bool shaded;  // the shown bottom-right corner lies beyond the tiles' area
  } clicks[] = {
      {"fit.bmp", 128, 96, "ピース数： x = 3 , y = 2", true, "fit", 3, 2, 128, 96, false},
      {"wide.bmp", 336, 100, "画像が大きすぎです", false, "wide", 10, 2, 335, 100, true},
      {"abc.def.bmp", 320, 320, "ピース数： x = 9 , y = 9", true, "abc", 9, 9, 320, 320, false},
      {"tall.bmp", 100, 400, "画像が大きすぎです", false, "tall", 2, 12, 100, 335, true},
      {"huge.bmp", 1000, 800, "画像が大きすぎです", false, "huge", 30, 24, 335, 335, false},
      {"abcdefghijklmnopqrst.bmp", 304, 305, "ピース数： x = 8 , y = 9", true, "abcdefghijklmno", 8,
       9, 304, 305, true},
      // Fifteen full-width characters are 30 bytes: the box does not cut them.
      {"あいうえおかきくけこさしすせそた.bmp", 40, 100, "画像が小さすぎです", false,
       "あいうえおかきくけこさしすせそ", 0, 2, 40, 100, true},
      {"small.BMP", 15, 15, "画像が小さすぎです", false, "small", -1, -1, 15, 15, true},
      {".bmp", 64, 64, "ピース数： x = 1 , y = 1", true, "", 1, 1, 64, 64, false},
  };
  for (const auto& click : clicks) {
    Picture(Dir("src") + "/" + click.file, click.width, click.height);
  }
  Store("SrcDir", Dir("src"));
  SourceForm& form = Open();
  for (const auto& click : clicks) {
    SCOPED_TRACE(click.file);
    form.FileClicked(click.file);
    EXPECT_EQ(view_->Text(kLabel1), click.status);
    EXPECT_EQ(view_->enabled.at(kMakeIt), click.makeIt);
    EXPECT_EQ(form.make_enabled(), click.makeIt);
    EXPECT_EQ(view_->Text(kPuzzleName), click.name);
    EXPECT_EQ(form.grid(),
              (Grid{static_cast<int16_t>(click.xMax), static_cast<int16_t>(click.yMax)}));
    // The preview is the picture at 1:1, darkened where no tile takes it.
    ASSERT_TRUE(view_->preview.has_value());
    const Raster& preview = *view_->preview;
    ASSERT_EQ(preview.width, click.shownWidth);
    ASSERT_EQ(preview.height, click.shownHeight);
    const Raster& picture = *form.picture();
    EXPECT_EQ(picture.width, click.width);
    const int x = preview.width - 1;
    const int y = preview.height - 1;
    EXPECT_EQ(preview.pixels[preview.Index(x, y)] != picture.pixels[picture.Index(x, y)],
              click.shaded);
    if (click.xMax >= 0 && click.yMax >= 0) {
      EXPECT_EQ(preview.pixels[0], picture.pixels[0]);
    }
  }
  EXPECT_TRUE(view_->messages.empty());
  ASSERT_EQ(view_->questions.size(), 3u);  // wide.bmp, tall.bmp and huge.bmp
  EXPECT_EQ(view_->questions[1],
            "画像が大きすぎです (100 x 400)\nグリッドに合わせて縮小しますか？");
  EXPECT_EQ(view_->defaults[1], Answer::kYes);
}

// Yes to the question fits the picture as klvmake --fit does; the preview is exactly the
// make's source.
TEST_F(SourceFormTest, LargePictureIsFittedWhenTheQuestionIsAnsweredYes) {
  test::WriteDiskFile(Dir("src") + "/photo.png", test::EncodePngRaster(test::TestPhoto(640, 480)));
  Store("SrcDir", Dir("src"));
  SourceForm& form = Open();
  view_->answer = Answer::kYes;
  form.FileClicked("photo.png");
  EXPECT_EQ(view_->questions.size(), 1u);
  EXPECT_EQ(view_->Text(kLabel1), "ピース数： x = 9 , y = 7");
  EXPECT_TRUE(view_->enabled.at(kMakeIt));
  SourceOptions fit;
  fit.fit = true;
  const std::optional<Raster> made =
      ReadSourcePicture(Env::Default(), Dir("src") + "/photo.png", fit, nullptr);
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(view_->preview->width, 320);
  EXPECT_EQ(view_->preview->height, 256);
  EXPECT_EQ(view_->preview->pixels, made->pixels);
  EXPECT_EQ(form.picture()->pixels, made->pixels);
}

// A picture dropped on the window or named on the command line is chosen as a click in
// its folder would choose it.
TEST_F(SourceFormTest, ChosenPictureMovesTheSourceListsAndIsClicked) {
  std::filesystem::create_directory(Dir("photos"));
  Picture(Dir("photos") + "/cat.bmp", 128, 96);
  SourceForm& form = Open();
  form.ChoosePicture(Dir("photos") + "/cat.bmp");
  EXPECT_EQ(view_->Folder(ListSet::kSource), Dir("photos"));
  EXPECT_EQ(view_->Folder(ListSet::kDestination), Dir("start"));
  EXPECT_EQ(view_->selected, "cat.bmp");
  EXPECT_EQ(view_->Text(kLabel1), "ピース数： x = 3 , y = 2");
  EXPECT_TRUE(view_->enabled.at(kMakeIt));
  EXPECT_EQ(view_->Text(kPuzzleName), "cat");

  form.ChoosePicture(Dir("gone") + "/dog.bmp");
  ASSERT_EQ(view_->messages.size(), 1u);
  EXPECT_EQ(view_->messages[0].text, "フォルダを開けません\n" + Dir("gone"));
  EXPECT_EQ(view_->Text(kPuzzleName), "cat");
}

TEST_F(SourceFormTest, UnreadablePictureChangesNothing) {
  Picture(Dir("src") + "/fit.bmp", 128, 96);
  test::WriteDiskText(Dir("src") + "/bad.bmp", "this is not a bitmap");
  Store("SrcDir", Dir("src"));
  SourceForm& form = Open();
  form.FileClicked("fit.bmp");
  Type(form, kPuzzleName, "Kept");
  view_->preview.reset();

  form.FileClicked("bad.bmp");
  ASSERT_EQ(view_->messages.size(), 1u);
  EXPECT_EQ(view_->messages[0].kind, MessageKind::kFailure);
  EXPECT_TRUE(
      view_->messages[0].text.starts_with("画像を読み込めません\n" + Dir("src") + "/bad.bmp"))
      << view_->messages[0].text;
  EXPECT_EQ(view_->Text(kLabel1), "ピース数： x = 3 , y = 2");
  EXPECT_TRUE(form.make_enabled());
  EXPECT_EQ(form.Text(kPuzzleName), "Kept");
  EXPECT_EQ(form.grid(), (Grid{3, 2}));
  EXPECT_FALSE(view_->preview.has_value());
  EXPECT_EQ(form.picture()->width, 128);
}

// A package in the file list opens the package window; the chosen picture stays.
TEST_F(SourceFormTest, PackageInTheFileListOpensItsWindow) {
  SourceForm& form = OpenWithPicture(64, 64);
  form.FileClicked("old.KLV");
  EXPECT_EQ(view_->packages, std::vector<std::string>{Dir("src") + "/old.KLV"});
  EXPECT_EQ(form.grid(), (Grid{1, 1}));
}

TEST_F(SourceFormTest, DrivesAndFoldersThatCannotBeOpenedAreReported) {
  SourceForm& form = Open();
  form.DriveChosen(ListSet::kDestination, "/no/such/drive");
  form.FolderOpenFailed(Dir("gone"));
  ASSERT_EQ(view_->messages.size(), 2u);
  EXPECT_EQ(view_->messages[0].text, "ドライブを開けません\n/no/such/drive");
  EXPECT_EQ(view_->messages[1].text, "フォルダを開けません\n" + Dir("gone"));
  EXPECT_EQ(view_->Drive(ListSet::kDestination), root_);
  form.DriveChosen(ListSet::kSource, "/");
  EXPECT_EQ(view_->Folder(ListSet::kSource), "/");
  EXPECT_EQ(view_->messages.size(), 2u);
}

TEST_F(SourceFormTest, ExitButtonWritesTheNineKeys) {
  SourceForm& form = Open();
  form.ExitClicked();
  EXPECT_EQ(view_->ended, 1);
  EXPECT_TRUE(form.ended());

  std::vector<std::string> keys;
  std::ifstream lines(settings_);
  for (std::string line; std::getline(lines, line);) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos) keys.push_back(line.substr(0, equals));
  }
  EXPECT_EQ(keys, std::vector<std::string>(std::begin(kSettingsKeys), std::end(kSettingsKeys)));
  EXPECT_EQ(Stored("PuzzleName"), "\xca\xdf\xbd\xde\xd9\x96\xbc");
  EXPECT_EQ(Stored("PuzzleSetName"), "\xca\xdf\xbd\xde\xd9\xbe\xaf\xc4\x96\xbc");
  EXPECT_EQ(Stored("LongPuzzleName"), "\x83\x52\x83\x81\x83\x93\x83\x67");
  EXPECT_EQ(Stored("SrcDrive"), root_);
  EXPECT_EQ(Stored("SrcDir"), Dir("start"));
  EXPECT_EQ(Stored("DestDrive"), root_);
  EXPECT_EQ(Stored("DestDir"), Dir("start"));
  EXPECT_EQ(Stored("Slider1"), "70");
  EXPECT_EQ(Stored("Slider2"), "85");
  form.OptionClicked(0);  // after the end nothing happens
  EXPECT_EQ(form.back_color_index(), 13);
}

TEST_F(SourceFormTest, CloseBoxWritesNothing) {
  for (const bool file_exists : {false, true}) {
    SCOPED_TRACE(file_exists);
    std::filesystem::remove(settings_);
    if (file_exists) Store("Slider1", "40");
    const std::optional<test::Bytes> before = test::ReadDiskFile(settings_);
    SourceForm& form = Open();
    form.SliderMoved(kSlider1, 100);
    Type(form, kPuzzleSetName, "x");
    EXPECT_TRUE(form.CloseRequested());
    EXPECT_TRUE(form.ended());
    EXPECT_EQ(test::ReadDiskFile(settings_), before);
  }
}

TEST_F(SourceFormTest, MakeWritesThePackageAndEnds) {
  // Left from earlier: an unrelated file and a tile of a larger grid stay.
  for (const char* name : {"keep.txt", "res0808.bmp"})
    test::WriteDiskText(Dir("dest") + "/" + name, "");
  SourceForm& form = OpenWithPicture(128, 96);
  Type(form, kPuzzleSetName, "どうぶつ");
  Type(form, kComment, "A cat\nholds");
  form.OptionClicked(7);

  form.MakeClicked();

  ASSERT_EQ(view_->messages.size(), 1u);
  const Shown& done = view_->messages[0];
  EXPECT_EQ(done.kind, MessageKind::kCompletion);
  EXPECT_EQ(done.text, "コンバートが終了しました");
  // At the message the package is in place and the work files are still in the make's
  // private folder; the settings are not yet saved.
  ASSERT_EQ(done.destinationEntries.size(), 4u);
  EXPECT_TRUE(done.destinationEntries[0].starts_with(".klvmake-"));
  EXPECT_EQ(
      std::vector<std::string>(done.destinationEntries.begin() + 1, done.destinationEntries.end()),
      (std::vector<std::string>{"cat.klv", "keep.txt", "res0808.bmp"}));
  EXPECT_EQ(done.settings.find("PuzzleName="), std::string::npos);

  // Only the package and what was there before remain.
  EXPECT_EQ(Entries(Dir("dest")), (std::vector<std::string>{"cat.klv", "keep.txt", "res0808.bmp"}));
  const std::optional<test::RiffForm> package =
      test::ReadRiff(test::ReadDiskFile(Dir("dest") + "/cat.klv").value_or(test::Bytes()));
  ASSERT_TRUE(package.has_value());
  EXPECT_EQ(Stored("PuzzleName"), "cat");
  EXPECT_EQ(Stored("PuzzleSetName"), ToCp932("どうぶつ"));
  EXPECT_EQ(Stored("LongPuzzleName"), "A cat");  // a profile value ends at its line
  EXPECT_EQ(Stored("DestDir"), Dir("dest"));
  EXPECT_EQ(view_->ended, 1);

  // The work canvas showed the make's surfaces: six tiles and the picture-sized base.
  ASSERT_EQ(view_->canvases.size(), 1u);
  const WorkCanvas& canvas = view_->canvases[0];
  ASSERT_EQ(canvas.tiles.size(), 6u);
  EXPECT_EQ(canvas.base.width, 128);
  EXPECT_EQ(canvas.base.height, 96);
  // Tile (0, 0)'s top-left cell is a corner: a complete copy of the picture.
  EXPECT_EQ(canvas.tiles[0].pixels[canvas.tiles[0].Index(5, 3)],
            form.picture()->pixels[form.picture()->Index(5, 3)]);
}

TEST_F(SourceFormTest, FailedMakeIsReportedAndEnds) {
  const struct {
    const char* name;
    std::optional<int16_t> file_conv;  // nothing: the library is not found
    bool folder_gone;
    const char* headline;
    size_t conversions;
  } cases[] = {
      {"conversion fails", 0, false, "コンバートに失敗しました", 1},
      {"library not found", std::nullopt, false, "KLVUtils が見つからないため", 1},
      {"work folder has gone", 1, true, "作業ファイルを保存できませんでした", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::create_directories(Dir("dest"));
    std::vector<std::string> calls;
    SourceForm& form =
        OpenWithPicture(64, 64, std::make_unique<FakeConverter>(c.file_conv, &calls));
    if (c.folder_gone) std::filesystem::remove_all(Dir("dest"));

    form.MakeClicked();

    ASSERT_EQ(view_->messages.size(), 1u);
    EXPECT_EQ(view_->messages[0].kind, MessageKind::kFailure);
    EXPECT_TRUE(view_->messages[0].text.starts_with(c.headline)) << view_->messages[0].text;
    ASSERT_EQ(calls.size(), c.conversions);
    if (!calls.empty()) {
      EXPECT_TRUE(calls[0].starts_with(Dir("dest") + "/.klvmake-")) << calls[0];
    }
    if (!c.folder_gone) {
      EXPECT_TRUE(Entries(Dir("dest")).empty());
    }
    // The make ends as every make does: the settings saved, the program ended.
    EXPECT_EQ(Stored("PuzzleName"), "cat");
    EXPECT_EQ(view_->ended, 1);
  }
}

// The make is refused before anything is written; the window stays open for a new name.
TEST_F(SourceFormTest, NameThatCannotNameThePackageIsRefused) {
  const struct {
    const char* name;
    const char* why;
  } cases[] = {
      {"   ", "パズル名を入力してください"},
      {"\"cat\"", "引用符"},
      {"a/b", "区切り文字"},
      {"a\tb", "制御文字"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> calls;
    SourceForm& form = OpenWithPicture(64, 64, std::make_unique<FakeConverter>(1, &calls));
    Type(form, kPuzzleName, c.name);
    form.MakeClicked();
    ASSERT_EQ(view_->messages.size(), 1u);
    EXPECT_EQ(view_->messages[0].kind, MessageKind::kFailure);
    EXPECT_TRUE(view_->messages[0].text.starts_with("パズル名が正しくありません\n"));
    EXPECT_NE(view_->messages[0].text.find(c.why), std::string::npos) << view_->messages[0].text;
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(Entries(Dir("dest")).empty());
    EXPECT_EQ(view_->ended, 0);
    EXPECT_TRUE(form.make_enabled());
  }
}

// Anything under the package's name in the destination is replaced only when the person
// answers yes; No (the default, also Escape) returns to the window with nothing written.
TEST_F(SourceFormTest, APackageInTheDestinationIsReplacedOnlyOnYes) {
  const struct {
    const char* name;
    const char* existing;  // "" none; "file" or "folder" named as the package
    const char* puzzle_name;
    Answer answer;
    bool asked;
    bool made;
  } cases[] = {
      {"nothing there", "", "cat", Answer::kNo, false, true},
      {"package there, no", "file", "cat", Answer::kNo, true, false},
      {"package there, yes", "file", "cat", Answer::kYes, true, true},
      {"folder of that name, no", "folder", "cat", Answer::kNo, true, false},
      // The library keeps 15 bytes of the name: the package is named after those.
      {"long name, package there", "file", "abcdefghijklmnopq", Answer::kNo, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(Dir("dest"));
    std::filesystem::create_directories(Dir("dest"));
    std::filesystem::remove(settings_);
    const std::string package =
        Dir("dest") + "/" + std::string(c.puzzle_name).substr(0, 15) + ".klv";
    if (std::string(c.existing) == "file") test::WriteDiskText(package, "earlier");
    if (std::string(c.existing) == "folder") std::filesystem::create_directory(package);
    std::vector<std::string> calls;
    SourceForm& form = OpenWithPicture(64, 64);
    Type(form, kPuzzleName, c.puzzle_name);
    view_->answer = c.answer;

    form.MakeClicked();

    EXPECT_EQ(view_->questions.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(view_->questions[0], "保存先に「" + std::string(c.puzzle_name).substr(0, 15) +
                                         ".klv」があります。置き換えますか？");
      EXPECT_EQ(view_->defaults[0], Answer::kNo);
    }
    EXPECT_EQ(view_->ended, c.made ? 1 : 0);
    if (c.made) {
      EXPECT_EQ(view_->messages.at(0).kind, MessageKind::kCompletion);
      EXPECT_TRUE(test::ReadRiff(test::ReadDiskFile(package).value_or(test::Bytes())).has_value());
    } else {
      EXPECT_TRUE(view_->messages.empty());
      EXPECT_EQ(Entries(Dir("dest")).size(), 1u) << "nothing written";
      EXPECT_EQ(Stored("PuzzleName"), "<absent>") << "the settings are not saved";
      EXPECT_TRUE(form.make_enabled());
    }
  }
}

// The English form: the defaults, the status line and the messages in English; a default
// text stored by a Japanese run shows in English.
TEST_F(SourceFormTest, TheEnglishFormSpeaksEnglish) {
  Picture(Dir("src") + "/fit.bmp", 128, 96);
  test::WriteDiskText(Dir("src") + "/bad.bmp", "BM no picture");
  Store("SrcDir", Dir("src"));
  Store("PuzzleSetName", "\xca\xdf\xbd\xde\xd9\xbe\xaf\xc4\x96\xbc");
  SourceForm& form = Open(WindowLanguage::kEnglish);
  EXPECT_EQ(view_->Text(kPuzzleSetName), "Puzzle set");
  EXPECT_EQ(view_->Text(kComment), "Comment");
  EXPECT_EQ(view_->Text(kLabel1), "Picture size");
  form.FileClicked("fit.bmp");
  EXPECT_EQ(view_->Text(kLabel1), "Pieces: x = 3 , y = 2");
  form.FileClicked("bad.bmp");
  ASSERT_EQ(view_->messages.size(), 1u);
  EXPECT_TRUE(view_->messages[0].text.starts_with("Cannot read the picture\n"))
      << view_->messages[0].text;
}

}  // namespace
}  // namespace klv::form
