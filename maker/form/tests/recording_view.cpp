// The recording view's lists and messages.
#include "recording_view.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace klv::form::testing {

RecordingView::RecordingView(std::vector<std::string> drives, const std::string& start,
                             std::string settings_path)
    : drives_(std::move(drives)), start_(start), settings_path_(std::move(settings_path)) {
  for (size_t set = 0; set < 2; ++set) {
    folder_[set] = start;
    drive_[set] = DriveOf(start);
  }
}

std::string RecordingView::DriveOf(const std::string& folder) const {
  std::string best;
  for (const std::string& drive : drives_) {
    const bool holds = drive == "/" || folder == drive || folder.starts_with(drive + "/");
    if (holds && drive.size() > best.size()) best = drive;
  }
  return best;
}

bool RecordingView::OpenDrive(ListSet set, const std::string& drive) {
  if (std::find(drives_.begin(), drives_.end(), drive) == drives_.end()) return false;
  drive_[Set(set)] = drive;
  folder_[Set(set)] = DriveOf(start_) == drive ? start_ : drive;
  return true;
}

bool RecordingView::OpenFolder(ListSet set, const std::string& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) return false;
  folder_[Set(set)] = std::filesystem::absolute(folder).lexically_normal().string();
  if (folder_[Set(set)].size() > 1 && folder_[Set(set)].back() == '/') folder_[Set(set)].pop_back();
  drive_[Set(set)] = DriveOf(folder_[Set(set)]);
  return true;
}

void RecordingView::ShowMessage(MessageKind kind, const std::string& text) {
  Shown shown{kind, text, {}, {}};
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder_[1], error)) {
    shown.destinationEntries.push_back(entry.path().filename().string());
  }
  std::sort(shown.destinationEntries.begin(), shown.destinationEntries.end());
  std::ifstream settings(settings_path_, std::ios::binary);
  std::ostringstream bytes;
  bytes << settings.rdbuf();
  shown.settings = bytes.str();
  messages.push_back(shown);
}

Answer RecordingView::Ask(const std::string& question, Answer default_answer) {
  questions.push_back(question);
  defaults.push_back(default_answer);
  return answer;
}

std::string RecordingView::Text(ControlId box) const {
  const auto found = texts.find(box);
  return found == texts.end() ? std::string("<never set>") : found->second;
}

}  // namespace klv::form::testing
