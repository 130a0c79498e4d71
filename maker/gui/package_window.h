// The package window: what a package holds, read back with the same reader as klvinfo.
// The header's fields, the problems of a damaged package, the base picture, the tiles in
// their grid, the picture they make when solved, and a trial play of the puzzle. Opened
// by a click on a package in the maker's file list, a drop on the maker's window, or
// `klvmaker PACKAGE`.
#ifndef KLV_MAKER_GUI_PACKAGE_WINDOW_H_
#define KLV_MAKER_GUI_PACKAGE_WINDOW_H_

#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>

class QLabel;

namespace klv {
struct Package;
struct PackagePictures;
}  // namespace klv

namespace klv::gui {

class TrialPlayView;

// True when `name` ends in ".klv", in any case.
bool IsPackageName(const QString& name);

class PackageWindow : public QWidget {
  Q_OBJECT
 public:
  // Reads the package at `path` and shows it. A file that cannot be read, or a damaged
  // package, still opens: its problems are listed and whatever could be read is shown.
  // The window is named "PackageWindow"; its controls: "Fields" (the header's fields),
  // "Problems" (one line each), "BasePicture", "TileSheet", "SolvedPicture", the trial
  // play "TrialPlay" with its counter "Counter", its message "Complete" and the button
  // "Scatter".
  explicit PackageWindow(const QString& path, QWidget* parent = nullptr);

  QString Path() const { return path_; }

 private:
  QWidget* BuildInfoPage(const Package& package, const QStringList& problems);
  QWidget* BuildPicturesPage(const Package& package, const PackagePictures& pictures,
                             uint32_t back_color);
  QWidget* BuildTrialPage(const PackagePictures& pictures, uint32_t back_color);
  void ShowCount();

  QString path_;
  TrialPlayView* trial_ = nullptr;
  QLabel* counter_ = nullptr;
  QLabel* complete_ = nullptr;
};

// Opens a package window for `path` on its own (deleted when closed), owned by `owner`
// (may be null) and shown.
PackageWindow* OpenPackageWindow(const QString& path, QWidget* owner);

// Lets `window` take packages dropped on it: a drag that holds only local ".klv" files is
// accepted, and its drop opens one package window each. Other drags are left to the
// window itself.
void AcceptPackageDrops(QWidget* window);

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_PACKAGE_WINDOW_H_
