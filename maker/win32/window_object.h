// The C++ object behind a window: a window made with CreateWindowExW(..., object) keeps
// that pointer in its user data from WM_NCCREATE on, so that its window procedure reaches
// the object.
#ifndef KLV_MAKER_WIN32_WINDOW_OBJECT_H_
#define KLV_MAKER_WIN32_WINDOW_OBJECT_H_

#include <windows.h>

namespace klv::win32 {

// For the window procedure of `window`, called with `message` and `lparam`: the object the
// window was made with (stored on WM_NCCREATE), or null before that.
template <typename T>
T* WindowObject(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_WINDOW_OBJECT_H_
