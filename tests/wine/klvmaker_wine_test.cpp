// klvmaker.exe, the Windows window, under Wine, worked as a person would by
// klvmaker_driver.exe: every control at its designed place with its text (Japanese and
// English), the byte limits, a picture chosen by a click and the fit question, the make
// from the click on the file to the package beside the picture, the same package as
// klvmake.exe's for the same seed, the question before a package is replaced, the
// command line's and the failures' messages, and the package window with its trial play.
// The windows' rules themselves are the forms', tested on Linux; these check the Windows
// windows that show them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "form/control_table.h"
#include "form/package_form.h"
#include "form/text_boxes.h"
#include "klvtest/picture_files.h"
#include "language/ui_text.h"
#include "wine_support.h"

namespace klv::winetest {
namespace {

using form::ControlId;

constexpr int kFirstControlId = 100;  // klvmaker.exe's control ids: the table's row plus this

// The client point of the middle of `id`'s place, as "X,Y".
std::string At(ControlId id, int index = 0) {
  const form::Rect place = form::FindControl(id, index).place;
  return std::to_string(place.x + place.width / 2) + "," +
         std::to_string(place.y + place.height / 2);
}

std::string Repeated(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

BmpFields Picture(int32_t width, int32_t height) {
  BmpFields fields;
  fields.width = width;
  fields.height = height;
  fields.seed = 5;
  return fields;
}

// What klvmaker_driver.exe printed, line by line.
struct Session {
  RunResult run;
  std::vector<std::string> lines;

  // The lines that start with `word` and a space, without it.
  std::vector<std::string> Said(const std::string& word) const {
    std::vector<std::string> said;
    for (const std::string& line : lines) {
      if (line.rfind(word + " ", 0) == 0) said.push_back(line.substr(word.size() + 1));
    }
    return said;
  }
  std::string Joined() const {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
  }
};

// Runs klvmaker.exe in `folder` through the driver, with `options` (--arg=, --program=)
// and `steps`, in `locale` (ja_JP.UTF-8: Japanese, code page 932; C.UTF-8: English).
Session Drive(const std::string& folder, const std::vector<std::string>& options,
              const std::vector<std::string>& steps, const std::string& locale = "ja_JP.UTF-8") {
  std::vector<std::string> args{WindowsPath(folder)};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), steps.begin(), steps.end());
  Session session;
  session.run = RunWine("klvmaker_driver", args, locale);
  size_t start = 0;
  const std::string& out = session.run.out;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    session.lines.push_back(out.substr(start, end - start));
    start = end + 1;
  }
  return session;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(KlvmakerWindowOnWine, EveryControlStandsAtItsPlaceWithItsText) {
  for (const auto& [locale, language] : {std::pair{"ja_JP.UTF-8", WindowLanguage::kJapanese},
                                         std::pair{"C.UTF-8", WindowLanguage::kEnglish}}) {
    SCOPED_TRACE(locale);
    TempFolder folder;
    const Session session =
        Drive(folder.path(), {}, {"layout", "close", "end", "settings"}, locale);
    ASSERT_EQ(session.Said("dpi"), std::vector<std::string>{"96"}) << session.Joined();
    EXPECT_EQ(session.Said("client"), std::vector<std::string>{"683 551"});
    const std::span<const form::Control> table = form::SourceScrControls();
    const std::vector<std::string> controls = session.Said("control");
    EXPECT_EQ(controls.size(), table.size() - 1) << session.Joined();
    for (const std::string& line : controls) {
      int id = 0, x = 0, y = 0, width = 0, height = 0;
      int read = 0;
      ASSERT_EQ(std::sscanf(line.c_str(), "%d %d %d %d %d %n", &id, &x, &y, &width, &height, &read),
                5);
      const size_t row = static_cast<size_t>(id - kFirstControlId);
      ASSERT_LT(row, table.size()) << line;
      const form::Control& control = table[row];
      SCOPED_TRACE(std::string(control.name) + " " + std::to_string(control.index));
      // A drop-down list's closed height is its font's; the rest is the design's.
      const bool drive_list = control.kind == form::ControlKind::kDriveList;
      EXPECT_EQ((form::Rect{x, y, width, drive_list ? control.place.height : height}),
                control.place);
      if (drive_list) {
        EXPECT_GE(height, control.place.height - 2);
        EXPECT_LE(height, control.place.height + 6);
      }
      const std::string text = line.substr(static_cast<size_t>(read));
      if (!control.text.source.empty()) {
        EXPECT_EQ(text, Translate(language, control.text));
      }
    }
    const bool japanese = language == WindowLanguage::kJapanese;
    for (const auto& [id, shown] :
         {std::pair{ControlId::kPuzzleSetName, japanese ? "ﾊﾟｽﾞﾙｾｯﾄ名" : "Puzzle set"},
          std::pair{ControlId::kComment, japanese ? "コメント" : "Comment"},
          std::pair{ControlId::kText1, "30"}, std::pair{ControlId::kText2, "15"}}) {
      const std::string wanted =
          std::to_string(kFirstControlId + static_cast<int>(&form::FindControl(id) - table.data()));
      bool found = false;
      for (const std::string& line : controls) {
        if (line.rfind(wanted + " ", 0) != 0) continue;
        found = true;
        EXPECT_TRUE(line.ends_with(std::string(" ") + shown)) << line;
      }
      EXPECT_TRUE(found) << wanted;
    }
    // The close box ends the program without saving.
    EXPECT_EQ(session.Said("exit"), std::vector<std::string>{"0"});
    EXPECT_EQ(session.Said("settings"), std::vector<std::string>{"absent"});
  }
}

TEST(KlvmakerWindowOnWine, BoxesKeepTheirByteLimitsAndDensitiesTheirNumbers) {
  TempFolder folder;
  const std::string set_name = At(ControlId::kPuzzleSetName);
  const std::string name = At(ControlId::kPuzzleName);
  const std::string comment = At(ControlId::kComment);
  const std::string density = At(ControlId::kText1);
  const Session session =
      Drive(folder.path(), {},
            {"clear:" + set_name, "type:" + set_name + ":ｱｲｳｴｵｶｷｸｹｺｻｼ", "text:" + set_name,
             "clear:" + name, "type:" + name + ":あいうえおかきく", "text:" + name,
             "clear:" + comment, "type:" + comment + ":" + Repeated("あ", 130), "text:" + comment,
             "clear:" + density, "type:" + density + ":150", "text:" + density,
             "slider:" + At(ControlId::kSlider1), "clear:" + density, "type:" + density + ":45",
             "slider:" + At(ControlId::kSlider1), "close", "end"});
  EXPECT_EQ(session.Said("text"),
            (std::vector<std::string>{"ｱｲｳｴｵｶｷｸｹｺ", "あいうえおかき", Repeated("あ", 127), "15"}))
      << session.Joined();
  EXPECT_EQ(session.Said("slider"), (std::vector<std::string>{"85", "55"}));
  EXPECT_EQ(session.Said("exit"), std::vector<std::string>{"0"});
}

TEST(KlvmakerWindowOnWine, AClickChoosesThePictureAndALargeOneAsksToFit) {
  TempFolder folder;
  WriteDiskFile(folder.File("a.bmp"), MakeBmp(Picture(200, 150)));
  WriteDiskFile(folder.File("b.bmp"), MakeBmp(Picture(500, 400)));
  const std::string files = At(ControlId::kFile1);
  const std::string status = At(ControlId::kLabel1);
  const Session session =
      Drive(folder.path(), {},
            {"item:" + files + ":0", "text:" + status, "text:" + At(ControlId::kPuzzleName),
             "item:" + files + ":1", "dialog", "key:return", "text:" + status,
             "item:" + files + ":1", "key:escape", "text:" + status, "close", "end"});
  EXPECT_EQ(session.Said("text"),
            (std::vector<std::string>{"ピース数： x = 5 , y = 4", "a", "ピース数： x = 9 , y = 7",
                                      "画像が大きすぎです"}))
      << session.Joined();
  EXPECT_EQ(
      session.Said("dialog"),
      (std::vector<std::string>{"画像が大きすぎです (500 x 400)\\nグリッドに合わせて縮小しますか？",
                                "はい", "いいえ"}));
  EXPECT_EQ(session.Said("exit"), std::vector<std::string>{"0"});
}

// In a folder that holds one 200 x 150 bitmap, a click on the first file at (215, 362), a
// click on the make button at (587, 491) and Return on the completion message leave
// exactly the package beside the picture, and the program ends.
TEST(KlvmakerWindowOnWine, TheDesignedClicksMakeExactlyThePackageBesideThePicture) {
  TempFolder folder;
  WriteDiskFile(folder.File("photo.bmp"), MakeBmp(Picture(200, 150)));
  const Session session =
      Drive(folder.path(), {},
            {"click:215,362", "click:587,491", "dialog", "key:return", "end", "settings"});
  EXPECT_EQ(session.Said("dialog"), (std::vector<std::string>{"OK", "コンバートが終了しました"}))
      << session.Joined();
  EXPECT_EQ(session.Said("exit"), std::vector<std::string>{"0"});
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"photo.bmp", "photo.klv"}));
  const std::optional<Bytes> package = ReadDiskFile(folder.File("photo.klv"));
  ASSERT_TRUE(package.has_value());
  EXPECT_TRUE(ReadRiff(*package).has_value());
  // The nine keys of the settings, the destination being the picture's folder.
  const std::vector<std::string> settings = session.Said("setting");
  ASSERT_EQ(settings.size(), 10u) << session.Joined();
  EXPECT_EQ(settings[0], "[ToolsData]");
  EXPECT_EQ(settings[1], "PuzzleName=photo");
  EXPECT_EQ(settings[7], "DestDir=" + WindowsPath(folder.path()));
  EXPECT_EQ(settings[8], "Slider1=70");
}

