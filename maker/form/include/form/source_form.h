// What the maker window does, without any window toolkit: the start-up that restores
// Morvel.ini, the colour options, the density sliders and their boxes, the picture choice
// with its grid and the fit question, the make with the question before replacing a
// package and its outcome, and SaveSettings. A window is a view of this form: it shows what
// the form tells it through SourceView and reports what the person did by calling the
// form's event functions. The Qt window and the Windows window are two such views.
#ifndef KLV_MAKER_FORM_SOURCE_FORM_H_
#define KLV_MAKER_FORM_SOURCE_FORM_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "form/control_table.h"
#include "language/language.h"
#include "maker/grid.h"
#include "maker/make.h"
#include "maker/puzzle_texts.h"
#include "maker/raster.h"
#include "maker/source_picture.h"
#include "maker/work_canvas.h"

namespace klv {
class Env;
}

namespace klv::form {

enum class MessageKind {
  kCompletion,   // "コンバートが終了しました": OK button, no icon
  kInformation,  // a message of the package library: information icon
  kFailure,      // a failed step, naming the file and the cause: warning icon
};

enum class Answer { kYes, kNo };

// The two sets of file-system lists: Drive1, Dir1 and File1 choose the picture; Drive3 and
// Dir3 the destination folder.
enum class ListSet { kSource, kDestination };

// What the form asks of a window. Texts and paths are UTF-8; a comment's line breaks are
// "\n". Every call runs on the window's thread and returns when done.
class SourceView {
 public:
  virtual ~SourceView() = default;

  // Replaces the text of the status line Label1, a text box or the comment box, whatever
  // its length (the typing limits are not applied to it).
  virtual void SetText(ControlId box, const std::string& text) = 0;
  virtual void SetSliderValue(ControlId slider, int value) = 0;
  // Selects option Option1(`index`) of the colour group.
  virtual void CheckOption(int index) = 0;
  virtual void SetEnabled(ControlId control, bool enabled) = 0;
  // Shows `preview` in SrcPic at 1:1; SrcPic takes its size.
  virtual void ShowPreview(const Raster& preview) = 0;

  // The lists. OpenDrive moves the drive list of `set` to `drive`, as the list names it,
  // and the folder list to that drive's current folder (the source file list follows);
  // false, with nothing changed, when the drive cannot be opened. OpenFolder moves the
  // folder list to `folder` (the drive list and the source file list follow); false, with
  // nothing changed, when it is not a folder.
  virtual bool OpenDrive(ListSet set, const std::string& drive) = 0;
  virtual bool OpenFolder(ListSet set, const std::string& folder) = 0;
  virtual std::string Drive(ListSet set) const = 0;
  virtual std::string Folder(ListSet set) const = 0;
  // Selects `name` in the source file list, which shows the source folder.
  virtual void SelectFile(const std::string& name) = 0;

  // A modal message; returns when the person has closed it.
  virtual void ShowMessage(MessageKind kind, const std::string& text) = 0;
  // A modal yes-or-no question whose default button (Return) is `default_answer`; Escape
  // and closing it answer no. Returns the person's answer.
  virtual Answer Ask(const std::string& question, Answer default_answer) = 0;
  // Opens the package window for the package file at `path` (ReadPackageContents: a file
  // that is no package is one message instead).
  virtual void OpenPackage(const std::string& path) = 0;
  // Opens the work canvas DestScr (if it is not open) and shows every surface of `canvas`.
  virtual void ShowCanvas(const WorkCanvas& canvas) = 0;
  // Closes the windows and ends the program.
  virtual void EndProgram() = 0;
};

// The texts the window shows, in `language`, for every front end over the form's rules
// (a web page shows them without a SourceForm).
// The status line for a picture of grid `grid`: "ピース数： x = X , y = Y", or
// "画像が大きすぎです" when the grid does not fit.
std::string StatusLineText(WindowLanguage language, Grid grid);
// The headline for a picture that cannot be made: "画像が大きすぎです" (kTooLarge),
// "画像が小さすぎです" (kTooSmall, kTooSmallToFit), otherwise "画像を読み込めません".
std::string PictureProblemText(WindowLanguage language, SourceProblem problem);
// The text PuzzleSetName, PuzzleName or Comment shows when nothing is stored.
std::string DefaultBoxText(WindowLanguage language, ControlId box);
// The message for a puzzle name that cannot name the package, saying why.
std::string NameRefusalText(WindowLanguage language, NameFault fault);
// The message after a make: the completion, or the failure's headline and cause.
std::string MakeOutcomeText(WindowLanguage language, const MakeResult& result);

class SourceForm {
 public:
  // The form of one run. Settings live at `settings_path` (the platform's narrow
  // encoding); texts are in `language`. FileConv is reached through `converter`; without
  // one, the package library is loaded at the make and its messages are shown through the
  // view. `view` must outlive the form; call Load once the view's controls exist.
  SourceForm(Env& env, std::string settings_path, WindowLanguage language, SourceView& view,
             std::unique_ptr<PackageConverter> converter = nullptr);
  ~SourceForm();
  SourceForm(const SourceForm&) = delete;
  SourceForm& operator=(const SourceForm&) = delete;

