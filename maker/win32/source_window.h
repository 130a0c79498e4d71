// SourceScr in Windows: the maker's main window built with the platform's own controls, a
// view of the maker's form (maker/form), as the Qt window is on Linux. It builds every
// control of the form's table at its place (scaled to the monitor's DPI), shows what the
// form tells it and reports what the person does; the form holds every rule.
#ifndef KLV_MAKER_WIN32_SOURCE_WINDOW_H_
#define KLV_MAKER_WIN32_SOURCE_WINDOW_H_

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "folder_lists.h"
#include "form/source_form.h"

namespace klv::win32 {

class DestWindow;

// The message by which a test gives the make the seed of klvmake's --seed (wParam), so
// that the two makes can be compared; registered under this name, it cannot be sent by
// any input of a person.
inline constexpr wchar_t kTestSeedMessageName[] = L"KLVMaker.TestSeed";

// The control ids: the form's table row plus this, so that a test reads the same table.
inline constexpr int kFirstControlId = 100;

class SourceWindow : private form::SourceView {
 public:
  // Registers the window classes once per process.
  static bool Register(HINSTANCE instance);

  SourceWindow(HINSTANCE instance, Env& env, std::string settings_path, WindowLanguage language);
  ~SourceWindow() override;
  SourceWindow(const SourceWindow&) = delete;
  SourceWindow& operator=(const SourceWindow&) = delete;

  // Creates the window and its controls, runs the form's start-up and shows it. False when
  // the window cannot be created.
  bool Open(int show_command);

  form::SourceForm& Form() { return form_; }

 private:
  struct Lists {
    std::wstring drive;
    std::wstring folder;
    std::vector<FolderLine> lines;
  };

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void PlaceControls();
  // The window's font at `pixels` (at 96 DPI), made once per size.
  HFONT FontOfSize(int pixels);
  // The largest font, down to kSmallestFontPixels, in which the label or option `control`
  // shows all of its text.
  HFONT FittingFont(const form::Control& control, HWND placed);
  void ReleaseFonts();
  void OnCommand(int id, int code);
  void OnListCommand(const form::Control& control, int code);
  void KeepByteLimit(size_t row);
  void OnDrop(HDROP drop);
  void ShowLists(form::ListSet set);
  void OpenFolderLine(form::ListSet set);
  HWND Control(form::ControlId id, int index = 0) const;
  RECT Scaled(const form::Rect& place) const;
  std::wstring Say(UiText text) const;

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

  HINSTANCE instance_;
  const WindowLanguage language_;
  form::SourceForm form_;
  HWND window_ = nullptr;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  HFONT font_ = nullptr;        // the designed size, FontOfSize(kDesignedFontPixels)
  std::map<int, HFONT> fonts_;  // by size
  UINT test_seed_message_ = 0;
  std::vector<HWND> controls_;          // by the row of the form's table
  std::vector<std::wstring> accepted_;  // a byte-limited box's text before the edit
  std::array<Lists, 2> lists_;          // the source lists, then the destination's
  std::unique_ptr<DestWindow> dest_;    // the work canvas; null until a make opens it
  bool setting_ = false;                // the window itself is changing a box: no edit to report
  bool ending_ = false;
};

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_SOURCE_WINDOW_H_
