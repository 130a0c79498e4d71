// The maker window's behaviour: start-up, the controls' events, the picture click with
// the fit question, and the make from the button to the end of the program. Texts cross
// to the core as code page 932 bytes; paths in the platform's narrow encoding.
#include "form/source_form.h"

#include <algorithm>
#include <utility>

#include "base/codepage.h"
#include "base/platform.h"
#include "base/text.h"
#include "base/work_folder.h"
#include "form/package_form.h"
#include "form/text_boxes.h"
#include "format/package_format.h"
#include "language/library_messages.h"
#include "maker/colors.h"
#include "maker/make_values.h"
#include "maker/puzzle_texts.h"
#include "maker/settings.h"
#include "maker/source_picture.h"
#include "path_names.h"

namespace klv::form {
namespace {

using enum ControlId;

constexpr UiText kTooLarge = KLV_TEXT("SourceScr", "画像が大きすぎです");
constexpr UiText kTooSmall = KLV_TEXT("SourceScr", "画像が小さすぎです");
constexpr UiText kPieces = KLV_TEXT("SourceScr", "ピース数： x = %1 , y = %2");
constexpr UiText kFitQuestion = KLV_TEXT("SourceScr", "グリッドに合わせて縮小しますか？");
constexpr UiText kCannotRead = KLV_TEXT("SourceScr", "画像を読み込めません");
constexpr UiText kCannotOpenFolder = KLV_TEXT("SourceScr", "フォルダを開けません");
constexpr UiText kCannotOpenDrive = KLV_TEXT("SourceScr", "ドライブを開けません");
constexpr UiText kDestinationUnusable = KLV_TEXT("SourceScr", "保存先のフォルダを使えません");
constexpr UiText kNotInCodePage =
    KLV_TEXT("SourceScr", "%1 にはシステムのコードページで表せない文字があります");
constexpr UiText kReplaceQuestion =
    KLV_TEXT("SourceScr", "保存先に「%1」があります。置き換えますか？");

// The default texts of the three puzzle boxes (the settings file's defaults).
constexpr UiText kDefaultPuzzleSetName = KLV_TEXT("SourceScr", "ﾊﾟｽﾞﾙｾｯﾄ名");
constexpr UiText kDefaultPuzzleName = KLV_TEXT("SourceScr", "ﾊﾟｽﾞﾙ名");
constexpr UiText kDefaultComment = KLV_TEXT("SourceScr", "コメント");

constexpr UiText kNameRefused = KLV_TEXT("SourceScr", "パズル名が正しくありません");

std::string Line(const std::string& headline, const std::string& detail) {
  return detail.empty() ? headline : headline + "\n" + detail;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && IsPathSeparator(folder.back())) return folder + name;
  return folder + kPathSeparator + name;
}

bool IsWellFormedUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const std::optional<Utf8Character> character = DecodeUtf8(text, i);
    if (!character) return false;
    i += character->length;
  }
  return true;
}

// A stored path or drive as the window may name it: the code page 932 reading first, then
// the bytes as UTF-8 (how a name that code page 932 cannot hold is stored).
std::vector<std::string> StoredPathCandidates(const std::string& stored) {
  std::vector<std::string> candidates;
  if (std::optional<std::string> utf8 = Cp932ToUtf8(stored)) candidates.push_back(*utf8);
  if (IsWellFormedUtf8(stored) &&
      std::find(candidates.begin(), candidates.end(), stored) == candidates.end()) {
    candidates.push_back(stored);
  }
  return candidates;
}

// A path or drive for the settings file: code page 932 when it can hold it, otherwise
// the UTF-8 bytes, so that no folder is lost.
std::string PathForSettings(const std::string& utf8) {
  if (std::optional<std::string> cp932 = Utf8ToCp932(utf8)) return *cp932;
  return utf8;
}

