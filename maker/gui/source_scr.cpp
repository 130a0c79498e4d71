// The maker's main window: the form built from one table of places and texts, the
// start-up that restores Morvel.ini, the list wiring, the picture click, and the make
// button that hands the make to the core (MakePuzzle) and ends the program. Texts cross
// to the core as code page 932 bytes; paths as the file system's UTF-8.
#include "source_scr.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <string_view>
#include <utility>

#include "base/platform.h"
#include "base/work_folder.h"
#include "cp932_edit.h"
#include "dest_scr.h"
#include "file_lists.h"
#include "maker/colors.h"
#include "maker/grid.h"
#include "maker/make.h"
#include "maker/make_values.h"
#include "maker/picture_reader.h"
#include "maker/puzzle_texts.h"
#include "maker/settings.h"
#include "maker/source_picture.h"
#include "message_presenter.h"
#include "package_window.h"

namespace klv::gui {
namespace {

constexpr int kFontPixels = 12;
constexpr int kSmallestLabelPixels = 10;

// One entry of the form: a control's place in the client area (x, y, width, height in
// pixels) and the text it shows. The Japanese texts
// are the source language of the translations.
struct FormEntry {
  std::string_view name;
  int index;  // tells the colour options Option1 apart; 0 for every other control
  QRect place;
  const char* text;  // null: the control shows no fixed text
};

// The form, bottom to top: the preview lies under everything, a frame under the controls
// it holds. Every control is a child of the window, placed in its client area; the
// frames only draw. The order is also the order of the tab key.
// clang-format off
constexpr FormEntry kForm[] = {
    {"SourceScr",     0, {  0,   0, 683, 551}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "モーベルパズルメーカー")},
    {"SrcPic",        0, { 10,  10, 288, 288}, nullptr},

    {"Frame1",        0, {  1, 336, 345, 209}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "ビットマップを選択")},
    {"Dir1",          0, {  7, 352, 166, 160}, nullptr},
    {"File1",         0, {177, 352, 161, 186}, nullptr},
    {"Drive1",        0, {  7, 520, 166,  20}, nullptr},
    {"Label1",        0, {353, 371, 137,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "画像サイズ")},

    {"Frame2",        0, {353, 454, 137,  89}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "背景色の選択")},
    {"Option1",       0, {362, 468,  53,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "黒")},
    {"Option1",       1, {362, 484,  77,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "青")},
    {"Option1",       2, {362, 500,  77,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "緑")},
    {"Option1",       3, {362, 516,  77,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "シアン")},
    {"Option1",       4, {417, 468,  53,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "赤")},
    {"Option1",       5, {417, 484,  69,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "マゼンダ")},
    {"Option1",       6, {417, 500,  61,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "黄色")},
    {"Option1",       7, {417, 516,  53,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "白")},

    {"Frame3",        0, {496,   8, 185, 154}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "保存先を選択")},
    {"Dir3",          0, {504,  24, 169, 104}, nullptr},
    {"Drive3",        0, {505, 134, 169,  20}, nullptr},

    {"Frame4",        0, {495, 168, 185, 183}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "パズル情報")},
    {"Label7",        0, {503, 192, 169,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "ﾊﾟｽﾞﾙｾｯﾄの名前（10ﾊﾞｲﾄまで）")},
    {"PuzzleSetName", 0, {503, 208, 169,  18}, nullptr},
    {"Label6",        0, {503, 240, 145,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "パズルの名前（15文字まで）")},
    {"PuzzleName",    0, {503, 256, 169,  18}, nullptr},
    {"Label5",        0, {503, 288, 153,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "画像の説明　（255文字まで）")},
    {"Comment",       0, {503, 304, 169,  40}, nullptr},

    {"Frame5",        0, {494, 355, 185, 112}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "難易度調整")},
    {"Label4",        0, {503, 371, 153,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "ピースの濃度")},
    {"Text1",         0, {507, 391,  33,  17}, nullptr},
    {"Slider1",       0, {542, 386, 121,  25}, nullptr},
    {"Label3",        0, {503, 417, 145,  17}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "背景の濃度")},
    {"Text2",         0, {506, 437,  33,  17}, nullptr},
    {"Slider2",       0, {543, 434, 121,  25}, nullptr},

    {"MakeIt",        0, {495, 473, 184,  35}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "分解")},
    {"Command2",      0, {495, 513, 185,  33}, QT_TRANSLATE_NOOP("klv::gui::SourceScr", "終了")},
};
// clang-format on

