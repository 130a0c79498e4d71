// klvconv FOLDER: converts a work folder (Puzzle.ini, base.bmp, resRRCC.bmp) into its
// puzzle package with the KLVUtils library, loaded at run time by its name as the maker
// loads it. The library's messages go to standard error, one line each, in the user's
// language (LibraryMessageIn). A folder without a readable Puzzle.ini, or whose grid holds
// no tile, is refused before the library runs: the library would take the defaults and
// write a package of no puzzle.
#if !defined(_WIN32)
#include <signal.h>
#endif

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "base/limits.h"
#include "base/platform.h"
#include "base/text.h"
#include "base/version.h"
#include "base/work_folder.h"
#include "client/klvutils_client.h"
#include "format/package_format.h"
#include "language/language.h"
#include "language/library_messages.h"

namespace {

constexpr int kWritten = 0;
constexpr int kNotWritten = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Usage: klvconv [--] FOLDER\n"
    "Writes the puzzle package \"<PuzzleName>.klv\" of the work folder FOLDER (Puzzle.ini,\n"
    "base.bmp and the tile pictures resRRCC.bmp) into the same folder, with the KLVUtils\n"
    "library from the program's own folder or the system's library path.\n"
    "Messages of the library are printed on standard error, one line each: in Japanese\n"
    "when the user's language is Japanese, otherwise in English.\n"
    "A folder without a readable Puzzle.ini (found whatever the case of its name), or\n"
    "whose grid (xMax by yMax) holds no tile, is refused.\n"
    "\n"
    "Exit status: 0 when the package was written, 1 when it was not, 2 for a usage error.\n"
    "\n"
    "  -h, --help  show this help and exit\n"
    "  --version   show the version and exit\n";

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "klvconv: %s\nTry 'klvconv --help'.\n", problem.c_str());
  return kUsageError;
}

// Why the work folder `folder` (without a trailing separator) makes no puzzle: its
// Puzzle.ini is missing, is no regular file, is larger than a profile file is read, or
// its grid holds no tile. Nothing when it makes one.
std::optional<std::string> DescriptionProblem(klv::Env& env, const std::string& folder) {
  const std::string ini = env.FindWorkFile(folder, klv::kDescriptionFileName);
  std::unique_ptr<klv::InputFile> file;
  const klv::Status opened = env.OpenForSharedRead(ini, &file);
  if (opened.IsNotFound()) return ini + ": there is no Puzzle.ini in the folder";
  if (!opened.ok()) return ini + ": cannot be read: " + opened.reason();
  uint64_t length = 0;
  const klv::Status measured = file->Length(&length);
  if (!measured.ok()) return ini + ": cannot be read: " + measured.reason();
  if (length > klv::kMaxProfileFileBytes) {
    return ini + ": is " + std::to_string(length) + " bytes long, more than a Puzzle.ini may be (" +
           std::to_string(klv::kMaxProfileFileBytes >> 20) + " MiB)";
  }
  file.reset();
  const int32_t x_max =
      env.GetProfileInt(ini, klv::kPuzzleSection, klv::kXMaxKey, klv::kDefaultXMax);
  const int32_t y_max =
      env.GetProfileInt(ini, klv::kPuzzleSection, klv::kYMaxKey, klv::kDefaultYMax);
  if (klv::PackageTileCount(x_max, y_max) <= 0) {
    return ini + ": the grid of xMax " + std::to_string(x_max) + " by yMax " +
           std::to_string(y_max) + " holds no tile";
  }
  return std::nullopt;
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
  if (!klv::Env::Default().CheckFolder(shown).ok()) {
    std::fprintf(stderr, "klvconv: %s: no such folder\n", shown.c_str());
    return kNotWritten;
  }

  if (const std::optional<std::string> problem = DescriptionProblem(klv::Env::Default(), *folder)) {
    PrintMessage("klvconv: " + *problem);
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
  library->SetMessageHandler([language = klv::UsersLanguage()](const std::string& text) {
    PrintMessage(klv::LibraryMessageIn(language, text));
  });
  return library->FileConv(*folder) == 1 ? kWritten : kNotWritten;
}
