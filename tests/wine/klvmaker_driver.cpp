// klvmaker_driver.exe: works klvmaker.exe as a person would, for the window tests under
// Wine (which run without a display, so nothing else can click) and the screenshots (under
// a virtual display): it starts the program,
// sends it clicks, keys and typed characters as window messages, reads back where each
// control stands and what it shows, answers its message boxes, and prints what it saw,
// one line per item, in UTF-8.
// Usage: klvmaker_driver.exe FOLDER [--program=EXE] [--arg=ARGUMENT]... STEP...
//   FOLDER      the folder klvmaker.exe starts in; the settings file is removed first
//   layout      "dpi N", then "control ID X Y W H TEXT" for each control (client pixels)
//   click:X,Y   a left click at the client point (X, Y) of the design (scaled by the DPI)
//   item:X,Y:N  a left click on line N (from 0) of the list box at (X, Y)
//   clear:X,Y   selects all of the text box at (X, Y) and deletes it
//   type:X,Y:T  the characters of T typed into the control at (X, Y)
//   text:X,Y    "text T": what the control at (X, Y) shows
//   slider:X,Y  "slider N": the position of the slider at (X, Y)
//   seed:N      the test seed of the make (klvmake's --seed N)
//   dialog      waits for a message box or question: "dialog TEXT" for each text in it
//   key:return, key:escape   the key pressed in the open message box or question
//   close       the window's close box
//   end         waits for the program to end: "exit N"
//   settings    "setting LINE" for each line of the settings file (as stored)
//   capture:F   the window's client area as shown on the display, saved as the PNG file F
//   package     waits for a package window; the steps after it work that window: "title T"
//   tab:N       chooses tab N (from 0) of the package window, as the keyboard would
//   drag:X,Y:U,V  a left-button drag on the trial table from its client point (X, Y) to (U, V)
//   shown       "shown T" for each visible control of the window with a text, and "item T"
//               for each line of a visible list box
//   press:T     a click on the visible button whose text is T
//   note:T      "note T", to tell the steps' output apart
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <wincodec.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMilliseconds = 60000;
constexpr wchar_t kWindowClass[] = L"KLVMakerSourceScr";
constexpr wchar_t kPackageClass[] = L"KLVMakerPackage";
constexpr wchar_t kTableClass[] = L"KLVMakerTrialTable";
constexpr wchar_t kDialogClass[] = L"#32770";

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      nullptr, nullptr);
  return text;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), length);
  return text;
}

void Say(const std::string& line) {
  const std::string out = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
            nullptr);
}

