// The package window with the Windows API: a strip of tabs above three pages of the
// platform's own controls (the fields as read-only edit boxes, the problems as a list box,
// the counter, the completion line and the scatter button) and two drawn children, the
// pictures and the trial table. The table is painted as pixels by the form (PaintTable)
// and put on the screen in one blit; the mouse on it reaches the form at table points.
#include "package_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "base/platform.h"
#include "dpi.h"
#include "picture_box.h"
#include "source_window.h"
#include "ui_font.h"
#include "wide.h"
#include "window_object.h"

namespace klv::win32 {
namespace {

constexpr wchar_t kClassName[] = L"KLVMakerPackage";
constexpr wchar_t kPicturesClassName[] = L"KLVMakerPackagePictures";
constexpr wchar_t kTableClassName[] = L"KLVMakerTrialTable";
constexpr wchar_t kTitle[] = L"KLVMaker";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The design at 96 DPI: the window's client area, the margins, a line of the fields.
constexpr int kClientWidth = 900;
constexpr int kClientHeight = 640;
constexpr int kMinimumWidth = 480;
constexpr int kMinimumHeight = 360;
constexpr int kMargin = 8;
constexpr int kRowHeight = 22;
constexpr int kCommentRows = 4;
constexpr int kSwatchSide = 16;
constexpr int kButtonWidth = 180;
constexpr int kButtonHeight = 26;

enum Page { kInfoPage, kPicturesPage, kTrialPage };

// Package windows open without an owner: the program ends when the last of them closes.
int open_without_owner = 0;

// A COLORREF (0x00BBGGRR) as the form's 0xRRGGBB.
uint32_t Rgb(COLORREF color) {
  return (uint32_t{GetRValue(color)} << 16) | (uint32_t{GetGValue(color)} << 8) | GetBValue(color);
}

COLORREF ColorRef(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFFu, (rgb >> 8) & 0xFFu, rgb & 0xFFu);
}

// `value` / `divisor` rounded down, also for a negative value.
int FloorDiv(int value, int divisor) {
  return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

SIZE TextSize(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

// Paints `window` through `paint(dc, client)` into an off-screen bitmap, then puts that on
// the screen in one blit, so that nothing flickers.
template <typename Paint>
void PaintOffScreen(HWND window, Paint paint) {
  PAINTSTRUCT ps;
  HDC screen = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max<int>(client.right, 1),
                                          std::max<int>(client.bottom, 1));
  HGDIOBJ old = SelectObject(memory, bitmap);
  paint(memory, client);
  BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(window, &ps);
}

}  // namespace

bool PackageWindow::Register(HINSTANCE instance) {
  const struct {
    const wchar_t* name;
    WNDPROC proc;
    HBRUSH background;
  } classes[] = {
      {kClassName, Proc, GetSysColorBrush(COLOR_BTNFACE)},
      {kPicturesClassName, PicturesProc, nullptr},  // they paint every pixel themselves
      {kTableClassName, TableProc, nullptr},
  };
  for (const auto& c : classes) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = c.proc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hIcon = c.name == kClassName ? LoadIconW(instance, MAKEINTRESOURCEW(1)) : nullptr;
    window_class.hbrBackground = c.background;
    window_class.lpszClassName = c.name;
    if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      return false;
    }
  }
  return true;
}

bool PackageWindow::Open(HINSTANCE instance, const std::string& path, WindowLanguage language,
                         HWND owner) {
  std::string message;
  std::optional<form::PackageContents> contents =
      form::ReadPackageContents(Env::Default(), path, language, &message);
  if (!contents) {
    MessageBoxW(owner, Wide(message).c_str(), kTitle, MB_OK | MB_ICONWARNING);
    return false;
  }
  // Once its window is made, the window deletes it when destroyed.
  auto* window = new PackageWindow(instance, std::move(*contents), language);
  if (window->Create(owner)) return true;
  delete window;
  return false;
}