const FormEntry& Entry(std::string_view name, int index = 0) {
  for (const FormEntry& entry : kForm) {
    if (entry.name == name && entry.index == index) return entry;
  }
  qFatal("the form has no control %.*s(%d)", static_cast<int>(name.size()), name.data(), index);
}

// The text of a form entry, translated.
QString FormText(std::string_view name, int index = 0) {
  return SourceScr::tr(Entry(name, index).text);
}

// Gives `widget`, a child of the window, the name of its form entry and puts it at its
// place.
template <typename Widget>
Widget* Place(Widget* widget, std::string_view name, int index = 0) {
  const FormEntry& entry = Entry(name, index);
  widget->setObjectName(
      QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size())));
  widget->setGeometry(entry.place);
  return widget;
}

// Where a control's text runs wider than its place (a translated text can), its font gets
// smaller, down to kSmallestLabelPixels; the place stays.
void FitFontToPlace(QWidget* control) {
  QFont fitted = control->font();
  while (fitted.pixelSize() > kSmallestLabelPixels &&
         control->sizeHint().width() > control->width()) {
    fitted.setPixelSize(fitted.pixelSize() - 1);
    control->setFont(fitted);
  }
}

// A stored path or drive as the window may name it: the code page 932 reading first, then
// the bytes as UTF-8 (how a name that code page 932 cannot hold is stored).
QStringList StoredPathCandidates(const std::string& stored) {
  QStringList candidates;
  if (std::optional<std::string> utf8 = Cp932ToUtf8(stored)) {
    candidates << QString::fromStdString(*utf8);
  }
  const QString as_utf8 = QString::fromUtf8(stored.data(), static_cast<qsizetype>(stored.size()));
  if (as_utf8.toStdString() == stored && !candidates.contains(as_utf8)) candidates << as_utf8;
  return candidates;
}

// A path or drive for the settings file: code page 932 when it can hold it, otherwise
// the UTF-8 bytes, so that no folder is lost.
std::string PathForSettings(const QString& path) {
  std::string utf8 = path.toStdString();
  if (std::optional<std::string> cp932 = Utf8ToCp932(utf8)) return *cp932;
  return utf8;
}

