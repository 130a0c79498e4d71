// Scrolling by SetScrollInfo: a bar whose page holds the whole content hides itself.
#include "scroll_area.h"

#include <algorithm>

namespace klv::win32 {
namespace {

constexpr int kLinePixels = 32;

}  // namespace

void ScrollArea::SetContent(HWND window, int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  Update(window);
}

void ScrollArea::Update(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  for (const int bar : {SB_HORZ, SB_VERT}) {
    const int page = std::max<int>(bar == SB_HORZ ? client.right : client.bottom, 0);
    const int size = bar == SB_HORZ ? width_ : height_;
    int& origin = bar == SB_HORZ ? x_ : y_;
    origin = std::clamp(origin, 0, std::max(size - page, 0));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = std::max(size - 1, 0);
    info.nPage = static_cast<UINT>(page);
    info.nPos = origin;
    // Showing or hiding a bar resizes the client area, which comes back here by WM_SIZE.
    SetScrollInfo(window, bar, &info, TRUE);
  }
  InvalidateRect(window, nullptr, FALSE);
}

bool ScrollArea::Handle(HWND window, UINT message, WPARAM wparam) {
  if (message == WM_SIZE) {
    Update(window);
    return true;
  }
  if (message == WM_MOUSEWHEEL) {
    y_ -= GET_WHEEL_DELTA_WPARAM(wparam) * 3 * kLinePixels / WHEEL_DELTA;
    Update(window);
    return true;
  }
  if (message != WM_HSCROLL && message != WM_VSCROLL) return false;
  const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(window, bar, &info);
  int& origin = bar == SB_HORZ ? x_ : y_;
  switch (LOWORD(wparam)) {
    case SB_LINEUP: origin -= kLinePixels; break;
    case SB_LINEDOWN: origin += kLinePixels; break;
    case SB_PAGEUP: origin -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: origin += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: origin = info.nTrackPos; break;
    case SB_TOP: origin = 0; break;
    case SB_BOTTOM: origin = info.nMax; break;
    default: break;
  }
  Update(window);
  return true;
}

}  // namespace klv::win32
