// DestScr in Windows: the work canvas ("ピーステーブル") that a make opens, with the 115 tile
// surfaces DesPic and the base surface BasePic at the places of the form's table. It has
// no behaviour of its own; it shows the make's surfaces once they are rendered.
#ifndef KLV_MAKER_WIN32_DEST_WINDOW_H_
#define KLV_MAKER_WIN32_DEST_WINDOW_H_

#include <windows.h>

#include <array>
#include <string>

#include "maker/work_canvas.h"

namespace klv::win32 {

class DestWindow {
 public:
  // Registers the window class once per process.
  static bool Register(HINSTANCE instance);

  // Opens the canvas window with `caption`, its designed size scaled to `dpi`.
  DestWindow(HINSTANCE instance, const std::wstring& caption, UINT dpi);
  ~DestWindow();
  DestWindow(const DestWindow&) = delete;
  DestWindow& operator=(const DestWindow&) = delete;

  // Shows every tile of `canvas` (at most 115) and its base surface.
  void Show(const WorkCanvas& canvas);

 private:
  HWND window_ = nullptr;
  std::array<HWND, kTileSurfaceCount> des_pic_{};
  HWND base_pic_ = nullptr;
};

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_DEST_WINDOW_H_
