// SourceScr, the maker's main window ("モーベルパズルメーカー") in Qt: a view of the maker's
// form (maker/form). It builds the controls from the form's table, shows what the form
// tells it and reports what the person does; the form holds every rule, the window values
// and the settings. Its own work: the widgets, the lists on the file system, the preview,
// the message boxes, drops and the close box.
#ifndef KLV_MAKER_GUI_SOURCE_SCR_H_
#define KLV_MAKER_GUI_SOURCE_SCR_H_

#include <QWidget>
#include <memory>
#include <string>

#include "form/source_form.h"
#include "language/language.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace klv {
class Env;
}

namespace klv::gui {

class Cp932LineEdit;
class Cp932TextEdit;
class DestScr;
class DirList;
class DriveList;
class FileList;
class MessagePresenter;

class SourceScr : public QWidget, private form::SourceView {
  Q_OBJECT
 public:
  // Builds the window in `language` and runs the form's start-up with the settings file
  // at `settings_path`. Messages go to `presenter`, which must outlive the window. FileConv
  // is reached through `converter`; without one, the package library is loaded at the
  // make. The controls carry their given names as object names (SrcPic, MakeIt, ...; the
  // eight colour options are each "Option1" with the property "index").
  SourceScr(Env& env, std::string settings_path, MessagePresenter& presenter,
            WindowLanguage language = WindowLanguage::kJapanese,
            std::unique_ptr<PackageConverter> converter = nullptr, QWidget* parent = nullptr);
  ~SourceScr() override;

  // The form behind the window: its values, and the events a program may send it (the
  // picture named on the command line).
  form::SourceForm& Form() { return form_; }
  const form::SourceForm& Form() const { return form_; }

 signals:
  // The program ends: after the exit button, after a make, or by the window's close box.
  // The windows have closed by then; the application quits on this signal.
  void Ended();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // A picture file dropped on the window is chosen as if clicked in its folder's list.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The view's side of the form.
  void SetText(form::ControlId box, const std::string& text) override;
  void SetSliderValue(form::ControlId slider, int value) override;
  void CheckOption(int index) override;
  void SetEnabled(form::ControlId control, bool enabled) override;
  void ShowPreview(const Raster& preview) override;
  bool OpenDrive(form::ListSet set, const std::string& drive) override;
  bool OpenFolder(form::ListSet set, const std::string& folder) override;
  std::string Drive(form::ListSet set) const override;
  std::string Folder(form::ListSet set) const override;
  void SelectFile(const std::string& name) override;
  void ShowMessage(form::MessageKind kind, const std::string& text) override;
  form::Answer Ask(const std::string& question, form::Answer default_answer) override;
  void OpenPackage(const std::string& path) override;
  void ShowCanvas(const WorkCanvas& canvas) override;
  void EndProgram() override;

  // Each builds one part of the form at the places and with the texts of its table; a
  // frame's function builds the frame and the controls it frames.
  void BuildPreview();
  void BuildSourceFrame();
  void BuildStatusLine();
  void BuildColourFrame();
  void BuildDestinationFrame();
  void BuildPuzzleFrame();
  void BuildDifficultyFrame();
  void BuildButtons();
  void AddFrame(form::ControlId id);
  QLabel* AddLabel(form::ControlId id);
  QString TextOf(form::ControlId id, int index = 0) const;
  void ConnectControls();
  DriveList* Drives(form::ListSet set) const;
  DirList* Dirs(form::ListSet set) const;

  const WindowLanguage language_;
  MessagePresenter& presenter_;
  form::SourceForm form_;
  bool ending_ = false;

  // The controls the window reads and drives after it is built.
  QLabel* SrcPic_ = nullptr;
  DirList* Dir1_ = nullptr;
  FileList* File1_ = nullptr;
  DriveList* Drive1_ = nullptr;
  QLineEdit* Label1_ = nullptr;
  QButtonGroup* Option1_ = nullptr;  // the eight options, by their index
  DirList* Dir3_ = nullptr;
  DriveList* Drive3_ = nullptr;
  Cp932LineEdit* PuzzleSetName_ = nullptr;
  Cp932LineEdit* PuzzleName_ = nullptr;
  Cp932TextEdit* Comment_ = nullptr;
  QLineEdit* Text1_ = nullptr;
  QSlider* Slider1_ = nullptr;
  QLineEdit* Text2_ = nullptr;
  QSlider* Slider2_ = nullptr;
  QPushButton* MakeIt_ = nullptr;
  QPushButton* Command2_ = nullptr;
  std::unique_ptr<DestScr> DestScr_;  // the work canvas; null until a make opens it
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_SOURCE_SCR_H_
