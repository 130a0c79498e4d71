// The package window: the file read through the platform seam, decoded by the package
// reader and the package pictures of the core, and shown on three pages: the header's
// fields with the problems, the pictures, and the trial play. The reader's problem lines
// are shown as klvinfo prints them.
#include "package_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/package_reader.h"
#include "base/platform.h"
#include "cp932_edit.h"
#include "dest_scr.h"
#include "maker/package_pictures.h"
#include "trial_play_view.h"

namespace klv::gui {
namespace {

QString Hex(uint32_t rgb) {
  return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

QLabel* ValueLabel(const char* name, const QString& text) {
  auto* label = new QLabel(text);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setWordWrap(true);
  return label;
}

// A picture with its caption above it; a missing picture shows why instead.
void AddPicture(QVBoxLayout* layout, const QString& caption, const char* name, const QImage& image,
                const QString& missing) {
  layout->addWidget(new QLabel(caption));
  auto* picture = new QLabel;
  picture->setObjectName(QString::fromLatin1(name));
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (image.isNull()) {
    picture->setText(missing);
  } else {
    picture->setPixmap(QPixmap::fromImage(image));
  }
  layout->addWidget(picture);
}

QWidget* Scrolled(QWidget* inner) {
  auto* area = new QScrollArea;
  area->setWidget(inner);
  area->setWidgetResizable(false);
  return area;
}

// The local files of a drag when they are all packages; empty otherwise.
QStringList DroppedPackages(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile() || !IsPackageName(url.toLocalFile())) return {};
    paths << url.toLocalFile();
  }
  return paths;
}

class PackageDropFilter : public QObject {
 public:
  explicit PackageDropFilter(QWidget* window) : QObject(window), window_(window) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != window_) return false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DroppedPackages(drag->mimeData()).isEmpty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const QStringList paths = DroppedPackages(drop->mimeData());
      if (paths.isEmpty()) return false;
      drop->acceptProposedAction();
      for (const QString& path : paths) OpenPackageWindow(path, window_);
      return true;
    }
    return false;
  }

 private:
  QWidget* window_;
};

}  // namespace

bool IsPackageName(const QString& name) {
  return name.endsWith(QLatin1String(".klv"), Qt::CaseInsensitive);
}