QString JoinPath(const QString& folder, const QString& name) {
  return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// The status line after a picture click: the grid, or that the picture is too large.
QString GridStatus(Grid grid) {
  if (!GridFits(grid)) return SourceScr::tr("画像が大きすぎです");
  return SourceScr::tr("ピース数： x = %1 , y = %2").arg(grid.xMax).arg(grid.yMax);
}

// The default texts of the three puzzle boxes (the settings file's defaults).
const char* const kDefaultPuzzleSetName = QT_TRANSLATE_NOOP("klv::gui::SourceScr", "ﾊﾟｽﾞﾙｾｯﾄ名");
const char* const kDefaultPuzzleName = QT_TRANSLATE_NOOP("klv::gui::SourceScr", "ﾊﾟｽﾞﾙ名");
const char* const kDefaultComment = QT_TRANSLATE_NOOP("klv::gui::SourceScr", "コメント");

// A box's restored text; its default (also when stored as such) in the window's language.
QString InWindowLanguage(const QString& text, const char* default_text) {
  return text == QString::fromUtf8(default_text) ? SourceScr::tr(default_text) : text;
}

QString MakeOutcomeText(const MakeResult& result) {
  QString headline;
  switch (result.status) {
    case MakeStatus::kPackageWritten: return SourceScr::tr("コンバートが終了しました");
    case MakeStatus::kConversionFailed:
    case MakeStatus::kStopped:  // the window never asks a make to stop
      headline = SourceScr::tr("コンバートに失敗しました");
      break;
    case MakeStatus::kLibraryMissing:
      headline = SourceScr::tr("KLVUtils が見つからないため、コンバートできませんでした");
      break;
    case MakeStatus::kWorkFileNotWritten:
      headline = SourceScr::tr("作業ファイルを保存できませんでした");
      break;
    case MakeStatus::kGridTooLarge: headline = SourceScr::tr("画像が大きすぎです"); break;
    case MakeStatus::kGridTooSmall: headline = SourceScr::tr("画像が小さすぎです"); break;
    case MakeStatus::kNameRefused: headline = SourceScr::tr("パズル名が正しくありません"); break;
    case MakeStatus::kPackageNotMoved:
      headline = SourceScr::tr("パズルファイルを保存先に置けませんでした");
      break;
  }
  if (result.cause.empty()) return headline;
  return headline + QLatin1Char('\n') + QString::fromStdString(result.cause);
}

// The preview of `picture`: the picture at 1:1, its part beyond the area that `grid`'s
// tiles cover (to the right and below) shaded, since no tile shows it.
QImage PreviewImage(const Raster& picture, Grid grid) {
  QImage image = RasterToImage(picture);
  const int covered_width = std::max(0, (grid.xMax + 1) * kTilePitch);
  const int covered_height = std::max(0, (grid.yMax + 1) * kTilePitch);
  if (picture.width > covered_width || picture.height > covered_height) {
    QPainter painter(&image);
    const QColor shade(0, 0, 0, 128);
    painter.fillRect(QRect(covered_width, 0, picture.width - covered_width, picture.height), shade);
    painter.fillRect(QRect(0, covered_height, std::min(covered_width, picture.width),
                           picture.height - covered_height),
                     shade);
  }
  return image;
}

// Why a puzzle name is refused, for the message box.
QString NameFaultText(NameFault fault) {
  const QString headline = SourceScr::tr("パズル名が正しくありません");
  QString why;
  switch (fault) {
    case NameFault::kNone: break;
    case NameFault::kEmpty: why = SourceScr::tr("パズル名を入力してください"); break;
    case NameFault::kControlCharacter:
      why = SourceScr::tr("パズル名に制御文字（タブ、改行）は使えません");
      break;
    case NameFault::kEnclosingQuotes:
      why = SourceScr::tr("パズル名を引用符で囲むことはできません");
      break;
    case NameFault::kFolderSeparator:
      why = SourceScr::tr("パズル名にフォルダの区切り文字は使えません");
      break;
  }
  return why.isEmpty() ? headline : headline + QLatin1Char('\n') + why;
}

}  // namespace

SourceScr::SourceScr(Env& env, std::string settings_path, MessagePresenter& presenter,
                     std::unique_ptr<PackageConverter> converter, QWidget* parent)
    : QWidget(parent),
      env_(env),
      settingsPath_(std::move(settings_path)),
      presenter_(presenter),
      converter_(std::move(converter)) {
  setObjectName(QStringLiteral("SourceScr"));
  setWindowTitle(FormText("SourceScr"));
  setFixedSize(Entry("SourceScr").place.size());
  QFont font(QStringLiteral("Noto Sans CJK JP"));
  font.setPixelSize(kFontPixels);
  setFont(font);
  // Frame captions sit on the frame's top line, so the controls placed just below the
  // line stay clear of them.
  setStyleSheet(
      QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin-top: 7px;"
                     " background-color: palette(window); }"
                     "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                     " left: 6px; padding: 0 2px; background-color: palette(window); }"));
  BuildPreview();
  BuildSourceFrame();
  BuildStatusLine();
  BuildColourFrame();
  BuildDestinationFrame();
  BuildPuzzleFrame();
  BuildDifficultyFrame();
  BuildButtons();
  ConnectControls();
  AcceptPackageDrops(this);
  Load();
  setAcceptDrops(true);
}