TEST(KlvmakerWindowOnWine, AMakeWithTheSeedOfKlvmakeGivesItsPackage) {
  TempFolder root;
  for (const char* side : {"window", "klvmake"}) {
    std::filesystem::create_directory(root.path() + "/" + side);
    WriteDiskFile(root.path() + "/" + side + "/picture.bmp", MakeBmp(Picture(160, 128)));
  }
  const std::string made = root.path() + "/klvmake";
  const RunResult klvmake = RunWine("klvmake", {WindowsPath(made + "/picture.bmp"), "--out",
                                                WindowsPath(made), "--seed", "4242"});
  ASSERT_EQ(klvmake.exit_code, 0) << Describe(klvmake);
  const Session session =
      Drive(root.path() + "/window", {},
            {"seed:4242", "click:215,362", "click:587,491", "key:return", "end"});
  EXPECT_EQ(session.Said("exit"), std::vector<std::string>{"0"}) << session.Joined();
  const std::optional<Bytes> window_package = ReadDiskFile(root.path() + "/window/picture.klv");
  const std::optional<Bytes> klvmake_package = ReadDiskFile(made + "/picture.klv");
  ASSERT_TRUE(window_package.has_value());
  ASSERT_TRUE(klvmake_package.has_value());
  EXPECT_TRUE(*window_package == *klvmake_package);
}