// The preview of `picture`: at 1:1, at most kPreviewSide pixels on a side (a picture that
// does not fit is cut, not drawn over the other controls), its part beyond the area that
// `grid`'s tiles cover (to the right and below) darkened, since no tile shows it.
Raster PreviewOf(const Raster& picture, Grid grid) {
  Raster preview;
  preview.width = std::min(picture.width, kPreviewSide);
  preview.height = std::min(picture.height, kPreviewSide);
  preview.pixels.resize(static_cast<size_t>(preview.width) * static_cast<size_t>(preview.height));
  const int covered_width = std::max(0, (grid.xMax + 1) * kTilePitch);
  const int covered_height = std::max(0, (grid.yMax + 1) * kTilePitch);
  for (int y = 0; y < preview.height; ++y) {
    for (int x = 0; x < preview.width; ++x) {
      uint32_t pixel = picture.pixels[picture.Index(x, y)];
      if (x >= covered_width || y >= covered_height) pixel = (pixel >> 1) & 0x7F7F7Fu;
      preview.pixels[preview.Index(x, y)] = pixel;
    }
  }
  return preview;
}

UiText OutcomeHeadline(MakeStatus status) {
  switch (status) {
    case MakeStatus::kPackageWritten: return KLV_TEXT("SourceScr", "コンバートが終了しました");
    case MakeStatus::kConversionFailed:
    case MakeStatus::kStopped:  // the window never asks a make to stop
      return KLV_TEXT("SourceScr", "コンバートに失敗しました");
    case MakeStatus::kLibraryMissing:
      return KLV_TEXT("SourceScr", "KLVUtils が見つからないため、コンバートできませんでした");
    case MakeStatus::kWorkFileNotWritten:
      return KLV_TEXT("SourceScr", "作業ファイルを保存できませんでした");
    case MakeStatus::kGridTooLarge: return kTooLarge;
    case MakeStatus::kGridTooSmall: return kTooSmall;
    case MakeStatus::kNameRefused: return kNameRefused;
    case MakeStatus::kPackageNotMoved:
      return KLV_TEXT("SourceScr", "パズルファイルを保存先に置けませんでした");
  }
  return kNameRefused;
}

UiText NameFaultText(NameFault fault) {
  switch (fault) {
    case NameFault::kNone: break;
    case NameFault::kEmpty: return KLV_TEXT("SourceScr", "パズル名を入力してください");
    case NameFault::kControlCharacter:
      return KLV_TEXT("SourceScr", "パズル名に制御文字（タブ、改行）は使えません");
    case NameFault::kEnclosingQuotes:
      return KLV_TEXT("SourceScr", "パズル名を引用符で囲むことはできません");
    case NameFault::kFolderSeparator:
      return KLV_TEXT("SourceScr", "パズル名にフォルダの区切り文字は使えません");
  }
  return UiText{"SourceScr", ""};
}

}  // namespace

std::string StatusLineText(WindowLanguage language, Grid grid) {
  if (!GridFits(grid)) return std::string(Translate(language, kTooLarge));
  return FormatText(Translate(language, kPieces),
                    {std::to_string(grid.xMax), std::to_string(grid.yMax)});
}

std::string PictureProblemText(WindowLanguage language, SourceProblem problem) {
  switch (problem) {
    case SourceProblem::kTooLarge: return std::string(Translate(language, kTooLarge));
    case SourceProblem::kTooSmall:
    case SourceProblem::kTooSmallToFit: return std::string(Translate(language, kTooSmall));
    case SourceProblem::kUnreadable:
    case SourceProblem::kCropOutside: break;
  }
  return std::string(Translate(language, kCannotRead));
}

std::string DefaultBoxText(WindowLanguage language, ControlId box) {
  const UiText text = box == kPuzzleSetName ? kDefaultPuzzleSetName
                      : box == kPuzzleName  ? kDefaultPuzzleName
                                            : kDefaultComment;
  return std::string(Translate(language, text));
}

std::string NameRefusalText(WindowLanguage language, NameFault fault) {
  return Line(std::string(Translate(language, kNameRefused)),
              std::string(Translate(language, NameFaultText(fault))));
}

std::string MakeOutcomeText(WindowLanguage language, const MakeResult& result) {
  const std::string cause =
      result.status == MakeStatus::kPackageWritten ? std::string() : NativeToUtf8(result.cause);
  return Line(std::string(Translate(language, OutcomeHeadline(result.status))), cause);
}

SourceForm::SourceForm(Env& env, std::string settings_path, WindowLanguage language,
                       SourceView& view, std::unique_ptr<PackageConverter> converter)
    : env_(env),
      settings_path_(std::move(settings_path)),
      language_(language),
      view_(view),
      converter_(std::move(converter)) {}

