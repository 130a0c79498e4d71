// klvconv FOLDER: converts a work folder (Puzzle.ini, base.bmp, resRRCC.bmp) into its
// puzzle package with the KLVUtils library, loaded at run time by its name as the maker
// loads it. The library's messages go to standard error, one line each.
#if !defined(_WIN32)
#include <signal.h>
#endif

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "base/klvutils_client.h"
#include "base/platform.h"
#include "base/text.h"
#include "base/version.h"

namespace {

constexpr int kWritten = 0;
constexpr int kNotWritten = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Usage: klvconv [--] FOLDER\n"
    "Writes the puzzle package \"<PuzzleName>.klv\" of the work folder FOLDER (Puzzle.ini,\n"
    "base.bmp and the tile pictures resRRCC.bmp) into the same folder, with the KLVUtils\n"
    "library from the program's own folder or the system's library path.\n"
    "Messages of the library are printed on standard error, one line each.\n"
    "\n"
    "Exit status: 0 when the package was written, 1 when it was not, 2 for a usage error.\n"
    "\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n";

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "klvconv: %s\nTry 'klvconv --help'.\n", problem.c_str());
  return kUsageError;
}

// One message as one line: line breaks inside it (a file name may hold them) become
// spaces.
void PrintMessage(const std::string& text) {
  std::fprintf(stderr, "%s\n", klv::OneLine(text).c_str());
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
#if !defined(_WIN32)
  // A closed output pipe or a file-size limit makes the failing write report its error
  // instead of killing the program half-way.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
#endif
  std::optional<std::string> folder;
  bool options_done = false;
  // On Windows the arguments come from the wide command line, so that a folder name
  // reaches the file functions as the system's code page spells it.
  for (const klv::ProgramArgument& argument : klv::ProgramArguments(argc, argv)) {
    const std::string& arg = argument.utf8;
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && (arg == "--help" || arg == "-h")) {
      std::fputs(kUsage, stdout);
      return kWritten;
    } else if (!options_done && arg == "--version") {
      std::fputs(klv::VersionText("klvconv").c_str(), stdout);
      return kWritten;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option '" + arg + "'");
    } else if (folder) {
      return UsageError("one FOLDER only");
    } else if (!argument.path) {
      return UsageError("the FOLDER name '" + arg +
                        "' has characters that the system's code page cannot hold");
    } else {
      folder = *argument.path;
    }
  }
  if (!folder) return UsageError("missing FOLDER");
  if (folder->empty()) return UsageError("the FOLDER name is empty");

  // The library adds its own separator; the root folder so becomes the empty prefix.
  while (klv::EndsWithSeparator(*folder)) folder->pop_back();
  const std::string shown = folder->empty() ? std::string(1, klv::kPathSeparator) : *folder;
  if (!klv::IsFolder(shown)) {
    std::fprintf(stderr, "klvconv: %s: no such folder\n", shown.c_str());
    return kNotWritten;
  }

  std::unique_ptr<klv::KLVUtilsClient> library;
  const klv::Status loaded = klv::KLVUtilsClient::Load(klv::Env::Default(), &library);
  if (!loaded.ok()) {
    std::fprintf(stderr, "klvconv: cannot load the package library %s\n",
                 loaded.ToString().c_str());
    return kNotWritten;
  }
  // Without the handler export the library prints its messages itself.
  library->SetMessageHandler(PrintMessage);
  return library->FileConv(*folder) == 1 ? kWritten : kNotWritten;
}
