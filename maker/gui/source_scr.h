// SourceScr, the maker's main window ("モーベルパズルメーカー"): the source and destination
// lists, the preview SrcPic, the puzzle texts, the colour options, the density sliders,
// the make button MakeIt and the exit button Command2. It restores and saves Morvel.ini
// and hands the make to the core; one run makes at most one puzzle.
#ifndef KLV_MAKER_GUI_SOURCE_SCR_H_
#define KLV_MAKER_GUI_SOURCE_SCR_H_

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "maker/make.h"
#include "maker/raster.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
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
  static constexpr int kClientWidth = 683;
  static constexpr int kClientHeight = 551;
  // The palette index that each colour option Option1(0 to 7) stands for.
  static constexpr std::array<int16_t, 8> kOptionColorIndex = {0, 9, 10, 11, 12, 13, 14, 15};
  static constexpr int kStartOption = 5;  // "マゼンダ"

  // Builds the window and runs its start-up: option 5, the run's puzzle password, MakeIt
  // disabled, and the texts, lists and sliders restored from the settings file at
  // `settings_path` (an absent file or key gives the defaults). Messages go to
  // `presenter`, which must outlive the window. FileConv is reached through `converter`;
  // without one, the package library is loaded at the make and its messages are shown
  // through `presenter`.
  SourceScr(Env& env, std::string settings_path, MessagePresenter& presenter,
            std::unique_ptr<PackageConverter> converter = nullptr, QWidget* parent = nullptr);
  ~SourceScr() override;

  // The window values that the make reads.
  int16_t xMax() const { return xMax_; }
  int16_t yMax() const { return yMax_; }
  int16_t backColorIndex() const { return backColorIndex_; }
  const std::string& puzzlePassWord() const { return puzzlePassWord_; }

  // The controls, by their names.
  QLabel* SrcPic() const { return SrcPic_; }
  DriveList* Drive1() const { return Drive1_; }
  DirList* Dir1() const { return Dir1_; }
  FileList* File1() const { return File1_; }
  QLineEdit* Label1() const { return Label1_; }
  QRadioButton* Option1(int index) const { return Option1_[static_cast<size_t>(index)]; }
  DriveList* Drive3() const { return Drive3_; }
  DirList* Dir3() const { return Dir3_; }
  Cp932LineEdit* PuzzleSetName() const { return PuzzleSetName_; }
  Cp932LineEdit* PuzzleName() const { return PuzzleName_; }
  Cp932TextEdit* Comment() const { return Comment_; }
  QLineEdit* Text1() const { return Text1_; }
  QLineEdit* Text2() const { return Text2_; }
  QSlider* Slider1() const { return Slider1_; }
  QSlider* Slider2() const { return Slider2_; }
  QPushButton* MakeIt() const { return MakeIt_; }
  QPushButton* Command2() const { return Command2_; }
  // The work canvas; null until a make opens it.
  DestScr* destScr() const { return DestScr_.get(); }

  // Writes the nine keys of the settings file from the controls: the three texts, the
  // four lists' drives and folders and the two slider values. Failures are not reported.
  void SaveSettings();

 signals:
  // The program ends: after the exit button, after a make, or by the window's close box.
  // The windows have closed by then; the application quits on this signal.
  void Ended();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void ConnectControls();
  void Load();
  void FollowDrive(DriveList* drives, DirList* dirs, const QString& drive);
  void ApplyStoredDrive(DriveList* drives, const std::string& stored);
  void ApplyStoredFolder(DirList* dirs, const std::string& stored);
  void PictureClick(const QString& file_name);
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

  QLabel* SrcPic_ = nullptr;
  QGroupBox* Frame1_ = nullptr;
  DirList* Dir1_ = nullptr;
  FileList* File1_ = nullptr;
  DriveList* Drive1_ = nullptr;
  QLineEdit* Label1_ = nullptr;
  QGroupBox* Frame2_ = nullptr;
  std::array<QRadioButton*, 8> Option1_{};
  QButtonGroup* Option1Group_ = nullptr;
  QGroupBox* Frame3_ = nullptr;
  DirList* Dir3_ = nullptr;
  DriveList* Drive3_ = nullptr;
  QGroupBox* Frame4_ = nullptr;
  Cp932LineEdit* PuzzleSetName_ = nullptr;
  Cp932LineEdit* PuzzleName_ = nullptr;
  Cp932TextEdit* Comment_ = nullptr;
  QGroupBox* Frame5_ = nullptr;
  QLineEdit* Text1_ = nullptr;
  QSlider* Slider1_ = nullptr;
  QLineEdit* Text2_ = nullptr;
  QSlider* Slider2_ = nullptr;
  QPushButton* MakeIt_ = nullptr;
  QPushButton* Command2_ = nullptr;
  std::unique_ptr<DestScr> DestScr_;
};

}  // namespace klv::gui

#endif  // KLV_MAKER_GUI_SOURCE_SCR_H_