PackageWindow::PackageWindow(HINSTANCE instance, form::PackageContents contents,
                             WindowLanguage language)
    : instance_(instance), form_(std::move(contents), language, *this) {
  // The pictures as drawn: the transparent pixels of the solved one in the page's colour.
  const uint32_t page = Rgb(GetSysColor(COLOR_BTNFACE));
  for (size_t i = 0; i < shown_pictures_.size(); ++i) {
    const form::ShownPicture& picture = form_.contents().pictures[i];
    if (!picture.raster) continue;
    shown_pictures_[i] = *picture.raster;
    if (!picture.keyed) continue;
    for (uint32_t& pixel : shown_pictures_[i].pixels) {
      if ((pixel & 0xFFFFFFu) == form_.contents().backColor) pixel = page;
    }
  }
}

PackageWindow::~PackageWindow() {
  if (font_ != nullptr) DeleteObject(font_);
}

int PackageWindow::Scaled(int design) const { return ScaleForDpi(design, dpi_); }

bool PackageWindow::Create(HWND owner) {
  test_seed_message_ = RegisterWindowMessageW(kTestSeedMessageName);
  window_ = CreateWindowExW(0, kClassName, Wide(form_.contents().title).c_str(), kWindowStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, kClientWidth, kClientHeight, owner,
                            nullptr, instance_, this);
  if (window_ == nullptr) return false;
  owned_ = owner != nullptr;
  if (!owned_) ++open_without_owner;
  dpi_ = GetDpiForWindow(window_);
  if (dpi_ == 0) dpi_ = USER_DEFAULT_SCREEN_DPI;
  zoom_ = std::max(1, static_cast<int>(dpi_ / USER_DEFAULT_SCREEN_DPI));
  font_ = CreateUiFont(dpi_);
  CreateControls();
  ApplyFonts();
  RECT frame{0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
  AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  form_.Start();
  ShowPage(kInfoPage);
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  SetFocus(tabs_);
  return true;
}

void PackageWindow::CreateControls() {
  const form::PackageContents& contents = form_.contents();
  const auto child = [this](const wchar_t* window_class, const std::wstring& text, DWORD style,
                            DWORD extended = 0) {
    return CreateWindowExW(extended, window_class, text.c_str(), WS_CHILD | style, 0, 0, 0, 0,
                           window_, nullptr, instance_, this);
  };
  tabs_ = child(WC_TABCONTROLW, L"", WS_VISIBLE | WS_TABSTOP);
  for (size_t i = 0; i < contents.tabs.size(); ++i) {
    std::wstring text = Wide(contents.tabs[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    TabCtrl_InsertItem(tabs_, static_cast<int>(i), &item);
  }

  std::vector<HWND>& info = pages_[kInfoPage];
  for (const form::PackageField& field : contents.fields) {
    const bool comment = field.name == "LongPuzzleName";
    FieldLine line;
    line.label = child(WC_STATICW, Wide(field.label), SS_LEFT | SS_NOPREFIX);
    line.value =
        child(WC_EDITW, WithCrLf(Wide(field.value)),
              ES_READONLY | WS_TABSTOP |
                  (comment ? ES_MULTILINE | ES_AUTOVSCROLL : static_cast<DWORD>(ES_AUTOHSCROLL)));
    info.insert(info.end(), {line.label, line.value});
    fields_.push_back(line);
    if (field.name == "backColor") {
      swatch_ = child(WC_STATICW, L"", SS_OWNERDRAW);
      info.push_back(swatch_);
    }
  }
  heading_ = child(WC_STATICW, Wide(contents.problemsHeading), SS_LEFT | SS_NOPREFIX);
  info.push_back(heading_);
  problems_ = child(WC_LISTBOXW, L"",
                    LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE);
  for (const std::string& problem : contents.problems) {
    SendMessageW(problems_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(problem).c_str()));
  }
  if (!contents.problems.empty()) info.push_back(problems_);  // the list shows only problems

  pictures_ = child(kPicturesClassName, L"", WS_HSCROLL | WS_VSCROLL);
  pages_[kPicturesPage] = {pictures_};

  counter_ = child(WC_STATICW, L"", SS_LEFT | SS_NOPREFIX);
  complete_ = child(WC_STATICW, Wide(contents.completeText), SS_LEFT | SS_NOPREFIX);
  scatter_ = child(WC_BUTTONW, Wide(contents.scatterText), BS_PUSHBUTTON | WS_TABSTOP);
  table_ = child(kTableClassName, L"", WS_HSCROLL | WS_VSCROLL);
  pages_[kTrialPage] = {counter_, complete_, scatter_, table_};
}

void PackageWindow::ApplyFonts() {
  for (HWND control : {tabs_, heading_, problems_, counter_, complete_, scatter_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  for (const FieldLine& line : fields_) {
    for (HWND control : {line.label, line.value}) {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    }
  }
}

void PackageWindow::Layout() {
  if (tabs_ == nullptr) return;  // the window is being made
  RECT client;
  GetClientRect(window_, &client);
  const int margin = Scaled(kMargin);
  // The tab control is a strip of the tabs above the pages, which lie on the window itself
  // (a tab control's display area may be drawn in another colour than the controls).
  RECT strip{0, 0, client.right, client.bottom};
  TabCtrl_AdjustRect(tabs_, FALSE, &strip);
  MoveWindow(tabs_, margin, margin, std::max<int>(client.right - 2 * margin, 0),
             strip.top + Scaled(2), TRUE);
  RECT area{margin, 2 * margin + strip.top, std::max<int>(client.right - margin, margin),
            std::max<int>(client.bottom - margin, margin)};
  area.bottom = std::max(area.bottom, area.top);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;

  LayoutInfo(area);
  MoveWindow(pictures_, area.left, area.top, width, height, TRUE);
  LayoutPictures();

  const int bar = Scaled(kButtonHeight);
  const int button_width = Scaled(kButtonWidth);
  const int text_top = area.top + (bar - Scaled(kRowHeight - 6)) / 2;
  MoveWindow(counter_, area.left, text_top, Scaled(220), Scaled(kRowHeight), TRUE);
  MoveWindow(complete_, area.left + Scaled(230), text_top, Scaled(280), Scaled(kRowHeight), TRUE);
  MoveWindow(scatter_, std::max<int>(area.right - button_width, area.left), area.top, button_width,
             bar, TRUE);
  const int table_top = area.top + bar + margin;
  MoveWindow(table_, area.left, table_top, width, std::max<int>(area.bottom - table_top, 0), TRUE);
  const TrialPlay& play = form_.Play();
  table_scroll_.SetContent(table_, (play.TableWidth() + 2 * kTableMargin) * zoom_,
                           (play.TableHeight() + 2 * kTableMargin) * zoom_);
}

// The fields as lines of a label and its value, then the problems' heading and list.
void PackageWindow::LayoutInfo(const RECT& area) {
  const int row = Scaled(kRowHeight);
  HDC dc = GetDC(window_);
  HGDIOBJ old = SelectObject(dc, font_);
  int label_width = 0;
  for (const form::PackageField& field : form_.contents().fields) {
    label_width = std::max<int>(label_width, TextSize(dc, Wide(field.label)).cx);
  }
  int list_width = 0;
  for (const std::string& problem : form_.contents().problems) {
    list_width = std::max<int>(list_width, TextSize(dc, Wide(problem)).cx);
  }
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window_, dc);
  label_width += Scaled(2 * kMargin);
  // The text of a static control and of an edit control without a border start alike a
  // few pixels below the line's top.
  const int inset = Scaled(3);
  int top = area.top;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const form::PackageField& field = form_.contents().fields[i];
    const int height = field.name == "LongPuzzleName" ? kCommentRows * row : row;
    int left = area.left + label_width;
    MoveWindow(fields_[i].label, area.left, top + inset, label_width, row - inset, TRUE);
    if (field.name == "backColor") {
      MoveWindow(swatch_, left, top + inset, Scaled(kSwatchSide), Scaled(kSwatchSide), TRUE);
      left += Scaled(kSwatchSide + kMargin);
    }
    MoveWindow(fields_[i].value, left, top + inset, std::max<int>(area.right - left, 0),
               height - inset, TRUE);
    if (field.name == "LongPuzzleName") {  // a scroll bar only for a comment that needs one
      const LRESULT lines = SendMessageW(fields_[i].value, EM_GETLINECOUNT, 0, 0);
      ShowScrollBar(fields_[i].value, SB_VERT,
                    lines * metrics.tmHeight > height - inset ? TRUE : FALSE);
    }
    top += height;
  }
  top += Scaled(kMargin);
  MoveWindow(heading_, area.left, top, area.right - area.left, row, TRUE);
  top += row;
  MoveWindow(problems_, area.left, top, area.right - area.left,
             std::max<int>(area.bottom - top, 3 * row), TRUE);
  const int extent = list_width + Scaled(8);
  SendMessageW(problems_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent), 0);
}

// Where each caption and picture lies on the pictures page, and how large the page is.
void PackageWindow::LayoutPictures() {
  HDC dc = GetDC(pictures_);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int margin = Scaled(kMargin);
  int top = margin;
  int width = 0;
  for (size_t i = 0; i < shown_pictures_.size(); ++i) {
    const form::ShownPicture& picture = form_.contents().pictures[i];
    picture_tops_[i] = top;
    width = std::max<int>(width, TextSize(dc, Wide(picture.caption)).cx);
    top += metrics.tmHeight + Scaled(4);
    if (picture.raster) {
      width = std::max(width, shown_pictures_[i].width * zoom_);
      top += shown_pictures_[i].height * zoom_;
    } else {
      width = std::max<int>(width, TextSize(dc, Wide(picture.missing)).cx);
      top += metrics.tmHeight;
    }
    top += 2 * margin;
  }
  SelectObject(dc, old);
  ReleaseDC(pictures_, dc);
  pictures_scroll_.SetContent(pictures_, width + 2 * margin, top);
}

void PackageWindow::ShowPage(int page) {
  page_ = page;
  for (size_t i = 0; i < pages_.size(); ++i) {
    for (HWND control : pages_[i]) {
      const bool shown = static_cast<int>(i) == page && (control != complete_ || complete_shown_);
      ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
    }
  }
}

POINT PackageWindow::TablePoint(int x, int y) const {
  const POINT origin = table_scroll_.Origin();
  return {FloorDiv(x + origin.x, zoom_) - kTableMargin,
          FloorDiv(y + origin.y, zoom_) - kTableMargin};
}

LRESULT CALLBACK PackageWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = WindowObject<PackageWindow>(window, message, lparam);
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  if (message == WM_NCDESTROY) {
    const LRESULT result = DefWindowProcW(window, message, wparam, lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    const bool last = !self->owned_ && --open_without_owner == 0;
    delete self;
    if (last) PostQuitMessage(0);
    return result;
  }
  return self->Handle(message, wparam, lparam);
}

LRESULT PackageWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == test_seed_message_ && test_seed_message_ != 0) {
    form_.ScatterForTests(static_cast<uint32_t>(wparam));
    return 0;
  }
  switch (message) {
    case WM_SIZE: Layout(); return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
      limits->ptMinTrackSize = {Scaled(kMinimumWidth), Scaled(kMinimumHeight)};
      return 0;
    }
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const NMHDR*>(lparam);
      if (notice->hwndFrom == tabs_ && notice->code == TCN_SELCHANGE) {
        ShowPage(TabCtrl_GetCurSel(tabs_));
      }
      return 0;
    }
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lparam) == scatter_ && HIWORD(wparam) == BN_CLICKED) {
        form_.ScatterClicked();
      }
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->hwndItem != swatch_) break;
      HBRUSH color = CreateSolidBrush(ColorRef(form_.contents().backColor));
      FillRect(item->hDC, &item->rcItem, color);
      DeleteObject(color);
      FrameRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_WINDOWTEXT));
      return TRUE;
    }
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      zoom_ = std::max(1, static_cast<int>(dpi_ / USER_DEFAULT_SCREEN_DPI));
      HFONT old = font_;
      font_ = CreateUiFont(dpi_);
      ApplyFonts();
      DeleteObject(old);
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      Layout();
      return 0;
    }
    default: break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT CALLBACK PackageWindow::PicturesProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  auto* self = WindowObject<PackageWindow>(window, message, lparam);
  if (self == nullptr || self->pictures_ != window) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->HandlePictures(message, wparam, lparam);
}