SourceScr::~SourceScr() = default;

void SourceScr::AddFrame(const char* name) {
  Place(new QGroupBox(FormText(name), this), name)->setAutoFillBackground(true);
}

QLabel* SourceScr::AddLabel(const char* name) {
  auto* label = Place(new QLabel(FormText(name), this), name);
  // A label keeps its place; where the font runs wider than the label, it gets smaller.
  QFont fitted = label->font();
  while (fitted.pixelSize() > kSmallestLabelPixels &&
         QFontMetrics(fitted).horizontalAdvance(label->text()) > label->width()) {
    fitted.setPixelSize(fitted.pixelSize() - 1);
  }
  label->setFont(fitted);
  return label;
}

void SourceScr::BuildPreview() {
  SrcPic_ = Place(new QLabel(this), "SrcPic");
  SrcPic_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void SourceScr::BuildSourceFrame() {
  AddFrame("Frame1");
  Dir1_ = Place(new DirList(this), "Dir1");
  File1_ = Place(new FileList(this), "File1");
  Drive1_ = Place(new DriveList(this), "Drive1");
}

// The status line of the picture-size check.
void SourceScr::BuildStatusLine() {
  Label1_ = Place(new QLineEdit(FormText("Label1"), this), "Label1");
  Label1_->setReadOnly(true);
  Label1_->setTextMargins(0, 0, 0, 0);
}

// The colour options, one group; each option's index is its place in kBackgroundChoices.
void SourceScr::BuildColourFrame() {
  AddFrame("Frame2");
  Option1_ = new QButtonGroup(this);
  for (int i = 0; i < static_cast<int>(kBackgroundChoices.size()); ++i) {
    auto* option = Place(new QRadioButton(FormText("Option1", i), this), "Option1", i);
    option->setProperty("index", i);
    // The Japanese captions keep the designed font; a translated one may need less.
    if (option->text() != QString::fromUtf8(Entry("Option1", i).text)) FitFontToPlace(option);
    Option1_->addButton(option, i);
  }
}

void SourceScr::BuildDestinationFrame() {
  AddFrame("Frame3");
  Dir3_ = Place(new DirList(this), "Dir3");
  Drive3_ = Place(new DriveList(this), "Drive3");
}

// The three puzzle texts; each box's input limit is its text's field in the package.
void SourceScr::BuildPuzzleFrame() {
  AddFrame("Frame4");
  AddLabel("Label7");
  PuzzleSetName_ =
      Place(new Cp932LineEdit(static_cast<int>(kPuzzleSetNameBytes), this), "PuzzleSetName");
  AddLabel("Label6");
  PuzzleName_ = Place(new Cp932LineEdit(static_cast<int>(kPuzzleNameBytes), this), "PuzzleName");
  AddLabel("Label5");
  Comment_ = Place(new Cp932TextEdit(static_cast<int>(kLongPuzzleNameBytes), this), "Comment");
}

// The two densities: a slider from 0 to 100 and the box that shows 100 minus its value.
void SourceScr::BuildDifficultyFrame() {
  AddFrame("Frame5");
  AddLabel("Label4");
  Text1_ = Place(new QLineEdit(this), "Text1");
  Slider1_ = Place(new QSlider(Qt::Horizontal, this), "Slider1");
  AddLabel("Label3");
  Text2_ = Place(new QLineEdit(this), "Text2");
  Slider2_ = Place(new QSlider(Qt::Horizontal, this), "Slider2");
  for (QSlider* slider : {Slider1_, Slider2_}) {
    slider->setRange(0, 100);
    slider->setPageStep(10);
  }
  for (QLineEdit* box : {Text1_, Text2_}) box->setTextMargins(0, 0, 0, 0);
}

void SourceScr::BuildButtons() {
  MakeIt_ = Place(new QPushButton(FormText("MakeIt"), this), "MakeIt");
  Command2_ = Place(new QPushButton(FormText("Command2"), this), "Command2");
}

void SourceScr::ConnectControls() {
  connect(Option1_, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
    if (checked && index >= 0 && index < static_cast<int>(kBackgroundChoices.size())) {
      backColorIndex_ = kBackgroundChoices[static_cast<size_t>(index)].paletteIndex;
    }
  });
  connect(Slider1_, &QSlider::valueChanged, this,
          [this](int value) { Text1_->setText(QString::number(100 - value)); });
  connect(Slider2_, &QSlider::valueChanged, this,
          [this](int value) { Text2_->setText(QString::number(100 - value)); });

  connect(Drive1_, &DriveList::DriveChanged, this,
          [this](const QString& drive) { FollowDrive(Drive1_, Dir1_, drive); });
  connect(Dir1_, &DirList::PathChanged, File1_, &FileList::SetFolder);
  connect(Drive3_, &DriveList::DriveChanged, this,
          [this](const QString& drive) { FollowDrive(Drive3_, Dir3_, drive); });
  for (DirList* dirs : {Dir1_, Dir3_}) {
    connect(dirs, &DirList::OpenFailed, this, [this](const QString& path) {
      presenter_.Show(this, MessageKind::kFailure,
                      tr("フォルダを開けません") + QLatin1Char('\n') + path);
    });
  }
  connect(File1_, &FileList::FileClicked, this, &SourceScr::PictureClick);

  connect(MakeIt_, &QPushButton::clicked, this, &SourceScr::Make);
  connect(Command2_, &QPushButton::clicked, this, [this] {
    if (making_) return;
    SaveSettings();
    EndProgram();
  });
}

