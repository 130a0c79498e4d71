// klvmaker.exe: the maker's window on Windows. Opens SourceScr in Japanese or, for a user
// whose preferred languages put English first, in English, with the settings in
// %APPDATA%\KLVMaker\Morvel.ini, and runs it until it ends the program. `klvmaker.exe
// PICTURE` opens it with the picture chosen; `klvmaker.exe PACKAGE...` opens a package
// window for each package instead (a file that cannot be shown is a message) and ends when
// the last one closes; --help and --version print and end.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "base/platform.h"
#include "base/version.h"
#include "form/launch.h"
#include "maker/settings.h"
#include "package_window.h"
#include "source_window.h"
#include "wide.h"

namespace {

constexpr wchar_t kTitle[] = L"KLVMaker";

// Writes `text` where the person who started the program reads it: the standard output
// it was given, the console of the program that started it, or else a message box.
void Print(const std::string& text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
    out = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                      nullptr);
  }
  if (out == nullptr || out == INVALID_HANDLE_VALUE) {
    MessageBoxW(nullptr, klv::win32::Wide(text).c_str(), kTitle, MB_OK);
    return;
  }
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(out, &mode)) {
    const std::wstring wide = klv::win32::Wide(text);
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

int Refuse(const std::string& message) {
  MessageBoxW(nullptr, klv::win32::Wide(message).c_str(), kTitle, MB_OK | MB_ICONWARNING);
  return 1;
}

// Runs the windows until the program ends.
int RunMessages() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    HWND main = GetAncestor(message.hwnd, GA_ROOT);
    if (main != nullptr && IsDialogMessageW(main, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

int Run(HINSTANCE instance, int show_command) {
  const klv::WindowLanguage language = klv::UsersLanguage();
  // The arguments come from the wide command line: paths in the system's code page, as
  // the narrow functions of the make take them; a path that code page cannot hold is
  // refused by name.
  const klv::form::Launch launch =
      klv::form::ReadLaunch(klv::Env::Default(), klv::ProgramArguments(0, nullptr), language);
  switch (launch.kind) {
    case klv::form::LaunchKind::kHelp: Print(klv::form::kLaunchUsage); return 0;
    case klv::form::LaunchKind::kVersion: Print(klv::VersionText("klvmaker")); return 0;
    case klv::form::LaunchKind::kRefused: return Refuse(launch.message);
    case klv::form::LaunchKind::kPackages:
    case klv::form::LaunchKind::kWindow:
    case klv::form::LaunchKind::kPicture: break;
  }

  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  if (!klv::win32::SourceWindow::Register(instance)) return 1;
  if (launch.kind == klv::form::LaunchKind::kPackages) {
    bool opened = false;
    for (const std::string& path : launch.paths) {
      opened = klv::win32::PackageWindow::Open(instance, path, language, nullptr) || opened;
    }
    return opened ? RunMessages() : 1;
  }
  klv::win32::SourceWindow window(instance, klv::Env::Default(), klv::SettingsPath(), language);
  if (!window.Open(show_command)) return 1;
  if (launch.kind == klv::form::LaunchKind::kPicture) window.Form().ChoosePicture(launch.paths[0]);
  return RunMessages();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*command_line*/,
                    int show_command) {
  // The window thread is a single-threaded apartment; the picture decoders (WIC) work in it.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const int status = Run(instance, show_command);
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
