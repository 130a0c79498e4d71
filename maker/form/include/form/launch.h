// The maker program's command line, read the same way by every window: no argument opens
// the window; one picture opens it with that picture chosen, as a drop does; packages open
// the package window; --help and --version print and end without a window.
#ifndef KLV_MAKER_FORM_LAUNCH_H_
#define KLV_MAKER_FORM_LAUNCH_H_

#include <string>
#include <vector>

#include "base/platform.h"
#include "language/language.h"

namespace klv::form {

enum class LaunchKind {
  kWindow,    // no argument
  kPicture,   // one file that does not begin as a package: chosen in the window
  kPackages,  // files that each begin as a package
  kHelp,      // print kLaunchUsage
  kVersion,   // print VersionText("klvmaker")
  kRefused,   // `message` says why; no window opens
};

struct Launch {
  LaunchKind kind = LaunchKind::kWindow;
  std::vector<std::string> paths;  // UTF-8, as given: the picture, or the packages
  std::string message;             // kRefused: what was wrong, naming the argument
};

inline constexpr char kLaunchUsage[] =
    "Usage: klvmaker [PICTURE | PACKAGE...]\n"
    "Opens the puzzle maker's window. With PICTURE, the window opens with that picture\n"
    "chosen, as if dropped on it. With puzzle packages (.klv), a window shows what each\n"
    "holds.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

// Reads the arguments after the program's name. A file is a package when its bytes
// begin as one (a RIFF "DATA" form whose first chunk is the 592-byte "KLVZ" header);
// any other file is taken for a picture. Refused, with the message in `language`: a file
// that cannot be opened, a path the platform cannot name, an option other than the two,
// and more than one argument unless all are packages.
Launch ReadLaunch(Env& env, const std::vector<ProgramArgument>& arguments, WindowLanguage language);

}  // namespace klv::form

#endif  // KLV_MAKER_FORM_LAUNCH_H_