SourceForm::~SourceForm() = default;

std::string SourceForm::Say(UiText text) const { return std::string(Translate(language_, text)); }

size_t SourceForm::BoxIndex(ControlId box) const {
  for (size_t i = 0; i < boxes_.size(); ++i) {
    if (boxes_[i].id == box) return i;
  }
  return boxes_.size() - 1;  // the status line
}

const std::string& SourceForm::Text(ControlId box) const { return boxes_[BoxIndex(box)].text; }

int SourceForm::SliderValue(ControlId slider) const {
  return slider == kSlider1 ? slider1_ : slider2_;
}

void SourceForm::SetBox(ControlId box, const std::string& text) {
  BoxText(box) = text;
  view_.SetText(box, text);
}

void SourceForm::SetSlider(ControlId slider, int value) {
  value = std::clamp(value, 0, 100);
  (slider == kSlider1 ? slider1_ : slider2_) = value;
  view_.SetSliderValue(slider, value);
  SetBox(slider == kSlider1 ? kText1 : kText2, std::to_string(100 - value));
}

void SourceForm::Load() {
  view_.CheckOption(kStartChoice);
  OptionClicked(kStartChoice);  // sets backColorIndex, as a click does

  RandomSource random(RandomSource::ClockSeed());
  puzzle_password_ = MakePuzzlePassword(random);

  make_enabled_ = false;
  view_.SetEnabled(kMakeIt, false);
  SetBox(kLabel1, Say(kStatusAtStart));

  // A stored default text shows in the window's language.
  const auto restored = [this](const std::string& stored, ControlId box) {
    return stored == DefaultBoxText(WindowLanguage::kJapanese, box) ? DefaultBoxText(language_, box)
                                                                    : stored;
  };
  const Settings settings = LoadSettings(env_, settings_path_);
  SetBox(kPuzzleSetName, restored(FromCp932(settings.puzzleSetName), kPuzzleSetName));
  SetBox(kPuzzleName, restored(FromCp932(settings.puzzleName), kPuzzleName));
  SetBox(kComment, restored(MultiLineFromCp932(settings.longPuzzleName), kComment));
  ApplyStoredDrive(ListSet::kSource, settings.srcDrive);
  ApplyStoredFolder(ListSet::kSource, settings.srcDir);
  ApplyStoredDrive(ListSet::kDestination, settings.destDrive);
  ApplyStoredFolder(ListSet::kDestination, settings.destDir);
  SetSlider(kSlider1, settings.slider1);
  SetSlider(kSlider2, settings.slider2);
}

void SourceForm::ApplyStoredDrive(ListSet set, const std::string& stored) {
  if (stored.empty()) return;
  for (const std::string& candidate : StoredPathCandidates(stored)) {
    if (view_.OpenDrive(set, candidate)) return;
  }
}

void SourceForm::ApplyStoredFolder(ListSet set, const std::string& stored) {
  if (stored.empty()) return;
  for (const std::string& candidate : StoredPathCandidates(stored)) {
    if (view_.OpenFolder(set, candidate)) return;
  }
}

void SourceForm::TextEdited(ControlId box, const std::string& text) {
  if (making_ || ended_) return;
  if (box != kText1 && box != kText2) {
    BoxText(box) = text;
    return;
  }
  if (!IsDensityText(text)) {
    view_.SetText(box, BoxText(box));  // put back: the box takes 0 to 100 only
    return;
  }
  BoxText(box) = text;
  if (text.empty()) return;
  const int value = 100 - std::stoi(text);
  const ControlId slider = box == kText1 ? kSlider1 : kSlider2;
  if (value == SliderValue(slider)) return;
  (slider == kSlider1 ? slider1_ : slider2_) = value;
  view_.SetSliderValue(slider, value);
}

void SourceForm::SliderMoved(ControlId slider, int value) {
  if (making_ || ended_) return;
  // A window that reports its own setting of the slider changes nothing.
  if (value == SliderValue(slider)) return;
  SetSlider(slider, value);
}

void SourceForm::OptionClicked(int index) {
  if (making_ || ended_ || index < 0 || index >= kColourOptions) return;
  back_color_index_ = kBackgroundChoices[static_cast<size_t>(index)].paletteIndex;
}

