// The picture box: a window class that keeps a copy of its picture and paints it as a
// 32-bit top-down DIB, pixel for pixel.
#include "picture_box.h"

#include <memory>
#include <vector>

namespace klv::win32 {
namespace {

constexpr wchar_t kClassName[] = L"KLVMakerPictureBox";

struct BoxState {
  COLORREF background;
  bool followsPicture;
  Raster picture;
};

BoxState* State(HWND box) {
  return reinterpret_cast<BoxState*>(GetWindowLongPtrW(box, GWLP_USERDATA));
}

void Paint(HWND box) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(box, &paint);
  const BoxState* state = State(box);
  RECT client;
  GetClientRect(box, &client);
  if (state != nullptr) {
    HBRUSH brush = CreateSolidBrush(state->background);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    DrawRaster(dc, 0, 0, state->picture);
  }
  EndPaint(box, &paint);
}

LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: Paint(box); return 0;
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills the whole box
    case WM_NCDESTROY: {
      std::unique_ptr<BoxState> state(State(box));
      SetWindowLongPtrW(box, GWLP_USERDATA, 0);
      break;
    }
    default: break;
  }
  return DefWindowProcW(box, message, wparam, lparam);
}

}  // namespace

bool RegisterPictureBox(HINSTANCE instance) {
  WNDCLASSEXW box_class{};
  box_class.cbSize = sizeof box_class;
  box_class.lpfnWndProc = BoxProc;
  box_class.hInstance = instance;
  box_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  box_class.lpszClassName = kClassName;
  return RegisterClassExW(&box_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreatePictureBox(HWND parent, int id, const RECT& place, COLORREF background,
                      bool follows_picture) {
  HWND box = CreateWindowExW(
      0, kClassName, L"", WS_CHILD | WS_VISIBLE, place.left, place.top, place.right - place.left,
      place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  if (box == nullptr) return nullptr;
  auto state = std::make_unique<BoxState>();
  state->background = background;
  state->followsPicture = follows_picture;
  SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.release()));
  return box;
}

void ShowPicture(HWND box, const Raster& picture) {
  BoxState* state = State(box);
  if (state == nullptr) return;
  state->picture = picture;
  if (state->followsPicture) {
    SetWindowPos(box, nullptr, 0, 0, picture.width, picture.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(box, nullptr, TRUE);
}

void DrawRaster(HDC dc, int x, int y, const Raster& picture, int zoom) {
  if (picture.pixels.empty()) return;
  // A 32-bit DIB holds B, G, R and an unused byte in memory: 0x00RRGGBB as a number.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc, x, y, picture.width * zoom, picture.height * zoom, 0, 0, picture.width,
                picture.height, picture.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace klv::win32