LRESULT PackageWindow::HandlePictures(UINT message, WPARAM wparam, LPARAM lparam) {
  if (pictures_scroll_.Handle(pictures_, message, wparam)) return 0;
  switch (message) {
    case WM_ERASEBKGND: return 1;  // the paint covers the whole client area
    case WM_PAINT:
      PaintOffScreen(pictures_, [this](HDC dc, const RECT& client) { PaintPictures(dc, client); });
      return 0;
    default: return DefWindowProcW(pictures_, message, wparam, lparam);
  }
}

void PackageWindow::PaintPictures(HDC dc, const RECT& client) {
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const POINT origin = pictures_scroll_.Origin();
  const int left = Scaled(kMargin) - origin.x;
  for (size_t i = 0; i < shown_pictures_.size(); ++i) {
    const form::ShownPicture& picture = form_.contents().pictures[i];
    int top = picture_tops_[i] - origin.y;
    const std::wstring caption = Wide(picture.caption);
    TextOutW(dc, left, top, caption.c_str(), static_cast<int>(caption.size()));
    top += metrics.tmHeight + Scaled(4);
    if (picture.raster) {
      DrawRaster(dc, left, top, shown_pictures_[i], zoom_);
    } else {
      const std::wstring missing = Wide(picture.missing);
      TextOutW(dc, left, top, missing.c_str(), static_cast<int>(missing.size()));
    }
  }
  SelectObject(dc, old);
}

