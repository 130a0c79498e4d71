// A view of the maker's form for tests: it records what the form shows and asks, answers
// questions as told, and keeps its lists on the real file system (Linux), with the
// file-system root and the test's folder as the drives.
#ifndef KLV_MAKER_FORM_TESTS_RECORDING_VIEW_H_
#define KLV_MAKER_FORM_TESTS_RECORDING_VIEW_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "form/source_form.h"

namespace klv::form::testing {

// One message as the person saw it, with the destination folder's entries and the
// settings file at that moment.
struct Shown {
  MessageKind kind;
  std::string text;
  std::vector<std::string> destinationEntries;  // hidden ones too, in name order
  std::string settings;                         // the settings file's bytes, or ""
};

class RecordingView : public SourceView {
 public:
  // `drives`: the drives the drive lists offer (folders); the lists start in `start`.
  RecordingView(std::vector<std::string> drives, const std::string& start,
                std::string settings_path);

  void SetText(ControlId box, const std::string& text) override { texts[box] = text; }
  void SetSliderValue(ControlId slider, int value) override { sliders[slider] = value; }
  void CheckOption(int index) override { option = index; }
  void SetEnabled(ControlId control, bool on) override { enabled[control] = on; }
  void ShowPreview(const Raster& shown) override { preview = shown; }
  bool OpenDrive(ListSet set, const std::string& drive) override;
  bool OpenFolder(ListSet set, const std::string& folder) override;
  std::string Drive(ListSet set) const override { return drive_[Set(set)]; }
  std::string Folder(ListSet set) const override { return folder_[Set(set)]; }
  void SelectFile(const std::string& name) override { selected = name; }
  void ShowMessage(MessageKind kind, const std::string& text) override;
  Answer Ask(const std::string& question, Answer default_answer) override;
  void OpenPackage(const std::string& path) override { packages.push_back(path); }
  void ShowCanvas(const WorkCanvas& canvas) override { canvases.push_back(canvas); }
  void EndProgram() override { ++ended; }

  std::string Text(ControlId box) const;

  std::map<ControlId, std::string> texts;
  std::map<ControlId, int> sliders;
  std::map<ControlId, bool> enabled;
  int option = -1;
  std::optional<Raster> preview;
  std::string selected;
  std::vector<Shown> messages;
  std::vector<std::string> questions;
  std::vector<Answer> defaults;  // each question's default answer
  Answer answer = Answer::kNo;   // given to every question
  std::vector<std::string> packages;
  std::vector<WorkCanvas> canvases;
  int ended = 0;

 private:
  static size_t Set(ListSet set) { return set == ListSet::kSource ? 0 : 1; }
  std::string DriveOf(const std::string& folder) const;

  std::vector<std::string> drives_;
  std::string start_;
  std::string settings_path_;
  std::string drive_[2];
  std::string folder_[2];
};

}  // namespace klv::form::testing

#endif  // KLV_MAKER_FORM_TESTS_RECORDING_VIEW_H_