PackageWindow::PackageWindow(const QString& path, QWidget* parent)
    : QWidget(parent, Qt::Window), path_(path) {
  setObjectName(QStringLiteral("PackageWindow"));
  setWindowTitle(tr("パッケージ") + QStringLiteral(" - ") + QFileInfo(path).fileName());

  std::string cause;
  const std::optional<std::vector<uint8_t>> bytes =
      ReadPackageFile(Env::Default(), path.toStdString(), &cause);
  Package package;
  QStringList problems;
  if (bytes) {
    package = ReadPackage(*bytes);
  } else {
    problems << QFileInfo(path).fileName() + QStringLiteral(": ") + QString::fromStdString(cause);
  }
  const PackagePictures pictures = DecodePackagePictures(package);
  for (const PackageProblem& problem : package.problems)
    problems << QString::fromStdString(DescribeProblem(problem));
  for (const PackageProblem& problem : pictures.problems)
    problems << QString::fromStdString(DescribeProblem(problem));

  const uint32_t back_color = package.header ? BackColorRgb(*package.header) : 0;

  auto* tabs = new QTabWidget;
  tabs->setObjectName(QStringLiteral("Tabs"));
  tabs->addTab(BuildInfoPage(package, problems), tr("情報"));
  tabs->addTab(BuildPicturesPage(package, pictures, back_color), tr("画像"));
  tabs->addTab(BuildTrialPage(pictures, back_color), tr("試しに遊ぶ"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  resize(900, 640);
  ShowCount();
}

// The header's fields and the problems.
QWidget* PackageWindow::BuildInfoPage(const Package& package, const QStringList& problems) {
  auto* fields = new QWidget;
  fields->setObjectName(QStringLiteral("Fields"));
  auto* form = new QFormLayout(fields);
  form->addRow(tr("ファイル"), ValueLabel("File", path_));
  if (const std::optional<PackageHeader>& h = package.header) {
    const auto number = [](int64_t value) { return QString::number(value); };
    const auto times = [](int64_t a, int64_t b) { return QStringLiteral("%1 × %2").arg(a).arg(b); };
    form->addRow(tr("ファイルのバージョン"), ValueLabel("fileVersion", number(h->fileVersion)));
    form->addRow(tr("横のピース数"), ValueLabel("xMax", number(h->xMax)));
    form->addRow(tr("縦のピース数"), ValueLabel("yMax", number(h->yMax)));
    form->addRow(tr("ピースの大きさ"), ValueLabel("tileSize", times(h->tileWidth, h->tileHeight)));
    form->addRow(tr("画像の大きさ"),
                 ValueLabel("pictureSize", times(h->pictureWidth, h->pictureHeight)));
    form->addRow(tr("難易度"), ValueLabel("Difficulty", number(h->Difficulty)));
    const QString color = Hex(BackColorRgb(*h));
    auto* swatch = ValueLabel("backColor", QStringLiteral("■ ") + color);
    swatch->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(color));
    form->addRow(tr("背景色"), swatch);
    form->addRow(tr("パスワード"), ValueLabel("PassWord", FromCp932(h->PassWord)));
    form->addRow(tr("前のパスワード"), ValueLabel("PrevPassWord", FromCp932(h->PrevPassWord)));
    form->addRow(tr("パズルセットの名前"),
                 ValueLabel("PuzzleSetName", FromCp932(h->PuzzleSetName)));
    form->addRow(tr("パズルの名前"), ValueLabel("PuzzleName", FromCp932(h->PuzzleName)));
    form->addRow(tr("画像の説明"),
                 ValueLabel("LongPuzzleName", MultiLineFromCp932(h->LongPuzzleName)));
  } else {
    form->addRow(tr("ヘッダー"), ValueLabel("NoHeader", tr("読めませんでした")));
  }
  QString tile_count = QString::number(package.tileChunks);
  if (package.header && package.GridTileCount() != package.tileChunks) {
    tile_count += tr("（グリッドでは %1）").arg(package.GridTileCount());
  }
  form->addRow(tr("ピースの数"), ValueLabel("tiles", tile_count));
  form->addRow(tr("ファイルの大きさ"), ValueLabel("bytes", tr("%1 バイト").arg(package.fileSize)));

  auto* info_page = new QWidget;
  auto* info = new QVBoxLayout(info_page);
  info->addWidget(Scrolled(fields));
  auto* heading = new QLabel(problems.isEmpty() ? tr("問題はありません")
                                                : tr("問題が %1 件あります").arg(problems.size()));
  heading->setObjectName(QStringLiteral("ProblemsHeading"));
  info->addWidget(heading);
  auto* problem_list = new QListWidget;
  problem_list->setObjectName(QStringLiteral("Problems"));
  problem_list->addItems(problems);
  problem_list->setVisible(!problems.isEmpty());
  info->addWidget(problem_list);

  return info_page;
}

// The base, every picture in its grid, and the solved picture.
QWidget* PackageWindow::BuildPicturesPage(const Package& package, const PackagePictures& pictures,
                                          uint32_t back_color) {
  auto* pictures_inner = new QWidget;
  auto* pictures_layout = new QVBoxLayout(pictures_inner);
  const QString unreadable = tr("（読めませんでした）");
  AddPicture(pictures_layout, tr("台紙"), "BasePicture",
             pictures.base ? RasterToImage(*pictures.base) : QImage(), unreadable);
  std::optional<Raster> sheet;
  std::optional<Raster> solved;
  if (package.header) {
    std::string ignored;
    sheet = PackageSheet(*package.header, pictures, &ignored);
    solved = ReassemblePicture(*package.header, pictures.tiles, &ignored);
  }
  AddPicture(pictures_layout, tr("台紙とピース（並び順）"), "TileSheet",
             sheet ? RasterToImage(*sheet) : QImage(), unreadable);
  AddPicture(pictures_layout, tr("完成図"), "SolvedPicture",
             solved ? RasterToTransparentImage(*solved, back_color) : QImage(),
             tr("（ピースがありません）"));
  pictures_layout->addStretch();

  return Scrolled(pictures_inner);
}

// The trial play with its counter, its message and the scatter button.
QWidget* PackageWindow::BuildTrialPage(const PackagePictures& pictures, uint32_t back_color) {
  auto* trial_page = new QWidget;
  auto* trial = new QVBoxLayout(trial_page);
  auto* bar = new QHBoxLayout;
  counter_ = new QLabel;
  counter_->setObjectName(QStringLiteral("Counter"));
  complete_ = new QLabel(tr("パズルが完成しました"));
  complete_->setObjectName(QStringLiteral("Complete"));
  auto* scatter = new QPushButton(tr("ピースをちらし直す"));
  scatter->setObjectName(QStringLiteral("Scatter"));
  bar->addWidget(counter_);
  bar->addWidget(complete_);
  bar->addStretch();
  bar->addWidget(scatter);
  trial->addLayout(bar);
  trial_ = new TrialPlayView(pictures.base, pictures.tiles, back_color);
  trial_->setObjectName(QStringLiteral("TrialPlay"));
  trial->addWidget(Scrolled(trial_));
  connect(trial_, &TrialPlayView::Changed, this, &PackageWindow::ShowCount);
  connect(scatter, &QPushButton::clicked, trial_, &TrialPlayView::Scatter);

  return trial_page;
}

void PackageWindow::ShowCount() {
  const TrialPlay& play = trial_->Play();
  counter_->setText(tr("はめたピース： %1 / %2").arg(play.PlacedCount()).arg(play.TileCount()));
  complete_->setVisible(play.Complete());
}

PackageWindow* OpenPackageWindow(const QString& path, QWidget* owner) {
  auto* window = new PackageWindow(path, owner);
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (owner != nullptr) window->setFont(owner->font());
  window->show();
  return window;
}

void AcceptPackageDrops(QWidget* window) {
  window->setAcceptDrops(true);
  window->installEventFilter(new PackageDropFilter(window));
}

}  // namespace klv::gui