  // The start-up: option 5, the run's puzzle password, MakeIt disabled, then the texts,
  // drives, folders and sliders restored from the settings file (an absent file or key
  // gives the defaults; a stored place that cannot be opened is passed over).
  void Load();

  // What the person did. Each runs to completion before the next; during a make and after
  // the program has ended they do nothing.
  // A text box's or the comment box's new text. In a density box a whole number moves
  // the slider to 100 minus it; a text that is not one (IsDensityText) is put back.
  void TextEdited(ControlId box, const std::string& text);
  // The slider's new value: its box shows 100 minus it.
  void SliderMoved(ControlId slider, int value);
  void OptionClicked(int index);
  // A drive chosen in the drive list of `set`: the lists move to it, or, when it cannot be
  // opened, a message says so and the lists stay.
  void DriveChosen(ListSet set, const std::string& drive);
  // A folder the person opened in a folder list could not be opened; the list stayed.
  void FolderOpenFailed(const std::string& folder);
  // A click on `name` in the source file list: the picture in the source folder is read,
  // shown and measured (a package opens its own window).
  void FileClicked(const std::string& name);
  // A picture dropped on the window or named on the command line: the source lists move
  // to its folder, select it and it is clicked.
  void ChoosePicture(const std::string& path);
  void MakeClicked();
  void ExitClicked();
  // The window's close box: true when the window may close (then the program has ended
  // without saving any setting); false during a make, which ends the program itself.
  bool CloseRequested();

  // Gives the run's password and the make's random source the seed `seed`, as klvmake's
  // --seed does, so that a test can compare the two makes. Not reachable from the window.
  void UseSeedForTests(uint32_t seed);

  // The window values and what the form shows.
  WindowLanguage language() const { return language_; }
  Grid grid() const { return grid_; }
  int16_t back_color_index() const { return back_color_index_; }
  const std::string& puzzle_password() const { return puzzle_password_; }
  bool make_enabled() const { return make_enabled_; }
  bool ended() const { return ended_; }
  // The text a box holds (PuzzleSetName, PuzzleName, Comment, Text1, Text2, Label1).
  const std::string& Text(ControlId box) const;
  int SliderValue(ControlId slider) const;
  // The picture a make would take, when one is chosen.
  const std::optional<Raster>& picture() const { return picture_; }

  // `text` in the form's language.
  std::string Say(UiText text) const;

 private:
  struct Box {
    ControlId id;
    std::string text;
  };
  size_t BoxIndex(ControlId box) const;
  std::string& BoxText(ControlId box) { return boxes_[BoxIndex(box)].text; }
  void SetBox(ControlId box, const std::string& text);
  void SetSlider(ControlId slider, int value);
  void ApplyStoredDrive(ListSet set, const std::string& stored);
  void ApplyStoredFolder(ListSet set, const std::string& stored);
  void ShowPicture(Raster picture, const std::string& refusal, const std::string& file_name);
  // False, after a message naming `path` and `what`, when the platform cannot name it.
  std::optional<std::string> Native(const std::string& path, UiText what);
  bool MayReplacePackage(const std::string& cp932_name, const std::string& folder);
  MakeRequest ReadMakeRequest(const std::string& destination) const;
  void ReportMake(const MakeResult& result);
  void SaveSettings();
  void End();

  Env& env_;
  const std::string settings_path_;
  const WindowLanguage language_;
  SourceView& view_;
  std::unique_ptr<PackageConverter> converter_;

  Grid grid_;
  int16_t back_color_index_ = 0;
  std::string puzzle_password_;
  std::optional<uint32_t> seed_;  // the make's seed when a test gave one
  std::optional<Raster> picture_;
  bool make_enabled_ = false;
  int slider1_ = 0;
  int slider2_ = 0;
  // The texts of the boxes and of the status line, which is last.
  std::array<Box, 6> boxes_ = {{{ControlId::kPuzzleSetName, {}},
                                {ControlId::kPuzzleName, {}},
                                {ControlId::kComment, {}},
                                {ControlId::kText1, {}},
                                {ControlId::kText2, {}},
                                {ControlId::kLabel1, {}}}};

  bool making_ = false;
  bool ended_ = false;
};

}  // namespace klv::form

#endif  // KLV_MAKER_FORM_SOURCE_FORM_H_