LRESULT CALLBACK PackageWindow::TableProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = WindowObject<PackageWindow>(window, message, lparam);
  if (self == nullptr || self->table_ != window) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->HandleTable(message, wparam, lparam);
}

LRESULT PackageWindow::HandleTable(UINT message, WPARAM wparam, LPARAM lparam) {
  if (table_scroll_.Handle(table_, message, wparam)) return 0;
  const auto point = [this, lparam] {
    return TablePoint(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
  };
  switch (message) {
    case WM_ERASEBKGND: return 1;  // the paint covers the whole client area
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(table_, &ps);
      RECT client;
      GetClientRect(table_, &client);
      PaintTable(dc, client);
      EndPaint(table_, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      last_point_ = point();
      form_.Pressed(last_point_.x, last_point_.y);
      if (form_.held()) SetCapture(table_);
      return 0;
    case WM_MOUSEMOVE:
      if (form_.held()) {
        last_point_ = point();
        form_.Moved(last_point_.x, last_point_.y);
      }
      return 0;
    case WM_LBUTTONUP:
      if (form_.held()) {
        last_point_ = point();
        form_.Released(last_point_.x, last_point_.y);
      }
      if (GetCapture() == table_) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      // The drag ends where the mouse was last seen (another window took the mouse).
      if (form_.held()) form_.Released(last_point_.x, last_point_.y);
      return 0;
    default: return DefWindowProcW(table_, message, wparam, lparam);
  }
}

// The part of the table the client area shows, painted as pixels by the form and put on
// the screen in one blit.
void PackageWindow::PaintTable(HDC dc, const RECT& client) {
  const POINT origin = table_scroll_.Origin();
  form::TableColors colors;
  colors.table = Rgb(GetSysColor(COLOR_BTNFACE));
  colors.scatter = Rgb(GetSysColor(COLOR_3DLIGHT));
  const int left = FloorDiv(origin.x, zoom_);
  const int top = FloorDiv(origin.y, zoom_);
  const Raster pixels =
      form::PaintTable(form_, left - kTableMargin, top - kTableMargin, client.right / zoom_ + 2,
                       client.bottom / zoom_ + 2, colors);
  DrawRaster(dc, left * zoom_ - origin.x, top * zoom_ - origin.y, pixels, zoom_);
}

void PackageWindow::TableChanged() {
  if (table_ != nullptr) InvalidateRect(table_, nullptr, FALSE);
}

void PackageWindow::ShowCount(const std::string& counter, bool complete) {
  SetWindowTextW(counter_, Wide(counter).c_str());
  complete_shown_ = complete;
  ShowWindow(complete_, complete && page_ == kTrialPage ? SW_SHOW : SW_HIDE);
}

}  // namespace klv::win32