// Texts on one line: line breaks shown as "\n".
std::string OneLine(const std::wstring& text) {
  std::string line;
  for (const char c : Utf8(text)) {
    if (c == '\r') continue;
    line += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return line;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kWaitMilliseconds, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_NORMAL, kWaitMilliseconds, &got);
  text.resize(got);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct Program {
  PROCESS_INFORMATION process{};
  HWND window = nullptr;
  UINT dpi = USER_DEFAULT_SCREEN_DPI;
};

// The first visible top-level window of class `window_class` that belongs to the program.
HWND FindProgramWindow(DWORD process_id, const wchar_t* window_class) {
  struct Search {
    DWORD process_id;
    const wchar_t* window_class;
    HWND found;
  } search{process_id, window_class, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* wanted = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != wanted->process_id || !IsWindowVisible(window)) return TRUE;
        if (ClassOf(window) != wanted->window_class) return TRUE;
        wanted->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitFor(const Program& program, const wchar_t* window_class) {
  for (DWORD waited = 0; waited < kWaitMilliseconds; waited += 50) {
    if (HWND found = FindProgramWindow(program.process.dwProcessId, window_class)) return found;
    if (WaitForSingleObject(program.process.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

// Waits until the program's window thread has handled everything sent before.
void Settle(const Program& program) {
  DWORD_PTR ignored = 0;
  if (program.window != nullptr && IsWindow(program.window)) {
    SendMessageTimeoutW(program.window, WM_NULL, 0, 0, SMTO_NORMAL, kWaitMilliseconds, &ignored);
  }
}

bool MainWindow(Program& program) {
  if (program.window == nullptr) {
    program.window = WaitFor(program, kWindowClass);
    if (program.window != nullptr) program.dpi = GetDpiForWindow(program.window);
  }
  if (program.window == nullptr) Say("error: no window");
  return program.window != nullptr;
}

// The control a click at the design point (x, y) reaches, as the system's hit test would:
// the topmost visible child there that does not let clicks through (as a group box does).
HWND ControlAt(const Program& program, int x, int y, POINT* inside) {
  POINT point{MulDiv(x, static_cast<int>(program.dpi), USER_DEFAULT_SCREEN_DPI),
              MulDiv(y, static_cast<int>(program.dpi), USER_DEFAULT_SCREEN_DPI)};
  POINT on_screen = point;
  ClientToScreen(program.window, &on_screen);
  for (HWND child = GetWindow(program.window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT place;
    if (!IsWindowVisible(child) || !GetWindowRect(child, &place) || !PtInRect(&place, on_screen)) {
      continue;
    }
    DWORD_PTR hit = HTCLIENT;
    SendMessageTimeoutW(child, WM_NCHITTEST, 0, MAKELPARAM(on_screen.x, on_screen.y), SMTO_NORMAL,
                        kWaitMilliseconds, &hit);
    if (static_cast<LONG_PTR>(hit) == HTTRANSPARENT) continue;
    *inside = on_screen;
    ScreenToClient(child, inside);
    return child;
  }
  Say("error: no control at " + std::to_string(x) + "," + std::to_string(y));
  return nullptr;
}

void Layout(const Program& program) {
  Say("dpi " + std::to_string(program.dpi));
  RECT client;
  GetClientRect(program.window, &client);
  Say("client " + std::to_string(client.right) + " " + std::to_string(client.bottom));
  for (HWND child = GetWindow(program.window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT place;
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, program.window, reinterpret_cast<POINT*>(&place), 2);
    Say("control " + std::to_string(GetDlgCtrlID(child)) + " " + std::to_string(place.left) + " " +
        std::to_string(place.top) + " " + std::to_string(place.right - place.left) + " " +
        std::to_string(place.bottom - place.top) + " " + OneLine(TextOf(child)));
  }
}

void Dialog(const Program& program) {
  const HWND dialog = WaitFor(program, kDialogClass);
  if (dialog == nullptr) {
    Say("error: no dialog");
    return;
  }
  Settle(program);
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM) -> BOOL {
        const std::wstring text = TextOf(child);
        if (!text.empty() && IsWindowVisible(child)) Say("dialog " + OneLine(text));
        return TRUE;
      },
      0);
}

void Key(Program& program, const std::string& name) {
  const HWND dialog = WaitFor(program, kDialogClass);
  if (dialog == nullptr) {
    Say("error: no dialog");
    return;
  }
  const WPARAM key = name == "escape" ? VK_ESCAPE : VK_RETURN;
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  HWND target = dialog;
  // The key goes where the box's focus is, or to the box itself when its thread's focus
  // lies elsewhere.
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) &&
      IsChild(dialog, thread.hwndFocus)) {
    target = thread.hwndFocus;
  }
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  // The box closes; wait until it has gone or the program has moved on to another one.
  for (DWORD waited = 0; waited < kWaitMilliseconds && IsWindowVisible(dialog); waited += 50) {
    Sleep(50);
  }
  Settle(program);
}

std::wstring SettingsPath() {
  wchar_t app_data[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data);
  return std::wstring(app_data) + L"\\KLVMaker\\Morvel.ini";
}

void Settings() {
  HANDLE file = CreateFileW(SettingsPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Say("settings absent");
    return;
  }
  std::string bytes(65536, '\0');
  DWORD got = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  bytes.resize(got);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    Say("setting " + line);
    start = end + 1;
  }
}

// Saves the 32-bit top-down pixels `bgra` of `width` x `height` as the PNG file `path`
// (the Windows Imaging Component's encoder).
bool SavePng(const std::wstring& path, const std::vector<uint8_t>& bgra, UINT width, UINT height) {
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
  bool saved = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_PPV_ARGS(&factory))) &&
               SUCCEEDED(factory->CreateStream(&stream)) &&
               SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
               SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
               SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
               SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
               SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(width, height)) &&
               SUCCEEDED(frame->SetPixelFormat(&format)) &&
               SUCCEEDED(frame->WritePixels(height, width * 4, static_cast<UINT>(bgra.size()),
                                            const_cast<BYTE*>(bgra.data()))) &&
               SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  for (IUnknown* used : std::initializer_list<IUnknown*>{frame, encoder, stream, factory}) {
    if (used != nullptr) used->Release();
  }
  return saved;
}

