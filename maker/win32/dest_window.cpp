// The work canvas window: a plain top-level window of picture boxes.
#include "dest_window.h"

#include <algorithm>

#include "dpi.h"
#include "form/control_table.h"
#include "picture_box.h"

namespace klv::win32 {
namespace {

constexpr wchar_t kClassName[] = L"KLVMakerDestScr";
constexpr COLORREF kSurfaceGrey = RGB(0xC0, 0xC0, 0xC0);
constexpr int kFirstTileId = 100;
constexpr int kBaseId = 99;

}  // namespace

bool DestWindow::Register(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kClassName;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

DestWindow::DestWindow(HINSTANCE instance, const std::wstring& caption, UINT dpi) {
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame = ScaleForDpi({0, 0, form::kDestScrWidth, form::kDestScrHeight}, dpi);
  AdjustWindowRectExForDpi(&frame, style, FALSE, 0, dpi);
  window_ = CreateWindowExW(0, kClassName, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            instance, nullptr);
  if (window_ == nullptr) return;
  for (int i = 0; i < kTileSurfaceCount; ++i) {
    des_pic_[static_cast<size_t>(i)] = CreatePictureBox(
        window_, kFirstTileId + i, ScaleForDpi(form::DesPicPlace(i), dpi), kSurfaceGrey, false);
  }
  base_pic_ = CreatePictureBox(window_, kBaseId, ScaleForDpi(form::BasePicPlace(), dpi),
                               kSurfaceGrey, true);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
}

DestWindow::~DestWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

void DestWindow::Show(const WorkCanvas& canvas) {
  if (window_ == nullptr) return;
  const size_t count = std::min(canvas.tiles.size(), des_pic_.size());
  for (size_t i = 0; i < count; ++i) ShowPicture(des_pic_[i], canvas.tiles[i]);
  ShowPicture(base_pic_, canvas.base);
}

}  // namespace klv::win32