void SourceScr::Load() {
  loading_ = true;
  File1_->SetFolder(Dir1_->Path());

  Option1_->button(kStartChoice)->setChecked(true);  // sets backColorIndex, as a click does

  RandomSource random(RandomSource::ClockSeed());
  puzzlePassWord_ = MakePuzzlePassword(random);

  MakeIt_->setEnabled(false);

  const Settings settings = LoadSettings(env_, settingsPath_);
  PuzzleSetName_->SetText(
      InWindowLanguage(FromCp932(settings.puzzleSetName), kDefaultPuzzleSetName));
  PuzzleName_->SetText(InWindowLanguage(FromCp932(settings.puzzleName), kDefaultPuzzleName));
  Comment_->SetText(InWindowLanguage(MultiLineFromCp932(settings.longPuzzleName), kDefaultComment));
  ApplyStoredDrive(Drive1_, settings.srcDrive);
  ApplyStoredFolder(Dir1_, settings.srcDir);
  ApplyStoredDrive(Drive3_, settings.destDrive);
  ApplyStoredFolder(Dir3_, settings.destDir);
  Slider1_->setValue(settings.slider1);
  Slider2_->setValue(settings.slider2);
  Text1_->setText(QString::number(100 - Slider1_->value()));
  Text2_->setText(QString::number(100 - Slider2_->value()));
  loading_ = false;
}

void SourceScr::ApplyStoredDrive(DriveList* drives, const std::string& stored) {
  if (stored.empty()) return;
  for (const QString& candidate : StoredPathCandidates(stored)) {
    if (drives->SetDrive(candidate)) return;
  }
}

void SourceScr::ApplyStoredFolder(DirList* dirs, const std::string& stored) {
  if (stored.empty()) return;
  for (const QString& candidate : StoredPathCandidates(stored)) {
    if (dirs->SetPath(candidate)) return;
  }
}