// The window's client area as the display shows it, into the PNG file `path`.
void Capture(const Program& program, const std::wstring& path) {
  Settle(program);
  Sleep(1000);  // the display draws what the window painted
  RECT client;
  GetClientRect(program.window, &client);
  POINT origin{0, 0};
  ClientToScreen(program.window, &origin);
  const int width = client.right;
  const int height = client.bottom;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory, old);
  const auto* pixels = static_cast<const uint8_t*>(bits);
  const std::vector<uint8_t> bgra(
      pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  Say(SavePng(path, bgra, static_cast<UINT>(width), static_cast<UINT>(height))
          ? "captured"
          : "error: not captured");
}

// Every descendant of `window`.
std::vector<HWND> Descendants(HWND window) {
  std::vector<HWND> found;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// The first visible descendant of `window` of the class `window_class` (with the text
// `text`, when given), or null.
HWND Descendant(HWND window, const std::wstring& window_class, const std::wstring* text = nullptr) {
  for (HWND child : Descendants(window)) {
    if (IsWindowVisible(child) && ClassOf(child) == window_class &&
        (text == nullptr || TextOf(child) == *text)) {
      return child;
    }
  }
  std::string wanted = Utf8(window_class);
  if (text != nullptr) wanted.append(" ").append(Utf8(*text));
  Say("error: no " + wanted);
  return nullptr;
}

void Shown(const Program& program) {
  Settle(program);
  for (HWND child : Descendants(program.window)) {
    if (!IsWindowVisible(child)) continue;
    const std::wstring text = TextOf(child);
    if (!text.empty()) Say("shown " + OneLine(text));
    if (ClassOf(child) != L"ListBox") continue;
    DWORD_PTR count = 0;
    SendMessageTimeoutW(child, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kWaitMilliseconds, &count);
    for (WPARAM i = 0; i < count; ++i) {
      DWORD_PTR length = 0;
      SendMessageTimeoutW(child, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, kWaitMilliseconds, &length);
      std::wstring line(length + 1, L'\0');
      SendMessageTimeoutW(child, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()), SMTO_NORMAL,
                          kWaitMilliseconds, &length);
      line.resize(length);
      Say("item " + OneLine(line));
    }
  }
}

// "X,Y" and what follows a further ":".
bool Point(const std::string& text, int* x, int* y, std::string* rest) {
  const size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  const size_t colon = text.find(':', comma);
  *x = std::atoi(text.substr(0, comma).c_str());
  *y = std::atoi(text.substr(comma + 1, colon - comma - 1).c_str());
  if (rest != nullptr) *rest = colon == std::string::npos ? std::string() : text.substr(colon + 1);
  return true;
}

void ControlStep(Program& program, const std::string& step, const std::string& what,
                 const std::string& where) {
  int x = 0;
  int y = 0;
  std::string rest;
  POINT inside{};
  if (!MainWindow(program) || !Point(where, &x, &y, &rest)) return;
  HWND control = ControlAt(program, x, y, &inside);
  if (control == nullptr) return;
  if (what == "item") {
    DWORD_PTR height = 0;
    DWORD_PTR top = 0;
    SendMessageTimeoutW(control, LB_GETITEMHEIGHT, 0, 0, SMTO_NORMAL, kWaitMilliseconds, &height);
    SendMessageTimeoutW(control, LB_GETTOPINDEX, 0, 0, SMTO_NORMAL, kWaitMilliseconds, &top);
    const int line = std::atoi(rest.c_str()) - static_cast<int>(top);
    inside = {4, line * static_cast<int>(height) + static_cast<int>(height) / 2};
  }
  // Mouse and character messages are sent without waiting, so that the program handles
  // them before the message by which Settle waits for it (a posted one would come after).
  if (what == "click" || what == "item") {
    SendNotifyMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
    SendNotifyMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
  } else if (what == "clear") {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, EM_SETSEL, 0, -1, SMTO_NORMAL, kWaitMilliseconds, &ignored);
    SendMessageTimeoutW(control, WM_CLEAR, 0, 0, SMTO_NORMAL, kWaitMilliseconds, &ignored);
  } else if (what == "type") {
    for (const wchar_t c : Wide(rest)) {
      SendNotifyMessageW(control, WM_CHAR, c, 1);
      Settle(program);
    }
  } else if (what == "text") {
    Settle(program);
    Say("text " + OneLine(TextOf(control)));
  } else if (what == "slider") {
    Settle(program);
    DWORD_PTR position = 0;
    SendMessageTimeoutW(control, TBM_GETPOS, 0, 0, SMTO_NORMAL, kWaitMilliseconds, &position);
    Say("slider " + std::to_string(position));
  } else {
    Say("error: unknown step " + step);
  }
  Settle(program);
}

