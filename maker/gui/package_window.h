// The package window: what a package holds, read back with the same reader as klvinfo.
// The header's fields, the problems of a damaged package, the base picture, the tiles in
// their grid, the picture they make when solved, and a trial play of the puzzle. Opened
// by a click on a package in the maker's file list, a drop on the maker's window, or
// `klvmaker PACKAGE`. A view of the package form (maker/form), which decides what it shows.
#ifndef KLV_MAKER_GUI_PACKAGE_WINDOW_H_
#define KLV_MAKER_GUI_PACKAGE_WINDOW_H_

#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "form/package_form.h"

class QLabel;

namespace klv::gui {

class MessagePresenter;
class TrialPlayView;

class PackageWindow : public QWidget, private form::PackageView {
  Q_OBJECT
 public:
  // Shows `contents` in `language`. The window is named "PackageWindow"; its controls:
  // the header's fields, each named as the form's field ("xMax", "PuzzleName", ...),
  // "ProblemsHeading", "Problems" (one line each), "BasePicture", "TileSheet",
  // "SolvedPicture", the trial play "TrialPlay" with its counter "Counter", its message
  // "Complete" and the button "Scatter".
  PackageWindow(form::PackageContents contents, WindowLanguage language, QWidget* parent = nullptr);

  QString Path() const;
  form::PackageForm& Form() { return form_; }

 private:
  QWidget* BuildInfoPage();
  QWidget* BuildPicturesPage();
  QWidget* BuildTrialPage();

  // The view's side of the form.
  void TableChanged() override;
  void ShowCount(const std::string& counter, bool complete) override;

  form::PackageForm form_;
  TrialPlayView* trial_ = nullptr;
  QLabel* counter_ = nullptr;
  QLabel* complete_ = nullptr;
};

// Opens the package window of the file at `path` (UTF-8) in `language` on its own
// (deleted when closed), owned by `owner` (may be null), and shows it. A file that is not
// a package gets the form's one message through `presenter` instead, and null is returned.
PackageWindow* OpenPackageWindow(const std::string& path, WindowLanguage language,
                                 MessagePresenter& presenter, QWidget* owner);

// Lets `window` take packages dropped on it: a drag that holds only local ".klv" files is
// accepted, and its drop passes each file's path (UTF-8) to `open`. Other drags are left
// to the window itself.
void AcceptPackageDrops(QWidget* window, std::function<void(const std::string&)> open);

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_PACKAGE_WINDOW_H_
