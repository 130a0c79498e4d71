// SourceScr, the maker's main window ("モーベルパズルメーカー"): the source and destination
// lists, the preview SrcPic, the puzzle texts, the colour options, the density sliders,
// the make button MakeIt and the exit button Command2. It restores and saves Morvel.ini
// and hands the make to the core; one run makes at most one puzzle.
#ifndef KLV_MAKER_GUI_SOURCE_SCR_H_
#define KLV_MAKER_GUI_SOURCE_SCR_H_

#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "maker/make.h"
#include "maker/raster.h"

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

class SourceScr : public QWidget {
  Q_OBJECT
 public:
  // Builds the window and runs its start-up: option 5, the run's puzzle password, MakeIt
  // disabled, and the texts, lists and sliders restored from the settings file at
  // `settings_path` (an absent file or key gives the defaults). Messages go to
  // `presenter`, which must outlive the window. FileConv is reached through `converter`;
  // without one, the package library is loaded at the make and its messages are shown
  // through `presenter`. The controls carry their given names as object names (SrcPic,
  // MakeIt, ...; the eight colour options are each "Option1" with the property "index").
  SourceScr(Env& env, std::string settings_path, MessagePresenter& presenter,
            std::unique_ptr<PackageConverter> converter = nullptr, QWidget* parent = nullptr);
  ~SourceScr() override;

  // The window values that the make reads.
  int16_t xMax() const { return xMax_; }
  int16_t yMax() const { return yMax_; }
  int16_t backColorIndex() const { return backColorIndex_; }
  const std::string& puzzlePassWord() const { return puzzlePassWord_; }

  // Writes the nine keys of the settings file from the controls: the three texts, the
  // four lists' drives and folders and the two slider values. Failures are not reported.
  void SaveSettings();

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
  // Each builds one part of the form, at the places and with the texts of the form's
  // table; a frame's function builds the frame and the controls it frames.
  void BuildPreview();
  void BuildSourceFrame();
  void BuildStatusLine();
  void BuildColourFrame();
  void BuildDestinationFrame();
  void BuildPuzzleFrame();
  void BuildDifficultyFrame();
  void BuildButtons();
  void AddFrame(const char* name);
  QLabel* AddLabel(const char* name);
  void ConnectControls();
  void Load();
  void FollowDrive(DriveList* drives, DirList* dirs, const QString& drive);
  void ApplyStoredDrive(DriveList* drives, const std::string& stored);
  void ApplyStoredFolder(DirList* dirs, const std::string& stored);
  // Reads the picture through the make's own reader. Over 335 pixels it asks whether to
  // fit the picture to the grid; one not fitted, or under one tile, is shown but not
  // made, with the reason in the status line.
  void PictureClick(const QString& file_name);
  // Moves the source lists to the folder of `path` and clicks its file.
  void ChoosePictureFile(const QString& path);
  void Make();
  MakeRequest ReadMakeRequest() const;
  void ReportMake(const MakeResult& result);
  void EndProgram();

  Env& env_;
  const std::string settingsPath_;
  MessagePresenter& presenter_;
  std::unique_ptr<PackageConverter> converter_;

  int16_t xMax_ = 0;
  int16_t yMax_ = 0;
  int16_t backColorIndex_ = 0;
  std::string puzzlePassWord_;
  std::optional<Raster> source_;  // the picture in SrcPic, as the make takes it
  std::string sourcePath_;        // where source_ was read from

  bool loading_ = false;  // start-up: a stored place that fails is passed over silently
  bool making_ = false;
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