int Run(const std::vector<std::wstring>& arguments) {
  if (arguments.size() < 2) {
    Say("usage: klvmaker_driver.exe FOLDER [--program=EXE] [--arg=ARGUMENT]... STEP...");
    return 2;
  }
  const std::wstring folder = arguments[1];
  wchar_t own[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, own, MAX_PATH);
  std::wstring program_path(own);
  program_path = program_path.substr(0, program_path.find_last_of(L'\\') + 1) + L"klvmaker.exe";
  std::wstring command_arguments;
  size_t next = 2;
  for (; next < arguments.size(); ++next) {
    const std::wstring& argument = arguments[next];
    if (argument.rfind(L"--program=", 0) == 0) {
      program_path = argument.substr(10);
    } else if (argument.rfind(L"--arg=", 0) == 0) {
      command_arguments += L" \"" + argument.substr(6) + L"\"";
    } else {
      break;
    }
  }
  DeleteFileW(SettingsPath().c_str());

  Program program;
  std::wstring command_line = L"\"" + program_path + L"\"" + command_arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(program_path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, folder.c_str(), &startup, &program.process)) {
    Say("error: cannot start " + Utf8(program_path) + " (" + std::to_string(GetLastError()) + ")");
    return 1;
  }
  const UINT seed_message = RegisterWindowMessageW(L"KLVMaker.TestSeed");
  for (; next < arguments.size(); ++next) {
    const std::string step = Utf8(arguments[next]);
    const size_t colon = step.find(':');
    const std::string what = step.substr(0, colon);
    const std::string where = colon == std::string::npos ? std::string() : step.substr(colon + 1);
    if (what == "layout") {
      if (MainWindow(program)) Layout(program);
    } else if (what == "seed") {
      DWORD_PTR ignored = 0;
      if (MainWindow(program)) {
        SendMessageTimeoutW(program.window, seed_message, std::stoul(where), 0, SMTO_NORMAL,
                            kWaitMilliseconds, &ignored);
      }
    } else if (what == "dialog") {
      Dialog(program);
    } else if (what == "key") {
      Key(program, where);
    } else if (what == "close") {
      if (MainWindow(program)) PostMessageW(program.window, WM_CLOSE, 0, 0);
    } else if (what == "end") {
      DWORD code = STILL_ACTIVE;
      if (WaitForSingleObject(program.process.hProcess, kWaitMilliseconds) == WAIT_OBJECT_0) {
        GetExitCodeProcess(program.process.hProcess, &code);
        Say("exit " + std::to_string(code));
      } else {
        Say("error: the program did not end");
      }
    } else if (what == "settings") {
      Settings();
    } else if (what == "capture") {
      if (MainWindow(program)) Capture(program, Wide(where));
    } else if (what == "package") {
      program.window = WaitFor(program, kPackageClass);
      if (program.window == nullptr) {
        Say("error: no package window");
      } else {
        program.dpi = GetDpiForWindow(program.window);
        Say("title " + OneLine(TextOf(program.window)));
      }
    } else if (what == "tab") {
      if (HWND tabs = MainWindow(program) ? Descendant(program.window, WC_TABCONTROLW) : nullptr) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(tabs, TCM_SETCURFOCUS, std::stoul(where), 0, SMTO_NORMAL,
                            kWaitMilliseconds, &ignored);
        Settle(program);
      }
    } else if (what == "drag") {
      int x = 0;
      int y = 0;
      int u = 0;
      int v = 0;
      std::string to;
      HWND table = MainWindow(program) ? Descendant(program.window, kTableClass) : nullptr;
      if (table != nullptr && Point(where, &x, &y, &to) && Point(to, &u, &v, nullptr)) {
        SendNotifyMessageW(table, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendNotifyMessageW(table, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((x + u) / 2, (y + v) / 2));
        SendNotifyMessageW(table, WM_LBUTTONUP, 0, MAKELPARAM(u, v));
        Settle(program);
      }
    } else if (what == "shown") {
      if (MainWindow(program)) Shown(program);
    } else if (what == "press") {
      const std::wstring text = Wide(where);
      if (HWND button =
              MainWindow(program) ? Descendant(program.window, L"Button", &text) : nullptr) {
        SendNotifyMessageW(button, BM_CLICK, 0, 0);
        Settle(program);
      }
    } else if (what == "note") {
      Say("note " + where);
    } else {
      ControlStep(program, step, what, where);
    }
  }
  if (WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(program.process.hProcess, 3);
  }
  CloseHandle(program.process.hThread);
  CloseHandle(program.process.hProcess);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for the PNG encoder
  const int status = Run(std::vector<std::wstring>(argv, argv + argc));
  CoUninitialize();
  return status;
}