void SourceForm::DriveChosen(ListSet set, const std::string& drive) {
  if (making_ || ended_) return;
  if (!view_.OpenDrive(set, drive)) {
    view_.ShowMessage(MessageKind::kFailure, Line(Say(kCannotOpenDrive), drive));
  }
}

void SourceForm::FolderOpenFailed(const std::string& folder) {
  if (making_ || ended_) return;
  view_.ShowMessage(MessageKind::kFailure, Line(Say(kCannotOpenFolder), folder));
}

std::optional<std::string> SourceForm::Native(const std::string& path, UiText what) {
  std::optional<std::string> native = Utf8ToNativePath(path);
  if (!native) {
    view_.ShowMessage(MessageKind::kFailure,
                      Line(Say(what), FormatText(Say(kNotInCodePage), {path})));
  }
  return native;
}

void SourceForm::FileClicked(const std::string& name) {
  if (making_ || ended_) return;
  const std::string path = JoinPath(view_.Folder(ListSet::kSource), name);
  if (IsPackageName(name)) {  // a package opens its own window; the picture stays
    view_.OpenPackage(path);
    return;
  }
  const std::optional<std::string> native = Native(path, kCannotRead);
  if (!native) return;
  SourceOptions as_made;
  SourceOptions fitted;
  fitted.fit = true;
  SourceOptions as_it_is;
  as_it_is.checkSize = false;
  SourceError error;
  std::optional<Raster> picture = ReadSourcePicture(env_, *native, as_made, &error);
  if (!picture && error.problem == SourceProblem::kTooLarge) {
    const std::string question = Say(kTooLarge) + " (" + std::to_string(error.width) + " x " +
                                 std::to_string(error.height) + ")\n" + Say(kFitQuestion);
    if (view_.Ask(question, Answer::kYes) == Answer::kYes) {
      picture = ReadSourcePicture(env_, *native, fitted, &error);
    }
  }
  // A picture that cannot be made is still shown, with the reason in the status line.
  std::string refusal;
  if (!picture && error.problem != SourceProblem::kUnreadable &&
      error.problem != SourceProblem::kCropOutside) {
    refusal = PictureProblemText(language_, error.problem);
    picture = ReadSourcePicture(env_, *native, as_it_is, &error);
  }
  if (!picture) {
    // Nothing changes: the preview, the grid, the status line and MakeIt stay as they were.
    view_.ShowMessage(MessageKind::kFailure,
                      Line(Say(kCannotRead), SourceErrorMessage(path, error)));
    return;
  }
  ShowPicture(std::move(*picture), refusal, name);
}

void SourceForm::ShowPicture(Raster picture, const std::string& refusal,
                             const std::string& file_name) {
  grid_ = GridForPicture(picture.width, picture.height);
  view_.ShowPreview(PreviewOf(picture, grid_));
  picture_ = std::move(picture);
  const bool fits = GridFits(grid_);
  SetBox(kLabel1, refusal.empty() ? StatusLineText(language_, grid_) : refusal);
  make_enabled_ = refusal.empty() && fits;
  view_.SetEnabled(kMakeIt, make_enabled_);
  SetBox(kPuzzleName, FromCp932(ProposePuzzleName(ToCp932(file_name))));
}

void SourceForm::ChoosePicture(const std::string& path) {
  if (making_ || ended_) return;
  const size_t separator = FileNameStart(path);
  std::string folder = path.substr(0, separator);
  const std::string name = path.substr(separator);
  // The separator goes, unless it is the root's ("/", "C:\\").
  if (folder.size() > 1 && folder[folder.size() - 2] != ':') folder.pop_back();
  if (folder.empty()) folder = NativeToUtf8(CurrentFolder().value_or("."));
  if (!view_.OpenFolder(ListSet::kSource, folder)) {
    FolderOpenFailed(folder);
    return;
  }
  view_.SelectFile(name);
  FileClicked(name);
}

bool SourceForm::MayReplacePackage(const std::string& cp932_name, const std::string& folder) {
  const std::string package = PackageFileName(cp932_name);
  if (!PathExists(JoinPath(folder, package))) return true;
  const std::string question = FormatText(Say(kReplaceQuestion), {NativeToUtf8(package)});
  return view_.Ask(question, Answer::kNo) == Answer::kYes;
}

