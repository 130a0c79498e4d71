// The maker's main window in Qt: the form's controls as widgets at their table places,
// wired to the form's events, and the form's requests carried out on the widgets. Texts
// cross as UTF-8; the lists hold the file system's paths.
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
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QValidator>
#include <optional>
#include <utility>

#include "cp932_edit.h"
#include "dest_scr.h"
#include "file_lists.h"
#include "form/text_boxes.h"
#include "maker/picture_reader.h"
#include "message_presenter.h"
#include "package_window.h"

namespace klv::gui {
namespace {

using form::ControlId;
using form::ListSet;

constexpr int kFontPixels = 12;
constexpr int kSmallestLabelPixels = 10;

QRect Place(const form::Control& control) {
  return {control.place.x, control.place.y, control.place.width, control.place.height};
}

// Gives `widget`, a child of the window, the name of its form entry and puts it at its
// place.
template <typename Widget>
Widget* Placed(Widget* widget, ControlId id, int index = 0) {
  const form::Control& control = form::FindControl(id, index);
  widget->setObjectName(
      QString::fromLatin1(control.name.data(), static_cast<qsizetype>(control.name.size())));
  widget->setGeometry(Place(control));
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

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The density boxes take a whole number from 0 to 100 (or nothing while typing).
class DensityValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*position*/) const override {
    if (!form::IsDensityText(input.toStdString())) return Invalid;
    return input.isEmpty() ? Intermediate : Acceptable;
  }
};

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

SourceScr::SourceScr(Env& env, std::string settings_path, MessagePresenter& presenter,
                     WindowLanguage language, std::unique_ptr<PackageConverter> converter,
                     QWidget* parent)
    : QWidget(parent),
      language_(language),
      presenter_(presenter),
      form_(env, std::move(settings_path), language, *this, std::move(converter)) {
  const form::Control& window = form::FindControl(ControlId::kSourceScr);
  setObjectName(QStringLiteral("SourceScr"));
  setWindowTitle(TextOf(ControlId::kSourceScr));
  setFixedSize(window.place.width, window.place.height);
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
  File1_->SetFolder(Dir1_->Path());
  // Connected first, so that the lists follow each other while the start-up moves them.
  ConnectControls();
  form_.Load();
  AcceptPackageDrops(this, [this](const std::string& path) { OpenPackage(path); });
  setAcceptDrops(true);
}

SourceScr::~SourceScr() = default;

QString SourceScr::TextOf(ControlId id, int index) const {
  return FromUtf8(form_.Say(form::FindControl(id, index).text));
}

void SourceScr::AddFrame(ControlId id) {
  Placed(new QGroupBox(TextOf(id), this), id)->setAutoFillBackground(true);
}

QLabel* SourceScr::AddLabel(ControlId id) {
  auto* label = Placed(new QLabel(TextOf(id), this), id);
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
  SrcPic_ = Placed(new QLabel(this), ControlId::kSrcPic);
  SrcPic_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void SourceScr::BuildSourceFrame() {
  AddFrame(ControlId::kFrame1);
  Dir1_ = Placed(new DirList(this), ControlId::kDir1);
  File1_ = Placed(new FileList(this), ControlId::kFile1);
  Drive1_ = Placed(new DriveList(this), ControlId::kDrive1);
}

// The status line of the picture-size check.
void SourceScr::BuildStatusLine() {
  Label1_ = Placed(new QLineEdit(TextOf(ControlId::kLabel1), this), ControlId::kLabel1);
  Label1_->setReadOnly(true);
  Label1_->setTextMargins(0, 0, 0, 0);
}

void SourceScr::BuildColourFrame() {
  AddFrame(ControlId::kFrame2);
  Option1_ = new QButtonGroup(this);
  for (int i = 0; i < form::kColourOptions; ++i) {
    auto* option =
        Placed(new QRadioButton(TextOf(ControlId::kOption1, i), this), ControlId::kOption1, i);
    option->setProperty("index", i);
    // The Japanese captions keep the designed font; a translated one may need less.
    if (language_ != WindowLanguage::kJapanese) FitFontToPlace(option);
    Option1_->addButton(option, i);
  }
}

void SourceScr::BuildDestinationFrame() {
  AddFrame(ControlId::kFrame3);
  Dir3_ = Placed(new DirList(this), ControlId::kDir3);
  Drive3_ = Placed(new DriveList(this), ControlId::kDrive3);
}

// The three puzzle texts; each box's input limit is its text's field in the package.
void SourceScr::BuildPuzzleFrame() {
  const auto limit = [](ControlId id) { return static_cast<int>(form::FindControl(id).byteLimit); };
  AddFrame(ControlId::kFrame4);
  AddLabel(ControlId::kLabel7);
  PuzzleSetName_ =
      Placed(new Cp932LineEdit(limit(ControlId::kPuzzleSetName), this), ControlId::kPuzzleSetName);
  AddLabel(ControlId::kLabel6);
  PuzzleName_ =
      Placed(new Cp932LineEdit(limit(ControlId::kPuzzleName), this), ControlId::kPuzzleName);
  AddLabel(ControlId::kLabel5);
  Comment_ = Placed(new Cp932TextEdit(limit(ControlId::kComment), this), ControlId::kComment);
}

// The two densities: a slider from 0 to 100 and the box that shows 100 minus its value.
void SourceScr::BuildDifficultyFrame() {
  AddFrame(ControlId::kFrame5);
  AddLabel(ControlId::kLabel4);
  Text1_ = Placed(new QLineEdit(this), ControlId::kText1);
  Slider1_ = Placed(new QSlider(Qt::Horizontal, this), ControlId::kSlider1);
  AddLabel(ControlId::kLabel3);
  Text2_ = Placed(new QLineEdit(this), ControlId::kText2);
  Slider2_ = Placed(new QSlider(Qt::Horizontal, this), ControlId::kSlider2);
  for (QSlider* slider : {Slider1_, Slider2_}) {
    slider->setRange(0, 100);
    slider->setPageStep(10);
  }
  for (QLineEdit* box : {Text1_, Text2_}) {
    box->setTextMargins(0, 0, 0, 0);
    box->setValidator(new DensityValidator(box));
  }
}

void SourceScr::BuildButtons() {
  MakeIt_ = Placed(new QPushButton(TextOf(ControlId::kMakeIt), this), ControlId::kMakeIt);
  Command2_ = Placed(new QPushButton(TextOf(ControlId::kCommand2), this), ControlId::kCommand2);
}

void SourceScr::ConnectControls() {
  connect(Option1_, &QButtonGroup::idToggled, this, [this](int index, bool checked) {
    if (checked) form_.OptionClicked(index);
  });
  connect(Slider1_, &QSlider::valueChanged, this,
          [this](int value) { form_.SliderMoved(ControlId::kSlider1, value); });
  connect(Slider2_, &QSlider::valueChanged, this,
          [this](int value) { form_.SliderMoved(ControlId::kSlider2, value); });
  const auto report_edits = [this](QLineEdit* box, ControlId id) {
    connect(box, &QLineEdit::textEdited, this,
            [this, id](const QString& text) { form_.TextEdited(id, text.toStdString()); });
  };
  report_edits(PuzzleSetName_, ControlId::kPuzzleSetName);
  report_edits(PuzzleName_, ControlId::kPuzzleName);
  report_edits(Text1_, ControlId::kText1);
  report_edits(Text2_, ControlId::kText2);
  connect(Comment_, &Cp932TextEdit::textChanged, this,
          [this] { form_.TextEdited(ControlId::kComment, Comment_->Text().toStdString()); });

  connect(Drive1_, &DriveList::DriveChanged, this, [this](const QString& drive) {
    form_.DriveChosen(ListSet::kSource, drive.toStdString());
  });
  connect(Drive3_, &DriveList::DriveChanged, this, [this](const QString& drive) {
    form_.DriveChosen(ListSet::kDestination, drive.toStdString());
  });
  connect(Dir1_, &DirList::PathChanged, File1_, &FileList::SetFolder);
  for (DirList* dirs : {Dir1_, Dir3_}) {
    connect(dirs, &DirList::OpenFailed, this,
            [this](const QString& path) { form_.FolderOpenFailed(path.toStdString()); });
    // A folder opened in the list moves its drive list along.
    connect(dirs, &DirList::PathChanged, this, [this, dirs](const QString& path) {
      DriveList* drives = dirs == Dir1_ ? Drive1_ : Drive3_;
      const QSignalBlocker blocker(drives);
      drives->SetDrive(DriveOfPath(drives->Drives(), path));
    });
  }
  connect(File1_, &FileList::FileClicked, this,
          [this](const QString& name) { form_.FileClicked(name.toStdString()); });
  connect(MakeIt_, &QPushButton::clicked, this, [this] { form_.MakeClicked(); });
  connect(Command2_, &QPushButton::clicked, this, [this] { form_.ExitClicked(); });
}

DriveList* SourceScr::Drives(ListSet set) const {
  return set == ListSet::kSource ? Drive1_ : Drive3_;
}

DirList* SourceScr::Dirs(ListSet set) const { return set == ListSet::kSource ? Dir1_ : Dir3_; }

void SourceScr::SetText(ControlId box, const std::string& text) {
  const QString shown = FromUtf8(text);
  switch (box) {
    case ControlId::kPuzzleSetName: PuzzleSetName_->SetText(shown); break;
    case ControlId::kPuzzleName: PuzzleName_->SetText(shown); break;
    case ControlId::kComment: {
      const QSignalBlocker blocker(Comment_);
      Comment_->SetText(shown);
      break;
    }
    case ControlId::kText1: Text1_->setText(shown); break;
    case ControlId::kText2: Text2_->setText(shown); break;
    default:
      Label1_->setText(shown);
      Label1_->setCursorPosition(0);
      break;
  }
}

void SourceScr::SetSliderValue(ControlId slider, int value) {
  QSlider* moved = slider == ControlId::kSlider1 ? Slider1_ : Slider2_;
  const QSignalBlocker blocker(moved);
  moved->setValue(value);
}

void SourceScr::CheckOption(int index) {
  if (QAbstractButton* option = Option1_->button(index)) option->setChecked(true);
}

void SourceScr::SetEnabled(ControlId control, bool enabled) {
  if (control == ControlId::kMakeIt) MakeIt_->setEnabled(enabled);
}

void SourceScr::ShowPreview(const Raster& preview) {
  SrcPic_->setPixmap(QPixmap::fromImage(RasterToImage(preview)));
  SrcPic_->resize(preview.width, preview.height);
}

bool SourceScr::OpenDrive(ListSet set, const std::string& drive) {
  DriveList* drives = Drives(set);
  DirList* dirs = Dirs(set);
  const QString name = FromUtf8(drive);
  const QSignalBlocker blocker(drives);
  if (!drives->SetDrive(name)) return false;
  if (dirs->SetPath(CurrentDirectoryOfDrive(drives->Drives(), name))) return true;
  // The drive cannot be opened: the drive list goes back to the directory list's drive.
  drives->SetDrive(DriveOfPath(drives->Drives(), dirs->Path()));
  return false;
}

bool SourceScr::OpenFolder(ListSet set, const std::string& folder) {
  if (!Dirs(set)->SetPath(FromUtf8(folder))) return false;
  if (set == ListSet::kSource) File1_->SetFolder(Dir1_->Path());  // also when already open
  return true;
}

std::string SourceScr::Drive(ListSet set) const { return Drives(set)->Drive().toStdString(); }

std::string SourceScr::Folder(ListSet set) const { return Dirs(set)->Path().toStdString(); }

void SourceScr::SelectFile(const std::string& name) {
  const QList<QListWidgetItem*> found = File1_->findItems(FromUtf8(name), Qt::MatchExactly);
  if (!found.isEmpty()) File1_->setCurrentItem(found.front());
}

void SourceScr::ShowMessage(form::MessageKind kind, const std::string& text) {
  // The library's messages have no owner, as the library's own boxes have none.
  presenter_.Show(kind == form::MessageKind::kInformation ? nullptr : this, kind, FromUtf8(text));
}

form::Answer SourceScr::Ask(const std::string& question, form::Answer default_answer) {
  return presenter_.Ask(this, FromUtf8(question), default_answer);
}

void SourceScr::OpenPackage(const std::string& path) {
  OpenPackageWindow(path, language_, presenter_, this);
}

void SourceScr::ShowCanvas(const WorkCanvas& canvas) {
  if (!DestScr_) {
    DestScr_ = std::make_unique<DestScr>(language_);
    DestScr_->setFont(font());
  }
  DestScr_->show();
  DestScr_->ShowCanvas(canvas);
}

void SourceScr::EndProgram() {
  ending_ = true;
  if (DestScr_) DestScr_->close();
  close();
  emit Ended();
}

void SourceScr::dragEnterEvent(QDragEnterEvent* event) {
  if (!form_.ended() && DraggedPicture(event->mimeData())) event->acceptProposedAction();
}

void SourceScr::dropEvent(QDropEvent* event) {
  const std::optional<QString> path = DraggedPicture(event->mimeData());
  if (!path) return;
  event->acceptProposedAction();
  form_.ChoosePicture(path->toStdString());
}

void SourceScr::closeEvent(QCloseEvent* event) {
  if (ending_) {
    event->accept();
    return;
  }
  if (!form_.CloseRequested()) {
    event->ignore();  // a make ends the program itself
    return;
  }
  // The close box ends the program without saving any setting.
  ending_ = true;
  if (DestScr_) DestScr_->close();
  event->accept();
  emit Ended();
}

}  // namespace klv::gui
