// The file-system lists of the maker window: the drive list (the file-system roots and
// mount points), the directory list (the path from the root down to the current folder
// and the folder's subfolders) and the file list of one folder's pictures and packages.
#ifndef KLV_MAKER_GUI_FILE_LISTS_H_
#define KLV_MAKER_GUI_FILE_LISTS_H_

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace klv::gui {

// The mount points of the machine that are folders, "/" first, then in name order.
QStringList MountedDrives();

// Of `drives`, the one that holds `path`: the longest whose folder is `path` or one of
// its ancestors. Empty when none does.
QString DriveOfPath(const QStringList& drives, const QString& path);

// The folder a directory list moves to when `drive` is chosen: the program's current
// directory when it lies on that drive, otherwise the drive's root.
QString CurrentDirectoryOfDrive(const QStringList& drives, const QString& drive);

// The drive list. Its entries are named by their mount point ("/", "/home"); the list is
// read again whenever it is opened, so that new mounts appear.
class DriveList : public QComboBox {
  Q_OBJECT
 public:
  explicit DriveList(QWidget* parent = nullptr);

  // The chosen drive, as the list names it.
  QString Drive() const { return currentText(); }
  // Chooses the drive named `name`. False, and nothing changes, when the list has no such
  // drive. Emits DriveChanged when the choice changes.
  bool SetDrive(const QString& name);
  QStringList Drives() const;

  void showPopup() override;

 signals:
  // The choice changed, by the user or by SetDrive.
  void DriveChanged(const QString& drive);

 private:
  void Fill(const QStringList& drives, const QString& keep);
  QString last_;
};

// The directory list: the path from the root down to the current folder, each ancestor
// on its own line, followed by the current folder's subfolders (hidden ones left out).
// Double-click or Enter on a line opens that folder.
class DirList : public QListWidget {
  Q_OBJECT
 public:
  // The item data role holding a line's full folder path.
  static constexpr int kPathRole = Qt::UserRole;

  // Starts at the program's current directory.
  explicit DirList(QWidget* parent = nullptr);

  // The current folder: absolute, without a trailing "/" except for the root.
  QString Path() const { return path_; }
  // Opens `path` (made absolute against the current directory). False, and nothing
  // changes, when it is not a folder. Emits PathChanged when the path changes.
  bool SetPath(const QString& path);
  // Reads the current folder's subfolders again.
  void Refresh();

 signals:
  void PathChanged(const QString& path);
  // The user opened a line whose folder can no longer be opened; the list stays.
  void OpenFailed(const QString& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OpenItem(QListWidgetItem* item);
  QString path_;
};

// The file list: the names of the files of one folder that end in an extension of a
// picture the program reads (ReadablePictureExtensions), without regard to case, in
// name order, and the packages ("*.klv") beside them. A click on a name (or moving to it by
// keyboard) emits FileClicked.
class FileList : public QListWidget {
  Q_OBJECT
 public:
  explicit FileList(QWidget* parent = nullptr);

  // Lists `folder`'s matching files; an unreadable folder gives an empty list.
  void SetFolder(const QString& folder);
  QString Folder() const { return folder_; }
  // The selected name, without folder; empty when none is selected.
  QString FileName() const;
  QStringList FileNames() const;

 signals:
  void FileClicked(const QString& name);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString folder_;
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_FILE_LISTS_H_