MakeRequest SourceForm::ReadMakeRequest(const std::string& destination) const {
  MakeRequest request;
  request.source = *picture_;
  request.grid = grid_;
  request.destination = destination;
  request.puzzleName = ToCp932(Text(kPuzzleName));
  request.puzzleSetName = ToCp932(Text(kPuzzleSetName));
  request.comment = MultiLineToCp932(Text(kComment));
  request.password = puzzle_password_;
  // The densities are the sliders' (what the settings keep), as the boxes show them.
  request.pieceDensity = Percent{static_cast<double>(100 - slider1_)};
  request.backgroundDensity = Percent{static_cast<double>(100 - slider2_)};
  request.backColorIndex = back_color_index_;
  request.seed = seed_ ? *seed_ : RandomSource::ClockSeed();
  return request;
}

void SourceForm::MakeClicked() {
  if (making_ || ended_ || !picture_ || !make_enabled_) return;
  // A puzzle name that cannot name the package is refused before anything is written,
  // and the window stays as it is; blanks around it are dropped from the box.
  const PuzzleNameCheck name = CheckPuzzleName(ToCp932(Text(kPuzzleName)));
  if (name.fault != NameFault::kNone) {
    view_.ShowMessage(MessageKind::kFailure, NameRefusalText(language_, name.fault));
    return;
  }
  if (name.blanksDropped) SetBox(kPuzzleName, FromCp932(name.name));
  const std::optional<std::string> folder =
      Native(view_.Folder(ListSet::kDestination), kDestinationUnusable);
  if (!folder || !MayReplacePackage(name.name, *folder)) return;

  const MakeRequest request = ReadMakeRequest(*folder);
  making_ = true;
  if (!converter_) {
    converter_ = MakeLibraryConverter(env_, [this](const std::string& text) {
      view_.ShowMessage(MessageKind::kInformation, NativeToUtf8(LibraryMessageIn(language_, text)));
    });
  }
  // The completion (or failure) message and SaveSettings come after the conversion and
  // before the work files are removed. A make that stops earlier (a work file that
  // cannot be written, the library not found) reports its cause the same way.
  bool reported = false;
  const MakeResult result = MakePuzzle(
      env_, request, *converter_,
      [this, &reported](const MakeResult& done) {
        reported = true;
        ReportMake(done);
        SaveSettings();
      },
      [this](const WorkCanvas& canvas) { view_.ShowCanvas(canvas); });
  if (!reported) {
    ReportMake(result);
    SaveSettings();
  }
  making_ = false;
  End();
}

void SourceForm::ReportMake(const MakeResult& result) {
  const MessageKind kind = result.status == MakeStatus::kPackageWritten ? MessageKind::kCompletion
                                                                        : MessageKind::kFailure;
  view_.ShowMessage(kind, MakeOutcomeText(language_, result));
}

void SourceForm::ExitClicked() {
  if (making_ || ended_) return;
  SaveSettings();
  End();
}

bool SourceForm::CloseRequested() {
  if (ended_) return true;
  if (making_) return false;  // the make ends the program itself
  ended_ = true;              // the close box ends the program without saving any setting
  return true;
}

void SourceForm::UseSeedForTests(uint32_t seed) {
  RandomSource random(seed);
  puzzle_password_ = MakePuzzlePassword(random);
  seed_ = seed;
}

void SourceForm::SaveSettings() {
  Settings settings;
  settings.puzzleName = ToCp932(Text(kPuzzleName));
  settings.puzzleSetName = ToCp932(Text(kPuzzleSetName));
  settings.longPuzzleName = MultiLineToCp932(Text(kComment));
  settings.srcDrive = PathForSettings(view_.Drive(ListSet::kSource));
  settings.srcDir = PathForSettings(view_.Folder(ListSet::kSource));
  settings.destDrive = PathForSettings(view_.Drive(ListSet::kDestination));
  settings.destDir = PathForSettings(view_.Folder(ListSet::kDestination));
  settings.slider1 = slider1_;
  settings.slider2 = slider2_;
  // A failed write is not shown: the program ends all the same.
  static_cast<void>(klv::SaveSettings(env_, settings_path_, settings));
}

void SourceForm::End() {
  ended_ = true;
  view_.EndProgram();
}

}  // namespace klv::form