TEST(KlvmakerWindowOnWine, APackageInTheDestinationIsReplacedOnlyOnYes) {
  TempFolder folder;
  WriteDiskFile(folder.File("photo.bmp"), MakeBmp(Picture(64, 64)));
  WriteDiskText(folder.File("photo.klv"), "earlier");
  const Session session = Drive(folder.path(), {},
                                {"click:215,362", "click:587,491", "dialog", "key:return",
                                 "click:587,491", "key:escape", "close", "end"});
  EXPECT_EQ(session.Said("dialog"),
            (std::vector<std::string>{"保存先に「photo.klv」があります。置き換えますか？", "はい",
                                      "いいえ"}))
      << session.Joined();
  EXPECT_EQ(session.Said("exit"), std::vector<std::string>{"0"});
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"photo.bmp", "photo.klv"}));
  EXPECT_EQ(ReadDiskFile(folder.File("photo.klv")), Bytes({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
}

// What the command line opens, and the failures that are messages instead of crashes.
TEST(KlvmakerWindowOnWine, TheCommandLineAndTheFailuresAreMessages) {
  TempFolder root;
  const std::string plain = root.path() + "/plain";
  const std::string accented = root.path() + "/caf\u00e9";
  const std::string alone = root.path() + "/alone";
  const std::string japanese = root.path() + "/写真";
  for (const std::string& folder : {plain, accented, alone, japanese}) {
    std::filesystem::create_directory(folder);
    WriteDiskFile(folder + "/photo.bmp", MakeBmp(Picture(96, 64)));
  }
  WriteDiskFile(plain + "/caf\u00e9.bmp", MakeBmp(Picture(96, 64)));
  // klvmaker.exe without KLVUtils.dll beside it.
  std::filesystem::copy_file(std::string(KLV_WINDOWS_BIN) + "/klvmaker.exe",
                             alone + "/klvmaker.exe");
  const std::string status = At(ControlId::kLabel1);
  const struct {
    const char* name;
    std::string folder;
    std::vector<std::string> options;
    std::vector<std::string> steps;
    std::vector<std::string> dialog;  // what the message says
    const char* exit;
    std::vector<std::string> texts = {};  // what the status line shows
  } cases[] = {
      {"a picture named in a Japanese folder",
       japanese,
       {"--arg=photo.bmp"},
       {"text:" + status, "close"},
       {},
       "0",
       {"ピース数： x = 2 , y = 1"}},
      {"a missing file",
       plain,
       {"--arg=missing.bmp"},
       {"dialog", "key:return"},
       {"OK", "ファイルを開けません\\nmissing.bmp: "},
       "1"},
      {"a name outside the code page",
       plain,
       {"--arg=caf\u00e9.bmp"},
       {"dialog", "key:return"},
       {"OK",
        "ファイルを開けません\\ncaf\u00e9.bmp にはシステムのコードページで表せない文字があります"},
       "1"},
      {"a folder outside the code page",
       accented,
       {},
       {"click:215,362", "dialog", "key:return", "text:" + status, "close"},
       {"OK", "画像を読み込めません\\n" + WindowsPath(accented) +
                  "\\photo.bmp にはシステムのコードページで表せない文字があります"},
       "0"},
      {"no KLVUtils.dll",
       alone,
       {"--program=" + WindowsPath(alone + "/klvmaker.exe")},
       {"click:215,362", "click:587,491", "dialog", "key:return"},
       {"OK", "KLVUtils が見つからないため、コンバートできませんでした\\n"},
       "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> steps = c.steps;
    steps.push_back("end");
    const Session session = Drive(c.folder, c.options, steps);
    const std::vector<std::string> dialog = session.Said("dialog");
    ASSERT_EQ(dialog.size(), c.dialog.size()) << session.Joined();
    for (size_t i = 0; i < dialog.size(); ++i) {
      EXPECT_TRUE(dialog[i].starts_with(c.dialog[i])) << dialog[i];
    }
    EXPECT_EQ(session.Said("exit"), std::vector<std::string>{c.exit}) << session.Joined();
    if (!c.texts.empty()) {
      EXPECT_EQ(session.Said("text"), c.texts);
    }
  }
  EXPECT_EQ(Names(alone), (std::vector<std::string>{"klvmaker.exe", "photo.bmp"}));

  const RunResult version = RunWine("klvmaker", {"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_TRUE(version.out.starts_with("klvmaker (KLVMaker) ")) << Describe(version);
  const RunResult help = RunWine("klvmaker", {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: klvmaker")) << Describe(help);
}

// The package window's trial play as a person sees it: the form (whose rules are tested on
// Linux) stands for the window to tell where each tile lies once scattered by the same seed.
class TrialPlayOnLinux : private form::PackageView {
 public:
  TrialPlayOnLinux(const std::string& package, uint32_t seed)
      : form_(Contents(package), WindowLanguage::kJapanese, *this) {
    form_.ScatterForTests(seed);
  }

  // The driver's step that drags the topmost loose tile by its square of colour so that it
  // lands `dx`, `dy` from its place, done here too.
  std::string DragTopTile(int dx, int dy) {
    const TrialTile& tile = form_.Play().Tiles()[form_.Play().Order().back()];
    const int from_x = tile.x + 30;
    const int from_y = tile.y + 30;
    const int to_x = tile.HomeX() + dx + 30;
    const int to_y = tile.HomeY() + dy + 30;
    form_.Pressed(from_x, from_y);
    form_.Moved((from_x + to_x) / 2, (from_y + to_y) / 2);
    form_.Released(to_x, to_y);
    // The table lies kTableMargin pixels into the trial table's client area.
    const auto client = [](int x, int y) {
      return std::to_string(x + kTableMargin) + "," + std::to_string(y + kTableMargin);
    };
    return "drag:" + client(from_x, from_y) + ":" + client(to_x, to_y);
  }
  const TrialPlay& Play() const { return form_.Play(); }

 private:
  static constexpr int kTableMargin = 8;  // klvmaker.exe's, at 96 DPI

  static form::PackageContents Contents(const std::string& package) {
    std::string message;
    std::optional<form::PackageContents> contents =
        form::ReadPackageContents(Env::Default(), package, WindowLanguage::kJapanese, &message);
    EXPECT_TRUE(contents.has_value()) << message;
    return contents ? std::move(*contents) : form::PackageContents();
  }
  void TableChanged() override {}
  void ShowCount(const std::string& /*counter*/, bool /*complete*/) override {}

  form::PackageForm form_;
};

// The lines of `word` said after the note `note` and before the next note.
std::vector<std::string> SaidAfter(const Session& session, const std::string& note,
                                   const std::string& word) {
  std::vector<std::string> said;
  bool inside = false;
  for (const std::string& line : session.lines) {
    if (line.rfind("note ", 0) == 0) inside = line == "note " + note;
    if (inside && line.rfind(word + " ", 0) == 0) said.push_back(line.substr(word.size() + 1));
  }
  return said;
}

bool Holds(const std::vector<std::string>& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

TEST(KlvmakerWindowOnWine, APackageOpensItsWindowWhoseTrialPlayIsDraggedToTheEnd) {
  TempFolder folder;
  WriteDiskFile(folder.File("ねこ.klv"), test::TestPackage(3, 2, form::ToCp932("ねこ")));
  constexpr uint32_t kSeed = 31;
  TrialPlayOnLinux play(folder.File("ねこ.klv"), kSeed);
  std::vector<std::string> steps = {
      "package", "note:info",  "shown", "seed:" + std::to_string(kSeed),
      "tab:2",   "note:start", "shown"};
  // A drop far from its place, then every tile a few pixels off its place.
  steps.push_back(play.DragTopTile(40, 20));
  steps.insert(steps.end(), {"note:missed", "shown"});
  for (int placed = 1; placed <= 6; ++placed) steps.push_back(play.DragTopTile(3, -2));
  ASSERT_TRUE(play.Play().Complete());
  steps.insert(steps.end(), {"note:complete", "shown", "press:ピースをちらし直す", "note:scattered",
                             "shown", "close", "end"});
  const Session session = Drive(folder.path(), {"--arg=ねこ.klv"}, steps);

  EXPECT_EQ(session.Said("title"), std::vector<std::string>{"パッケージ - ねこ.klv"})
      << session.Joined();
  const std::vector<std::string> info = SaidAfter(session, "info", "shown");
  for (const char* field : {"横のピース数", "3", "背景色", "#FF00FF", "ねこ", "問題はありません"}) {
    EXPECT_TRUE(Holds(info, field)) << field << "\n" << session.Joined();
  }
  EXPECT_FALSE(Holds(info, "はめたピース： 0 / 6"));  // the trial play is on its own tab
  const struct {
    const char* note;
    const char* counter;
    bool complete;
  } stages[] = {{"start", "はめたピース： 0 / 6", false},
                {"missed", "はめたピース： 0 / 6", false},
                {"complete", "はめたピース： 6 / 6", true},
                {"scattered", "はめたピース： 0 / 6", false}};
  for (const auto& stage : stages) {
    const std::vector<std::string> shown = SaidAfter(session, stage.note, "shown");
    EXPECT_TRUE(Holds(shown, stage.counter)) << stage.note << "\n" << session.Joined();
    EXPECT_EQ(Holds(shown, "パズルが完成しました"), stage.complete) << stage.note;
    EXPECT_FALSE(Holds(shown, "#FF00FF")) << stage.note;  // the information is on its tab
  }
  EXPECT_EQ(session.Said("exit"), std::vector<std::string>{"0"});
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"ねこ.klv"});
}

// A damaged package opens with its problems; a file named as a package that is none, and
// a package chosen in the maker's file list, as the maker window shows them.
TEST(KlvmakerWindowOnWine, DamagedPackagesShowTheirProblemsAndOtherFilesAMessage) {
  TempFolder folder;
  const Bytes sound = test::TestPackage(3, 2, form::ToCp932("ねこ"));
  WriteDiskFile(folder.File("damaged.klv"), Bytes(sound.begin(), sound.end() - 100));
  WriteDiskFile(folder.File("a.klv"), sound);
  WriteDiskText(folder.File("notes.klv"), "my notes");
  const Session damaged =
      Drive(folder.path(), {"--arg=damaged.klv"},
            {"package", "note:info", "shown", "tab:2", "note:trial", "shown", "close", "end"});
  const std::vector<std::string> info = SaidAfter(damaged, "info", "shown");
  EXPECT_TRUE(std::any_of(info.begin(), info.end(), [](const std::string& line) {
    return line.starts_with("問題が ") && line.ends_with(" 件あります");
  })) << damaged.Joined();
  const std::vector<std::string> problems = SaidAfter(damaged, "info", "item");
  EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [](const std::string& line) {
    return line.starts_with("KLVP 5");
  })) << damaged.Joined();
  EXPECT_TRUE(Holds(SaidAfter(damaged, "trial", "shown"), "はめたピース： 0 / 5"));
  EXPECT_EQ(damaged.Said("exit"), std::vector<std::string>{"0"});

  // The file list shows the packages: a.klv, damaged.klv, notes.klv, in name order.
  const std::string files = At(ControlId::kFile1);
  const Session listed =
      Drive(folder.path(), {},
            {"item:" + files + ":2", "dialog", "key:return", "item:" + files + ":0", "package"});
  EXPECT_EQ(
      listed.Said("dialog"),
      (std::vector<std::string>{"OK", "パズルファイルを開けません\\n" + WindowsPath(folder.path()) +
                                          "\\notes.klv: パズルファイルではありません"}))
      << listed.Joined();
  EXPECT_EQ(listed.Said("title"), std::vector<std::string>{"パッケージ - a.klv"});
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"a.klv", "damaged.klv", "notes.klv"}));
}

}  // namespace
}  // namespace klv::winetest
