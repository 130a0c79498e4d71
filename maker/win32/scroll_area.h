// The scroll bars of a child window that draws content larger than itself (the package
// window's pictures and trial table): the window shows its content from a scroll origin,
// which its scroll bars and the mouse wheel move.
#ifndef KLV_MAKER_WIN32_SCROLL_AREA_H_
#define KLV_MAKER_WIN32_SCROLL_AREA_H_

#include <windows.h>

namespace klv::win32 {

class ScrollArea {
 public:
  // The content of `window` is `width` by `height` pixels: the bars show where they are
  // needed, and the origin stays within the content.
  void SetContent(HWND window, int width, int height);
  // Handles WM_SIZE, WM_HSCROLL, WM_VSCROLL and WM_MOUSEWHEEL of `window` (the window is
  // drawn again when its origin moves); false for any other message.
  bool Handle(HWND window, UINT message, WPARAM wparam);
  // The content point shown at the client area's top-left corner.
  POINT Origin() const { return {x_, y_}; }

 private:
  void Update(HWND window);

  int width_ = 0;
  int height_ = 0;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_SCROLL_AREA_H_
