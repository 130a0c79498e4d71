// The package window in Windows, a view of the package form (maker/form) as the Qt
// package window is on Linux: a tab control with the header's fields and the problems, the
// pictures, and the trial play, whose table is drawn with GDI from pixels painted off
// screen (no flicker) and worked with the mouse. Opened by `klvmaker.exe PACKAGE`, a click
// on a package in the maker's file list and a package dropped on the maker's window.
#ifndef KLV_MAKER_WIN32_PACKAGE_WINDOW_H_
#define KLV_MAKER_WIN32_PACKAGE_WINDOW_H_

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "form/package_form.h"
#include "scroll_area.h"

namespace klv::win32 {

// The table's margin around the board in the trial play, in pixels of the pictures.
inline constexpr int kTableMargin = 8;

class PackageWindow : private form::PackageView {
 public:
  // Registers the window classes once per process.
  static bool Register(HINSTANCE instance);

  // Opens the window of the package file at `path` (UTF-8) in `language`, owned by `owner`
  // (may be null), and shows it; the window deletes itself when closed, and the program
  // ends when the last package window without an owner closes. A file that is not a
  // package gets the form's one message instead (a message box over `owner`), and false is
  // returned.
  static bool Open(HINSTANCE instance, const std::string& path, WindowLanguage language,
                   HWND owner);

  ~PackageWindow() override;
  PackageWindow(const PackageWindow&) = delete;
  PackageWindow& operator=(const PackageWindow&) = delete;

 private:
  struct FieldLine {
    HWND label = nullptr;
    HWND value = nullptr;
  };

  PackageWindow(HINSTANCE instance, form::PackageContents contents, WindowLanguage language);
  bool Create(HWND owner);
  void CreateControls();
  void ApplyFonts();
  void Layout();
  void LayoutInfo(const RECT& area);
  void LayoutPictures();
  void ShowPage(int page);
  // The table point under the client point (x, y) of the trial table.
  POINT TablePoint(int x, int y) const;
  int Scaled(int design) const;

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PicturesProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK TableProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandlePictures(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleTable(UINT message, WPARAM wparam, LPARAM lparam);
  void PaintPictures(HDC dc, const RECT& client);
  void PaintTable(HDC dc, const RECT& client);

  // The view's side of the form.
  void TableChanged() override;
  void ShowCount(const std::string& counter, bool complete) override;

  HINSTANCE instance_;
  form::PackageForm form_;
  bool owned_ = false;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  int zoom_ = 1;  // the pictures' pixels are squares of this size: 2 and more from 192 DPI
  HFONT font_ = nullptr;
  UINT test_seed_message_ = 0;
  HWND window_ = nullptr;
  HWND tabs_ = nullptr;
  std::array<std::vector<HWND>, 3> pages_;  // the controls of each tab
  int page_ = 0;
  std::vector<FieldLine> fields_;  // as the form's fields
  HWND swatch_ = nullptr;          // the background colour, beside its field
  HWND heading_ = nullptr;
  HWND problems_ = nullptr;
  HWND pictures_ = nullptr;
  std::array<Raster, 3> shown_pictures_;  // as drawn: the keyed pixels in the page's colour
  std::array<int, 3> picture_tops_{};     // each caption's top in the page's content
  ScrollArea pictures_scroll_;
  HWND counter_ = nullptr;
  HWND complete_ = nullptr;
  bool complete_shown_ = false;
  HWND scatter_ = nullptr;
  HWND table_ = nullptr;
  ScrollArea table_scroll_;
  POINT last_point_{};  // the table point of the last press or move
};

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_PACKAGE_WINDOW_H_