void SourceScr::FollowDrive(DriveList* drives, DirList* dirs, const QString& drive) {
  if (dirs->SetPath(CurrentDirectoryOfDrive(drives->Drives(), drive))) return;
  // The drive cannot be opened: the drive list goes back to the directory list's drive.
  {
    const QSignalBlocker blocker(drives);
    drives->SetDrive(DriveOfPath(drives->Drives(), dirs->Path()));
  }
  if (!loading_) {
    presenter_.Show(this, MessageKind::kFailure,
                    tr("ドライブを開けません") + QLatin1Char('\n') + drive);
  }
}

void SourceScr::PictureClick(const QString& file_name) {
  if (making_) return;
  const QString path = JoinPath(Dir1_->Path(), file_name);
  if (IsPackageName(file_name)) {  // a package opens its own window; the picture stays
    OpenPackageWindow(path, this);
    return;
  }
  const std::string native = path.toStdString();
  SourceOptions as_made;
  SourceOptions fitted;
  fitted.fit = true;
  SourceOptions as_it_is;
  as_it_is.checkSize = false;
  SourceError error;
  std::optional<Raster> picture = ReadSourcePicture(env_, native, as_made, &error);
  if (!picture && error.problem == SourceProblem::kTooLarge &&
      presenter_.Ask(this, tr("画像が大きすぎです") +
                               QStringLiteral(" (%1 x %2)\n").arg(error.width).arg(error.height) +
                               tr("グリッドに合わせて縮小しますか？"))) {
    picture = ReadSourcePicture(env_, native, fitted, &error);
  }
  // A picture that cannot be made is still shown, with the reason in the status line.
  QString refusal;
  if (!picture && error.problem != SourceProblem::kUnreadable &&
      error.problem != SourceProblem::kCropOutside) {
    refusal = error.problem == SourceProblem::kTooLarge ? tr("画像が大きすぎです")
                                                        : tr("画像が小さすぎです");
    picture = ReadSourcePicture(env_, native, as_it_is, &error);
  }
  if (!picture) {
    // Nothing changes: the preview, the grid, the status line and MakeIt stay as they were.
    presenter_.Show(this, MessageKind::kFailure,
                    tr("画像を読み込めません") + QLatin1Char('\n') +
                        QString::fromStdString(SourceErrorMessage(native, error)));
    return;
  }
  source_ = std::move(picture);
  sourcePath_ = native;

  const Grid grid = GridForPicture(source_->width, source_->height);
  xMax_ = grid.xMax;
  yMax_ = grid.yMax;
  SrcPic_->setPixmap(QPixmap::fromImage(PreviewImage(*source_, grid)));
  SrcPic_->resize(source_->width, source_->height);
  Label1_->setText(refusal.isEmpty() ? GridStatus(grid) : refusal);
  Label1_->setCursorPosition(0);
  MakeIt_->setEnabled(refusal.isEmpty() && GridFits(grid));
  PuzzleName_->SetText(FromCp932(ProposePuzzleName(ToCp932(file_name))));
}

void SourceScr::ChoosePictureFile(const QString& path) {
  if (making_) return;
  const QFileInfo file(path);
  if (!Dir1_->SetPath(file.absolutePath())) return;
  {
    // The drive list follows without moving the directory list again.
    const QSignalBlocker blocker(Drive1_);
    Drive1_->SetDrive(DriveOfPath(Drive1_->Drives(), Dir1_->Path()));
  }
  File1_->SetFolder(Dir1_->Path());  // also when the folder was already open
  const QList<QListWidgetItem*> found = File1_->findItems(file.fileName(), Qt::MatchExactly);
  if (!found.isEmpty()) File1_->setCurrentItem(found.front());
  PictureClick(file.fileName());
}

namespace {

// The one picture file of a drag, or nothing when the drag holds anything else.
std::optional<QString> DraggedPicture(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) return std::nullopt;
  const QUrl url = data->urls().front();
  if (!url.isLocalFile()) return std::nullopt;
  const QString path = url.toLocalFile();
  if (!IsReadablePictureName(path.toStdString()) || !QFileInfo(path).isFile()) {
    return std::nullopt;
  }
  return path;
}

}  // namespace

