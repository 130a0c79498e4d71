// The maker's main window with the Windows API: the form's controls as the platform's own
// (buttons, edits, list boxes, combo boxes, trackbars), scaled to the window's DPI; their
// notifications reported to the form, and the form's requests carried out on them.
#include "source_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

#include "dest_window.h"
#include "dpi.h"
#include "form/package_form.h"
#include "form/text_boxes.h"
#include "maker/picture_reader.h"
#include "package_window.h"
#include "picture_box.h"
#include "question_box.h"
#include "ui_font.h"
#include "wide.h"
#include "window_object.h"

namespace klv::win32 {
namespace {

using form::ControlId;
using form::ControlKind;
using form::ListSet;

constexpr wchar_t kClassName[] = L"KLVMakerSourceScr";
constexpr wchar_t kTitle[] = L"KLVMaker";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kDropDownHeight = 200;  // a drive list's open list, in design pixels

constexpr UiText kYes = KLV_TEXT("SourceScr", "はい");
constexpr UiText kNo = KLV_TEXT("SourceScr", "いいえ");

size_t RowOf(const form::Control& control) {
  return static_cast<size_t>(&control - form::SourceScrControls().data());
}

size_t Set(ListSet set) { return set == ListSet::kSource ? 0 : 1; }

bool IsDensityBox(ControlId id) { return id == ControlId::kText1 || id == ControlId::kText2; }

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The comment box holds CR LF; the form and the typing rule count "\n".
std::wstring WithoutCr(const std::wstring& text) {
  std::wstring lines;
  for (const wchar_t c : text) {
    if (c != L'\r') lines += c;
  }
  return lines;
}

std::wstring ListText(HWND list, LRESULT item) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(item), 0);
  if (length == LB_ERR) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

bool SourceWindow::Register(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = Proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kClassName;
  const bool registered =
      RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered && RegisterPictureBox(instance) && DestWindow::Register(instance) &&
         PackageWindow::Register(instance);
}

SourceWindow::SourceWindow(HINSTANCE instance, Env& env, std::string settings_path,
                           WindowLanguage language)
    : instance_(instance),
      language_(language),
      form_(env, std::move(settings_path), language, *this) {}

SourceWindow::~SourceWindow() { ReleaseFonts(); }

HFONT SourceWindow::FontOfSize(int pixels) {
  HFONT& font = fonts_[pixels];
  if (font == nullptr) font = CreateUiFont(dpi_, pixels);
  return font;
}

void SourceWindow::ReleaseFonts() {
  for (const auto& [pixels, font] : fonts_) DeleteObject(font);
  fonts_.clear();
  font_ = nullptr;
}

HFONT SourceWindow::FittingFont(const form::Control& control, HWND placed) {
  RECT client;
  GetClientRect(placed, &client);
  const std::wstring text = WindowText(placed);
  const int room =
      client.right - (control.kind == ControlKind::kOption
                          ? GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi_) + ScaleForDpi(4, dpi_)
                          : 0);
  HDC dc = GetDC(placed);
  int pixels = kDesignedFontPixels;
  for (; pixels > kSmallestFontPixels; --pixels) {
    HGDIOBJ old = SelectObject(dc, FontOfSize(pixels));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    if (extent.cx <= room) break;
  }
  ReleaseDC(placed, dc);
  return FontOfSize(pixels);
}

std::wstring SourceWindow::Say(UiText text) const { return Wide(form_.Say(text)); }

RECT SourceWindow::Scaled(const form::Rect& place) const { return ScaleForDpi(place, dpi_); }

HWND SourceWindow::Control(ControlId id, int index) const {
  return controls_[RowOf(form::FindControl(id, index))];
}

