// The drive, directory and file lists of the maker window, on the local file system. The
// lists only show and choose; the window wires them together (a new drive moves the
// directory list, a new directory refills the file list).
#include "file_lists.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <string>

#include "maker/picture_reader.h"

namespace klv::gui {
namespace {

constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPerLevel = 8;

bool PathIsOnDrive(const QString& path, const QString& drive) {
  if (drive == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
  return path == drive || path.startsWith(drive + QLatin1Char('/'));
}

QString CleanAbsolute(const QString& path) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// Draws a directory line indented by its depth below the root.
class IndentDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem indented = option;
    indented.rect.adjust(index.data(kLevelRole).toInt() * kIndentPerLevel, 0, 0, 0);
    QStyledItemDelegate::paint(painter, indented, index);
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += index.data(kLevelRole).toInt() * kIndentPerLevel;
    return size;
  }
};

}  // namespace

QStringList MountedDrives() {
  QStringList drives;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = QDir::cleanPath(volume.rootPath());
    if (!QFileInfo(root).isDir() || drives.contains(root)) continue;
    drives << root;
  }
  if (!drives.contains(QLatin1String("/"))) drives << QStringLiteral("/");
  std::sort(drives.begin(), drives.end(), [](const QString& a, const QString& b) {
    const bool a_is_root = a == QLatin1String("/");
    const bool b_is_root = b == QLatin1String("/");
    if (a_is_root != b_is_root) return a_is_root;
    return a < b;
  });
  return drives;
}

QString DriveOfPath(const QStringList& drives, const QString& path) {
  QString best;
  for (const QString& drive : drives) {
    if (PathIsOnDrive(path, drive) && drive.size() > best.size()) best = drive;
  }
  return best;
}

QString CurrentDirectoryOfDrive(const QStringList& drives, const QString& drive) {
  const QString current = QDir::currentPath();
  return DriveOfPath(drives, current) == drive ? current : drive;
}

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
  const QStringList drives = MountedDrives();
  last_ = DriveOfPath(drives, QDir::currentPath());
  Fill(drives, last_);
  connect(this, &QComboBox::activated, this, [this](int index) {
    const QString chosen = itemText(index);
    if (chosen == last_) return;
    last_ = chosen;
    emit DriveChanged(chosen);
  });
}

void DriveList::Fill(const QStringList& drives, const QString& keep) {
  const QSignalBlocker blocker(this);
  clear();
  addItems(drives);
  // A drive that has gone since it was chosen stays in the list while it is chosen.
  if (!keep.isEmpty() && findText(keep, Qt::MatchExactly) < 0) addItem(keep);
  setCurrentIndex(findText(keep, Qt::MatchExactly));
}

QStringList DriveList::Drives() const {
  QStringList drives;
  for (int i = 0; i < count(); ++i) drives << itemText(i);
  return drives;
}

bool DriveList::SetDrive(const QString& name) {
  if (findText(name, Qt::MatchExactly) < 0) Fill(MountedDrives(), last_);
  const int index = findText(name, Qt::MatchExactly);
  if (index < 0) return false;
  {
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
  }
  if (name != last_) {
    last_ = name;
    emit DriveChanged(name);
  }
  return true;
}

void DriveList::showPopup() {
  Fill(MountedDrives(), last_);
  QComboBox::showPopup();
}

DirList::DirList(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new IndentDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::itemDoubleClicked, this, &DirList::OpenItem);
  path_ = CleanAbsolute(QDir::currentPath());
  Refresh();
}

bool DirList::SetPath(const QString& path) {
  if (path.isEmpty()) return false;
  const QString absolute = CleanAbsolute(path);
  if (!QFileInfo(absolute).isDir()) return false;
  const bool changed = absolute != path_;
  path_ = absolute;
  Refresh();
  if (changed) emit PathChanged(path_);
  return true;
}

void DirList::Refresh() {
  clear();
  const QStyle* style = this->style();
  const QIcon open_icon = style->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style->standardIcon(QStyle::SP_DirClosedIcon);

  auto add = [this](const QString& text, const QString& path, int level, const QIcon& icon) {
    auto* item = new QListWidgetItem(icon, text, this);
    item->setData(kPathRole, path);
    item->setData(kLevelRole, level);
    item->setToolTip(path);
  };

  add(QStringLiteral("/"), QStringLiteral("/"), 0, open_icon);
  QString walked;
  int level = 0;
  for (const QString& part : path_.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    walked += QLatin1Char('/') + part;
    add(part, walked, ++level, open_icon);
  }
  const int current_row = count() - 1;

  const QDir folder(path_);
  const QStringList subfolders =
      folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : subfolders) {
    add(name, folder.filePath(name), level + 1, closed_icon);
  }
  setCurrentRow(current_row);
  scrollToItem(item(current_row));
}

void DirList::OpenItem(QListWidgetItem* item) {
  if (item == nullptr) return;
  const QString path = item->data(kPathRole).toString();
  if (!SetPath(path)) {
    Refresh();
    emit OpenFailed(path);
  }
}

void DirList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenItem(currentItem());
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { emit FileClicked(item->text()); });
}

void FileList::SetFolder(const QString& folder) {
  folder_ = folder;
  clear();
  QDir dir(folder);
  QStringList patterns;
  for (const std::string& extension : ReadablePictureExtensions()) {
    patterns << QLatin1Char('*') + QString::fromStdString(extension);
  }
  patterns << QStringLiteral("*.klv");  // packages beside the pictures
  dir.setNameFilters(patterns);         // matched without regard to case
  dir.setFilter(QDir::Files | QDir::Hidden);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  addItems(dir.entryList());
}

QString FileList::FileName() const {
  const QListWidgetItem* item = currentItem();
  return item != nullptr && item->isSelected() ? item->text() : QString();
}

QStringList FileList::FileNames() const {
  QStringList names;
  for (int i = 0; i < count(); ++i) names << item(i)->text();
  return names;
}

void FileList::keyPressEvent(QKeyEvent* event) {
  // Moving the selection by keyboard counts as a click on the new name.
  const int before = currentRow();
  QListWidget::keyPressEvent(event);
  if (currentRow() != before && currentItem() != nullptr) {
    currentItem()->setSelected(true);
    emit FileClicked(currentItem()->text());
  }
}

}  // namespace klv::gui