void SourceScr::dragEnterEvent(QDragEnterEvent* event) {
  if (!making_ && DraggedPicture(event->mimeData())) event->acceptProposedAction();
}

void SourceScr::dropEvent(QDropEvent* event) {
  const std::optional<QString> path = DraggedPicture(event->mimeData());
  if (!path) return;
  event->acceptProposedAction();
  ChoosePictureFile(*path);
}

MakeRequest SourceScr::ReadMakeRequest() const {
  MakeRequest request;
  request.source = *source_;
  request.grid = Grid{xMax_, yMax_};
  request.workFolder = Dir3_->Path().toStdString();
  request.puzzleName = ToCp932(PuzzleName_->text());
  request.puzzleSetName = ToCp932(PuzzleSetName_->text());
  request.comment = MultiLineToCp932(Comment_->Text());
  request.password = puzzlePassWord_;
  request.pieceDensityText = ToCp932(Text1_->text());
  request.backgroundDensityText = ToCp932(Text2_->text());
  request.backColorIndex = backColorIndex_;
  request.seed = RandomSource::ClockSeed();
  return request;
}

void SourceScr::Make() {
  if (making_ || ending_ || !source_ || !MakeIt_->isEnabled()) return;
  // A puzzle name that cannot name the package is refused before anything is written,
  // and the window stays as it is; blanks around it are dropped from the box.
  const PuzzleNameCheck name = CheckPuzzleName(ToCp932(PuzzleName_->text()));
  if (name.fault != NameFault::kNone) {
    presenter_.Show(this, MessageKind::kFailure, NameFaultText(name.fault));
    return;
  }
  if (name.blanksDropped) PuzzleName_->SetText(FromCp932(name.name));
  const MakeRequest request = ReadMakeRequest();
  making_ = true;

  // The work canvas opens beside the window, not modal; it shows the surfaces once they
  // are rendered (the saved files hold exactly these pixels).
  DestScr_ = std::make_unique<DestScr>();
  DestScr_->setFont(font());
  DestScr_->show();

  if (!converter_) {
    converter_ = MakeLibraryConverter(env_, [this](const std::string& text) {
      presenter_.Show(nullptr, MessageKind::kInformation, QString::fromStdString(text));
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
      [this](const WorkCanvas& canvas) { DestScr_->ShowCanvas(canvas); });
  if (!reported) {
    ReportMake(result);
    SaveSettings();
  }
  EndProgram();
}

void SourceScr::ReportMake(const MakeResult& result) {
  const MessageKind kind = result.status == MakeStatus::kPackageWritten ? MessageKind::kCompletion
                                                                        : MessageKind::kFailure;
  presenter_.Show(this, kind, MakeOutcomeText(result));
}

void SourceScr::SaveSettings() {
  Settings settings;
  settings.puzzleName = ToCp932(PuzzleName_->text());
  settings.puzzleSetName = ToCp932(PuzzleSetName_->text());
  settings.longPuzzleName = MultiLineToCp932(Comment_->Text());
  settings.srcDrive = PathForSettings(Drive1_->Drive());
  settings.srcDir = PathForSettings(Dir1_->Path());
  settings.destDrive = PathForSettings(Drive3_->Drive());
  settings.destDir = PathForSettings(Dir3_->Path());
  settings.slider1 = Slider1_->value();
  settings.slider2 = Slider2_->value();
  klv::SaveSettings(env_, settingsPath_, settings);
}

void SourceScr::EndProgram() {
  ending_ = true;
  if (DestScr_) DestScr_->close();
  close();
  emit Ended();
}

void SourceScr::closeEvent(QCloseEvent* event) {
  if (ending_) {
    event->accept();
    return;
  }
  if (making_) {
    event->ignore();  // the make ends the program itself
    return;
  }
  // The close box ends the program without saving any setting.
  ending_ = true;
  if (DestScr_) DestScr_->close();
  event->accept();
  emit Ended();
}

}  // namespace klv::gui
