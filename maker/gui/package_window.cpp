// The package window: the package form's contents on three pages (the header's fields with
// the problems, the pictures, and the trial play) in Qt widgets; the trial play's table is
// a TrialPlayView over the same form.
#include "package_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
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
#include <utility>
#include <vector>

#include "base/platform.h"
#include "dest_scr.h"
#include "message_presenter.h"
#include "trial_play_view.h"

namespace klv::gui {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* ValueLabel(const std::string& name, const QString& text) {
  auto* label = new QLabel(text);
  label->setObjectName(FromUtf8(name));
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setWordWrap(true);
  return label;
}

// A picture with its caption above it; a missing picture shows why instead.
void AddPicture(QVBoxLayout* layout, const form::ShownPicture& shown, uint32_t back_color) {
  layout->addWidget(new QLabel(FromUtf8(shown.caption)));
  auto* picture = new QLabel;
  picture->setObjectName(FromUtf8(shown.name));
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (!shown.raster) {
    picture->setText(FromUtf8(shown.missing));
  } else {
    picture->setPixmap(QPixmap::fromImage(shown.keyed
                                              ? RasterToTransparentImage(*shown.raster, back_color)
                                              : RasterToImage(*shown.raster)));
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
std::vector<std::string> DroppedPackages(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  std::vector<std::string> paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    paths.push_back(url.toLocalFile().toStdString());
  }
  return form::PackagesOfDrop(paths);
}

class PackageDropFilter : public QObject {
 public:
  PackageDropFilter(QWidget* window, std::function<void(const std::string&)> open)
      : QObject(window), window_(window), open_(std::move(open)) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != window_) return false;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (DroppedPackages(drag->mimeData()).empty()) return false;
      drag->acceptProposedAction();
      return true;
    }
    if (event->type() == QEvent::Drop) {
      auto* drop = static_cast<QDropEvent*>(event);
      const std::vector<std::string> paths = DroppedPackages(drop->mimeData());
      if (paths.empty()) return false;
      drop->acceptProposedAction();
      for (const std::string& path : paths) open_(path);
      return true;
    }
    return false;
  }

 private:
  QWidget* window_;
  std::function<void(const std::string&)> open_;
};

}  // namespace

PackageWindow::PackageWindow(form::PackageContents contents, WindowLanguage language,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), form_(std::move(contents), language, *this) {
  const form::PackageContents& shown = form_.contents();
  setObjectName(QStringLiteral("PackageWindow"));
  setWindowTitle(FromUtf8(shown.title));
  auto* tabs = new QTabWidget;
  tabs->setObjectName(QStringLiteral("Tabs"));
  tabs->addTab(BuildInfoPage(), FromUtf8(shown.tabs[0]));
  tabs->addTab(BuildPicturesPage(), FromUtf8(shown.tabs[1]));
  tabs->addTab(BuildTrialPage(), FromUtf8(shown.tabs[2]));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  resize(900, 640);
  form_.Start();
}

QString PackageWindow::Path() const { return FromUtf8(form_.contents().path); }

// The header's fields and the problems.
QWidget* PackageWindow::BuildInfoPage() {
  const form::PackageContents& shown = form_.contents();
  auto* fields = new QWidget;
  fields->setObjectName(QStringLiteral("Fields"));
  auto* form = new QFormLayout(fields);
  for (const form::PackageField& field : shown.fields) {
    if (field.name == "backColor") {  // the colour itself, as a swatch before its number
      auto* swatch = ValueLabel(field.name, QStringLiteral("■ ") + FromUtf8(field.value));
      swatch->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(FromUtf8(field.value)));
      form->addRow(FromUtf8(field.label), swatch);
    } else {
      form->addRow(FromUtf8(field.label), ValueLabel(field.name, FromUtf8(field.value)));
    }
  }

  auto* info_page = new QWidget;
  auto* info = new QVBoxLayout(info_page);
  info->addWidget(Scrolled(fields));
  auto* heading = new QLabel(FromUtf8(shown.problemsHeading));
  heading->setObjectName(QStringLiteral("ProblemsHeading"));
  info->addWidget(heading);
  auto* problem_list = new QListWidget;
  problem_list->setObjectName(QStringLiteral("Problems"));
  for (const std::string& problem : shown.problems) problem_list->addItem(FromUtf8(problem));
  problem_list->setVisible(!shown.problems.empty());
  info->addWidget(problem_list);
  return info_page;
}

// The base, every picture in its grid, and the solved picture.
QWidget* PackageWindow::BuildPicturesPage() {
  auto* pictures_inner = new QWidget;
  auto* pictures_layout = new QVBoxLayout(pictures_inner);
  for (const form::ShownPicture& picture : form_.contents().pictures) {
    AddPicture(pictures_layout, picture, form_.contents().backColor);
  }
  pictures_layout->addStretch();
  return Scrolled(pictures_inner);
}

// The trial play with its counter, its message and the scatter button.
QWidget* PackageWindow::BuildTrialPage() {
  auto* trial_page = new QWidget;
  auto* trial = new QVBoxLayout(trial_page);
  auto* bar = new QHBoxLayout;
  counter_ = new QLabel;
  counter_->setObjectName(QStringLiteral("Counter"));
  complete_ = new QLabel(FromUtf8(form_.contents().completeText));
  complete_->setObjectName(QStringLiteral("Complete"));
  auto* scatter = new QPushButton(FromUtf8(form_.contents().scatterText));
  scatter->setObjectName(QStringLiteral("Scatter"));
  bar->addWidget(counter_);
  bar->addWidget(complete_);
  bar->addStretch();
  bar->addWidget(scatter);
  trial->addLayout(bar);
  trial_ = new TrialPlayView(form_);
  trial_->setObjectName(QStringLiteral("TrialPlay"));
  trial->addWidget(Scrolled(trial_));
  connect(scatter, &QPushButton::clicked, this, [this] { form_.ScatterClicked(); });
  return trial_page;
}

void PackageWindow::TableChanged() { trial_->update(); }

void PackageWindow::ShowCount(const std::string& counter, bool complete) {
  counter_->setText(FromUtf8(counter));
  complete_->setVisible(complete);
}

PackageWindow* OpenPackageWindow(const std::string& path, WindowLanguage language,
                                 MessagePresenter& presenter, QWidget* owner) {
  std::string message;
  std::optional<form::PackageContents> contents =
      form::ReadPackageContents(Env::Default(), path, language, &message);
  if (!contents) {
    presenter.Show(owner, MessageKind::kFailure, FromUtf8(message));
    return nullptr;
  }
  auto* window = new PackageWindow(std::move(*contents), language, owner);
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (owner != nullptr) window->setFont(owner->font());
  window->show();
  return window;
}

void AcceptPackageDrops(QWidget* window, std::function<void(const std::string&)> open) {
  window->setAcceptDrops(true);
  window->installEventFilter(new PackageDropFilter(window, std::move(open)));
}

}  // namespace klv::gui