bool SourceWindow::Open(int show_command) {
  test_seed_message_ = RegisterWindowMessageW(kTestSeedMessageName);
  const form::Control& design = form::FindControl(ControlId::kSourceScr);
  window_ = CreateWindowExW(0, kClassName, Say(design.text).c_str(), kWindowStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, design.place.width, design.place.height, nullptr,
                            nullptr, instance_, this);
  if (window_ == nullptr) return false;
  dpi_ = GetDpiForWindow(window_);
  if (dpi_ == 0) dpi_ = USER_DEFAULT_SCREEN_DPI;
  RECT frame = Scaled(design.place);
  AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, dpi_);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  font_ = FontOfSize(kDesignedFontPixels);
  CreateControls();
  PlaceControls();
  // The lists start in the program's current folder.
  const std::wstring current = WorkingFolder();
  for (const ListSet set : {ListSet::kSource, ListSet::kDestination}) {
    if (!OpenFolder(set, Utf8(current))) ShowLists(set);
  }
  DragAcceptFiles(window_, TRUE);
  form_.Load();
  ShowWindow(window_, show_command);
  UpdateWindow(window_);
  return true;
}

void SourceWindow::CreateControls() {
  const std::span<const form::Control> table = form::SourceScrControls();
  controls_.assign(table.size(), nullptr);
  accepted_.assign(table.size(), std::wstring());
  for (const form::Control& control : table) {
    const size_t row = RowOf(control);
    const int id = kFirstControlId + static_cast<int>(row);
    const RECT place = Scaled(control.place);
    if (control.kind == ControlKind::kWindow) {
      controls_[row] = window_;
      continue;
    }
    if (control.kind == ControlKind::kPicture) {
      controls_[row] = CreatePictureBox(window_, id, place, GetSysColor(COLOR_BTNFACE), true);
      continue;
    }
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extended = 0;
    const wchar_t* window_class = WC_BUTTONW;
    switch (control.kind) {
      case ControlKind::kFrame: style |= BS_GROUPBOX | WS_GROUP; break;
      case ControlKind::kDriveList:
        window_class = WC_COMBOBOXW;
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
        break;
      case ControlKind::kFolderList:
        window_class = WC_LISTBOXW;
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT | WS_VSCROLL |
                 WS_TABSTOP | WS_GROUP;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kFileList:
        window_class = WC_LISTBOXW;
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kStatusLine:
        window_class = WC_EDITW;
        style |= ES_READONLY | ES_AUTOHSCROLL | WS_GROUP;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kOption:
        style |= BS_AUTORADIOBUTTON | (control.index == 0 ? WS_GROUP | WS_TABSTOP : 0);
        break;
      case ControlKind::kLabel:
        window_class = WC_STATICW;
        style |= SS_LEFT | SS_NOPREFIX | WS_GROUP;
        break;
      case ControlKind::kTextBox:
        window_class = WC_EDITW;
        style |= ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP |
                 (IsDensityBox(control.id) ? static_cast<DWORD>(ES_NUMBER) : 0u);
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kMultiLineBox:
        window_class = WC_EDITW;
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP | WS_GROUP;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kSlider:
        window_class = TRACKBAR_CLASSW;
        style |= TBS_HORZ | TBS_NOTICKS | WS_TABSTOP | WS_GROUP;
        break;
      case ControlKind::kButton: style |= BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP; break;
      case ControlKind::kWindow:
      case ControlKind::kPicture: break;
    }
    HWND created =
        CreateWindowExW(extended, window_class, Say(control.text).c_str(), style, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    controls_[row] = created;
    if (created == nullptr) continue;
    if (control.kind == ControlKind::kSlider) {
      SendMessageW(created, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
      SendMessageW(created, TBM_SETPAGESIZE, 0, 10);
    }
    if (IsDensityBox(control.id)) SendMessageW(created, EM_LIMITTEXT, control.byteLimit, 0);
  }
}

void SourceWindow::PlaceControls() {
  for (const form::Control& control : form::SourceScrControls()) {
    HWND placed = controls_[RowOf(control)];
    if (placed == nullptr || placed == window_) continue;
    const RECT place = Scaled(control.place);
    if (control.kind == ControlKind::kPicture) {
      SetWindowPos(placed, nullptr, place.left, place.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      continue;
    }
    SendMessageW(placed, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    const bool drop_down = control.kind == ControlKind::kDriveList;
    const int height =
        drop_down ? Scaled({0, 0, 0, kDropDownHeight}).bottom : place.bottom - place.top;
    SetWindowPos(placed, nullptr, place.left, place.top, place.right - place.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // A text wider than its place gets a smaller font. (A drive list's closed height is
    // its font's, as a drop-down list's is.)
    if (control.kind == ControlKind::kLabel || control.kind == ControlKind::kOption) {
      SendMessageW(placed, WM_SETFONT, reinterpret_cast<WPARAM>(FittingFont(control, placed)),
                   TRUE);
    }
  }
}

LRESULT CALLBACK SourceWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = WindowObject<SourceWindow>(window, message, lparam);
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

LRESULT SourceWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == test_seed_message_ && test_seed_message_ != 0) {
    form_.UseSeedForTests(static_cast<uint32_t>(wparam));
    return 0;
  }
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_HSCROLL: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      const size_t row = static_cast<size_t>(id - kFirstControlId);
      if (id >= kFirstControlId && row < controls_.size()) {
        const int value = static_cast<int>(SendMessageW(controls_[row], TBM_GETPOS, 0, 0));
        form_.SliderMoved(form::SourceScrControls()[row].id, value);
      }
      return 0;
    }
    case WM_VKEYTOITEM:
      // Return in a folder list opens the line, as a double-click does.
      if (LOWORD(wparam) == VK_RETURN) {
        const bool source = reinterpret_cast<HWND>(lparam) == Control(ControlId::kDir1);
        OpenFolderLine(source ? ListSet::kSource : ListSet::kDestination);
        return -2;
      }
      return -1;
    case WM_DROPFILES: OnDrop(reinterpret_cast<HDROP>(wparam)); return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      std::map<int, HFONT> old;
      old.swap(fonts_);
      font_ = FontOfSize(kDesignedFontPixels);
      PlaceControls();
      for (const auto& [pixels, font] : old) DeleteObject(font);
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      // The close box ends the program without saving; during a make it does nothing.
      if (ending_ || form_.CloseRequested()) {
        ending_ = true;
        dest_.reset();
        DestroyWindow(window_);
      }
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void SourceWindow::OnCommand(int id, int code) {
  const size_t row = static_cast<size_t>(id - kFirstControlId);
  if (id < kFirstControlId || row >= controls_.size()) return;
  const form::Control& control = form::SourceScrControls()[row];
  HWND source = controls_[row];
  switch (control.kind) {
    case ControlKind::kButton:
      if (code != BN_CLICKED) break;
      if (control.id == ControlId::kMakeIt) form_.MakeClicked();
      if (control.id == ControlId::kCommand2) form_.ExitClicked();
      break;
    case ControlKind::kOption:
      if (code == BN_CLICKED) form_.OptionClicked(control.index);
      break;
    case ControlKind::kTextBox:
    case ControlKind::kMultiLineBox:
      if (code != EN_CHANGE || setting_) break;
      if (!IsDensityBox(control.id)) KeepByteLimit(row);
      form_.TextEdited(control.id, Utf8(WithoutCr(WindowText(source))));
      break;
    case ControlKind::kFileList:
    case ControlKind::kFolderList:
    case ControlKind::kDriveList: OnListCommand(control, code); break;
    default: break;
  }
}

void SourceWindow::OnListCommand(const form::Control& control, int code) {
  HWND source = controls_[RowOf(control)];
  const bool of_source = control.id == ControlId::kFile1 || control.id == ControlId::kDir1 ||
                         control.id == ControlId::kDrive1;
  const ListSet set = of_source ? ListSet::kSource : ListSet::kDestination;
  if (control.kind == ControlKind::kFileList && code == LBN_SELCHANGE) {
    const LRESULT chosen = SendMessageW(source, LB_GETCURSEL, 0, 0);
    if (chosen != LB_ERR) form_.FileClicked(Utf8(ListText(source, chosen)));
  } else if (control.kind == ControlKind::kFolderList && code == LBN_DBLCLK) {
    OpenFolderLine(set);
  } else if (control.kind == ControlKind::kDriveList && code == CBN_SELCHANGE) {
    const LRESULT chosen = SendMessageW(source, CB_GETCURSEL, 0, 0);
    const LRESULT length = SendMessageW(source, CB_GETLBTEXTLEN, static_cast<WPARAM>(chosen), 0);
    std::wstring name(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    SendMessageW(source, CB_GETLBTEXT, static_cast<WPARAM>(chosen),
                 reinterpret_cast<LPARAM>(name.data()));
    name.resize(wcslen(name.c_str()));
    form_.DriveChosen(set, Utf8(name));
    ShowLists(set);  // a drive that could not be opened gives way to the folder's own
  }
}

// The typing rule of a byte-limited box, applied to every change the person makes (keys,
// pasting, input methods): what does not fit is taken out again.
void SourceWindow::KeepByteLimit(size_t row) {
  const form::Control& control = form::SourceScrControls()[row];
  HWND box = controls_[row];
  const bool multi_line = control.kind == ControlKind::kMultiLineBox;
  const std::wstring before = WithoutCr(accepted_[row]);
  const std::wstring after = WithoutCr(WindowText(box));
  size_t cursor = 0;
  const std::u16string allowed = form::LimitEdit(std::u16string(before.begin(), before.end()),
                                                 std::u16string(after.begin(), after.end()),
                                                 control.byteLimit, multi_line ? 2 : 1, &cursor);
  const std::wstring kept(allowed.begin(), allowed.end());
  if (kept == after) {
    accepted_[row] = WindowText(box);
    return;
  }
  const std::wstring shown = multi_line ? WithCrLf(kept) : kept;
  // The cursor counts a CR before each line break above it.
  const auto breaks =
      std::count(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(cursor), L'\n');
  const auto at = static_cast<WPARAM>(cursor + (multi_line ? static_cast<size_t>(breaks) : 0));
  setting_ = true;
  SetWindowTextW(box, shown.c_str());
  SendMessageW(box, EM_SETSEL, at, static_cast<LPARAM>(at));
  setting_ = false;
  accepted_[row] = shown;
}

// Packages open their windows; one picture is chosen as if clicked.
void SourceWindow::OnDrop(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(Utf8(path));
  }
  DragFinish(drop);
  const std::vector<std::string> packages = form::PackagesOfDrop(paths);
  for (const std::string& package : packages) OpenPackage(package);
  if (!packages.empty() || paths.size() != 1) return;
  const DWORD attributes = GetFileAttributesW(Wide(paths.front()).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  if (!IsReadablePictureName(paths.front())) return;
  form_.ChoosePicture(paths.front());
}

void SourceWindow::ShowLists(ListSet set) {
  Lists& lists = lists_[Set(set)];
  const bool source = set == ListSet::kSource;
  HWND drives = Control(source ? ControlId::kDrive1 : ControlId::kDrive3);
  HWND folders = Control(source ? ControlId::kDir1 : ControlId::kDir3);
  SendMessageW(drives, CB_RESETCONTENT, 0, 0);
  std::vector<std::wstring> names = DriveNames();
  if (!lists.drive.empty() && std::find(names.begin(), names.end(), lists.drive) == names.end()) {
    names.push_back(lists.drive);  // a drive that has gone stays while it is chosen
  }
  for (const std::wstring& name : names) {
    const LRESULT item =
        SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (name == lists.drive) SendMessageW(drives, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  }
  size_t current = 0;
  lists.lines =
      lists.folder.empty() ? std::vector<FolderLine>() : FolderLines(lists.folder, &current);
  SendMessageW(folders, LB_RESETCONTENT, 0, 0);
  for (const FolderLine& line : lists.lines) {
    const std::wstring shown = std::wstring(static_cast<size_t>(line.level) * 2, L' ') + line.name;
    SendMessageW(folders, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  }
  if (!lists.lines.empty()) SendMessageW(folders, LB_SETCURSEL, current, 0);
  if (!source) return;
  HWND files = Control(ControlId::kFile1);
  SendMessageW(files, LB_RESETCONTENT, 0, 0);
  if (lists.folder.empty()) return;
  for (const std::wstring& name : ListedFiles(lists.folder)) {
    SendMessageW(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
}

void SourceWindow::OpenFolderLine(ListSet set) {
  const bool source = set == ListSet::kSource;
  HWND folders = Control(source ? ControlId::kDir1 : ControlId::kDir3);
  const LRESULT chosen = SendMessageW(folders, LB_GETCURSEL, 0, 0);
  const std::vector<FolderLine>& lines = lists_[Set(set)].lines;
  if (chosen == LB_ERR || static_cast<size_t>(chosen) >= lines.size()) return;
  const std::string path = Utf8(lines[static_cast<size_t>(chosen)].path);
  if (!OpenFolder(set, path)) {
    ShowLists(set);
    form_.FolderOpenFailed(path);
  }
}

void SourceWindow::SetText(ControlId box, const std::string& text) {
  HWND control = Control(box);
  const std::wstring shown = box == ControlId::kComment ? WithCrLf(Wide(text)) : Wide(text);
  setting_ = true;
  SetWindowTextW(control, shown.c_str());
  if (IsDensityBox(box)) {
    SendMessageW(control, EM_SETSEL, shown.size(), static_cast<LPARAM>(shown.size()));
  }
  setting_ = false;
  accepted_[RowOf(form::FindControl(box))] = shown;
}

void SourceWindow::SetSliderValue(ControlId slider, int value) {
  SendMessageW(Control(slider), TBM_SETPOS, TRUE, value);
}

void SourceWindow::CheckOption(int index) {
  const int first = GetDlgCtrlID(Control(ControlId::kOption1, 0));
  CheckRadioButton(window_, first, first + form::kColourOptions - 1, first + index);
}

void SourceWindow::SetEnabled(ControlId control, bool enabled) {
  EnableWindow(Control(control), enabled ? TRUE : FALSE);
}

void SourceWindow::ShowPreview(const Raster& preview) {
  ShowPicture(Control(ControlId::kSrcPic), preview);
}

bool SourceWindow::OpenDrive(ListSet set, const std::string& drive) {
  // Only the leading letter matters: "c:", "C:" and "C: [system]" name the same drive.
  const std::wstring wanted = DriveOfPath(Wide(drive));
  const std::vector<std::wstring> names = DriveNames();
  if (wanted.empty() || std::find(names.begin(), names.end(), wanted) == names.end()) {
    return false;
  }
  const std::optional<std::wstring> folder = OpenableFolder(CurrentFolderOfDrive(wanted));
  if (!folder) return false;
  lists_[Set(set)].drive = wanted;
  lists_[Set(set)].folder = *folder;
  ShowLists(set);
  return true;
}

bool SourceWindow::OpenFolder(ListSet set, const std::string& folder) {
  const std::optional<std::wstring> opened = OpenableFolder(Wide(folder));
  if (!opened) return false;
  lists_[Set(set)].folder = *opened;
  lists_[Set(set)].drive = DriveOfPath(*opened);
  ShowLists(set);
  return true;
}

std::string SourceWindow::Drive(ListSet set) const { return Utf8(lists_[Set(set)].drive); }

std::string SourceWindow::Folder(ListSet set) const { return Utf8(lists_[Set(set)].folder); }

void SourceWindow::SelectFile(const std::string& name) {
  HWND files = Control(ControlId::kFile1);
  const std::wstring wide = Wide(name);
  const LRESULT found = SendMessageW(files, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(wide.c_str()));
  if (found != LB_ERR) SendMessageW(files, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void SourceWindow::ShowMessage(form::MessageKind kind, const std::string& text) {
  UINT flags = MB_OK;
  HWND owner = window_;
  switch (kind) {
    case form::MessageKind::kCompletion: break;
    case form::MessageKind::kInformation:
      flags |= MB_ICONINFORMATION;
      owner = nullptr;  // as the library's own boxes, without owner
      break;
    case form::MessageKind::kFailure: flags |= MB_ICONWARNING; break;
  }
  MessageBoxW(owner, Wide(text).c_str(), kTitle, flags);
}

form::Answer SourceWindow::Ask(const std::string& question, form::Answer default_answer) {
  Question asked;
  asked.title = kTitle;
  asked.text = Wide(question);
  asked.yes = Say(kYes);
  asked.no = Say(kNo);
  asked.defaultYes = default_answer == form::Answer::kYes;
  return AskQuestion(window_, font_, asked) ? form::Answer::kYes : form::Answer::kNo;
}

void SourceWindow::OpenPackage(const std::string& path) {
  PackageWindow::Open(instance_, path, language_, window_);
}

void SourceWindow::ShowCanvas(const WorkCanvas& canvas) {
  if (!dest_) dest_ = std::make_unique<DestWindow>(instance_, Say(form::kDestScrCaption), dpi_);
  dest_->Show(canvas);
}

void SourceWindow::EndProgram() {
  ending_ = true;
  dest_.reset();
  DestroyWindow(window_);
}

}  // namespace klv::win32
