// The maker's main window: its controls at their places with their texts, the start-up
// that restores Morvel.ini, the list wiring, the picture click, and the make button that
// hands the make to the core (MakePuzzle) and ends the program. Texts cross to the core
// as code page 932 bytes; paths as the file system's UTF-8.
#include "source_scr.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <utility>

#include "base/platform.h"
#include "base/work_folder.h"
#include "cp932_edit.h"
#include "dest_scr.h"
#include "file_lists.h"
#include "maker/bitmap_codec.h"
#include "maker/grid.h"
#include "maker/make.h"
#include "maker/make_values.h"
#include "maker/settings.h"
#include "message_presenter.h"

namespace klv::gui {
namespace {

constexpr int kFontPixels = 12;
constexpr int kSmallestLabelPixels = 10;

struct OptionPlace {
  const char16_t* caption;
  QRect geometry;
};
const OptionPlace kOptions[8] = {
    {u"黒", {362, 468, 53, 17}},     {u"青", {362, 484, 77, 17}}, {u"緑", {362, 500, 77, 17}},
    {u"シアン", {362, 516, 77, 17}}, {u"赤", {417, 468, 53, 17}}, {u"マゼンダ", {417, 484, 69, 17}},
    {u"黄色", {417, 500, 61, 17}},   {u"白", {417, 516, 53, 17}},
};

QString Text(const char16_t* text) { return QString::fromUtf16(text); }

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
  const std::string utf8 = path.toStdString();
  if (std::optional<std::string> cp932 = Utf8ToCp932(utf8)) return *cp932;
  return utf8;
}

QString JoinPath(const QString& folder, const QString& name) {
  return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString MakeOutcomeText(const MakeResult& result) {
  QString headline;
  switch (result.status) {
    case MakeStatus::kPackageWritten: return Text(u"コンバートが終了しました");
    case MakeStatus::kConversionFailed: headline = Text(u"コンバートに失敗しました"); break;
    case MakeStatus::kLibraryMissing:
      headline = Text(u"KLVUtils が見つからないため、コンバートできませんでした");
      break;
    case MakeStatus::kWorkFileNotWritten:
      headline = Text(u"作業ファイルを保存できませんでした");
      break;
    case MakeStatus::kGridTooLarge: headline = Text(u"画像が大きすぎです"); break;
  }
  if (result.cause.empty()) return headline;
  return headline + QLatin1Char('\n') + QString::fromStdString(result.cause);
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
  setWindowTitle(Text(u"モーベルパズルメーカー"));
  setFixedSize(kClientWidth, kClientHeight);
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
  CreateControls();
  ConnectControls();
  Load();
}

SourceScr::~SourceScr() = default;

void SourceScr::CreateControls() {
  // Created bottom to top: the preview lies under everything, the frames under the
  // controls they hold.
  SrcPic_ = new QLabel(this);
  SrcPic_->setObjectName(QStringLiteral("SrcPic"));
  SrcPic_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  SrcPic_->setGeometry(10, 10, 288, 288);

  auto frame = [this](const char* name, const char16_t* title, QRect geometry) {
    auto* box = new QGroupBox(Text(title), this);
    box->setObjectName(QString::fromLatin1(name));
    box->setAutoFillBackground(true);
    box->setGeometry(geometry);
    return box;
  };
  Frame1_ = frame("Frame1", u"ビットマップを選択", {1, 336, 345, 209});
  Frame2_ = frame("Frame2", u"背景色の選択", {353, 454, 137, 89});
  Frame3_ = frame("Frame3", u"保存先を選択", {496, 8, 185, 154});
  Frame4_ = frame("Frame4", u"パズル情報", {495, 168, 185, 183});
  Frame5_ = frame("Frame5", u"難易度調整", {494, 355, 185, 112});

  auto place = [](QWidget* widget, const char* name, QRect geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
  };
  auto label = [this, &place](const char* name, const char16_t* text, QRect geometry) {
    auto* widget = new QLabel(Text(text), this);
    place(widget, name, geometry);
    // A label keeps its place; where the font runs wider than the label, it gets smaller.
    QFont fitted = widget->font();
    while (fitted.pixelSize() > kSmallestLabelPixels &&
           QFontMetrics(fitted).horizontalAdvance(widget->text()) > geometry.width()) {
      fitted.setPixelSize(fitted.pixelSize() - 1);
    }
    widget->setFont(fitted);
    return widget;
  };

  Dir1_ = new DirList(this);
  place(Dir1_, "Dir1", {7, 352, 166, 160});
  File1_ = new FileList(this);
  place(File1_, "File1", {177, 352, 161, 186});
  Drive1_ = new DriveList(this);
  place(Drive1_, "Drive1", {7, 520, 166, 20});

  Label1_ = new QLineEdit(Text(u"画像サイズ"), this);
  Label1_->setReadOnly(true);
  place(Label1_, "Label1", {353, 371, 137, 17});

  Option1Group_ = new QButtonGroup(this);
  for (int i = 0; i < 8; ++i) {
    auto* option = new QRadioButton(Text(kOptions[i].caption), this);
    place(option, "Option1", kOptions[i].geometry);
    option->setProperty("index", i);
    Option1Group_->addButton(option, i);
    Option1_[static_cast<size_t>(i)] = option;
  }

  Dir3_ = new DirList(this);
  place(Dir3_, "Dir3", {504, 24, 169, 104});
  Drive3_ = new DriveList(this);
  place(Drive3_, "Drive3", {505, 134, 169, 20});

  label("Label7", u"ﾊﾟｽﾞﾙｾｯﾄの名前（10ﾊﾞｲﾄまで）", {503, 192, 169, 17});
  PuzzleSetName_ = new Cp932LineEdit(static_cast<int>(kPuzzleSetNameBytes), this);
  place(PuzzleSetName_, "PuzzleSetName", {503, 208, 169, 18});
  label("Label6", u"パズルの名前（15文字まで）", {503, 240, 145, 17});
  PuzzleName_ = new Cp932LineEdit(static_cast<int>(kPuzzleNameBytes), this);
  place(PuzzleName_, "PuzzleName", {503, 256, 169, 18});
  label("Label5", u"画像の説明　（255文字まで）", {503, 288, 153, 17});
  Comment_ = new Cp932TextEdit(static_cast<int>(kLongPuzzleNameBytes), this);
  place(Comment_, "Comment", {503, 304, 169, 40});

  label("Label4", u"ピースの濃度", {503, 371, 153, 17});
  Text1_ = new QLineEdit(QStringLiteral("30"), this);
  place(Text1_, "Text1", {507, 391, 33, 17});
  Slider1_ = new QSlider(Qt::Horizontal, this);
  place(Slider1_, "Slider1", {542, 386, 121, 25});
  label("Label3", u"背景の濃度", {503, 417, 145, 17});
  Text2_ = new QLineEdit(QStringLiteral("15"), this);
  place(Text2_, "Text2", {506, 437, 33, 17});
  Slider2_ = new QSlider(Qt::Horizontal, this);
  place(Slider2_, "Slider2", {543, 434, 121, 25});
  for (QSlider* slider : {Slider1_, Slider2_}) {
    slider->setRange(0, 100);
    slider->setPageStep(10);
  }
  for (QLineEdit* box : {Label1_, Text1_, Text2_}) box->setTextMargins(0, 0, 0, 0);

  MakeIt_ = new QPushButton(Text(u"分解"), this);
  place(MakeIt_, "MakeIt", {495, 473, 184, 35});
  Command2_ = new QPushButton(Text(u"終了"), this);
  place(Command2_, "Command2", {495, 513, 185, 33});
}

void SourceScr::ConnectControls() {
  connect(Option1Group_, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
    if (checked && index >= 0 && index < 8) {
      backColorIndex_ = kOptionColorIndex[static_cast<size_t>(index)];
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
                      Text(u"フォルダを開けません") + QLatin1Char('\n') + path);
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

  Option1(kStartOption)->setChecked(true);  // sets backColorIndex to 13, as a click does

  RandomSource random(RandomSource::ClockSeed());
  puzzlePassWord_ = MakePuzzlePassword(random);

  MakeIt_->setEnabled(false);

  const Settings settings = LoadSettings(env_, settingsPath_);
  PuzzleSetName_->SetText(FromCp932(settings.puzzleSetName));
  PuzzleName_->SetText(FromCp932(settings.puzzleName));
  Comment_->SetText(MultiLineFromCp932(settings.longPuzzleName));
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
                    Text(u"ドライブを開けません") + QLatin1Char('\n') + drive);
  }
}

void SourceScr::PictureClick(const QString& file_name) {
  if (making_) return;
  const QString path = JoinPath(Dir1_->Path(), file_name);
  std::string cause;
  std::optional<Raster> picture = LoadPicture(env_, path.toStdString(), &cause);
  if (!picture) {
    // Nothing changes: the preview, the grid, the status line and MakeIt stay as they were.
    presenter_.Show(this, MessageKind::kFailure,
                    Text(u"画像を読み込めません") + QLatin1Char('\n') + path +
                        QStringLiteral(": ") + QString::fromStdString(cause));
    return;
  }
  source_ = std::move(picture);
  sourcePath_ = path.toStdString();
  SrcPic_->setPixmap(QPixmap::fromImage(RasterToImage(*source_)));
  SrcPic_->resize(source_->width, source_->height);

  const Grid grid = GridForPicture(source_->width, source_->height);
  xMax_ = grid.xMax;
  yMax_ = grid.yMax;
  Label1_->setText(FromCp932(GridStatusText(grid)));
  Label1_->setCursorPosition(0);
  MakeIt_->setEnabled(GridFits(grid));
  PuzzleName_->SetText(FromCp932(ProposePuzzleName(ToCp932(file_name))));
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
  const MakeRequest request = ReadMakeRequest();
  // A picture that is one of the make's own work files would be overwritten and removed:
  // refuse before anything is written, and leave the window as it is.
  if (const std::optional<std::string> work_file =
          WorkFileOfPicture(sourcePath_, request.workFolder)) {
    presenter_.Show(this, MessageKind::kFailure,
                    Text(u"この画像は保存先の作業ファイルと同じため、分解できません") +
                        QLatin1Char('\n') + QString::fromStdString(sourcePath_) +
                        QStringLiteral(" (") + QString::fromStdString(*work_file) +
                        QLatin1Char(')'));
    return;
  }
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
