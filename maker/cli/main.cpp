// klvmake: makes one puzzle package from one picture without a window, exactly as the
// maker's make button does: the same grid, tile effect, work files and hand-off to KLVUtils.
// Texts arrive in UTF-8 and go to the package in code page 932; messages go to stderr, those
// written in Japanese in the user's language (user_messages.h).
#include <csignal>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/platform.h"
#include "base/version.h"
#include "base/work_folder.h"
#include "interrupt.h"
#include "language/language.h"
#include "maker/grid.h"
#include "maker/make.h"
#include "maker/make_values.h"
#include "maker/source_picture.h"
#include "options.h"
#include "package_texts.h"
#include "puzzle_set.h"
#include "user_messages.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace klv {
namespace {

constexpr int kExitWritten = 0;
constexpr int kExitMakeFailed = 1;
constexpr int kExitUsage = 2;

void PrintError(const std::string& text) { std::cerr << "klvmake: " << text << '\n'; }

void PrintWarning(const std::string& text) { std::cerr << "klvmake: warning: " << text << '\n'; }

// The destination folder: --out, or the current folder. Nothing, after an error message,
// when it cannot be found or is no folder.
std::optional<std::string> Destination(const Options& options) {
  std::string folder = options.out;
  if (folder.empty()) {
    std::optional<std::string> current = CurrentFolder();
    if (!current) {
      PrintError("cannot find the current folder");
      return std::nullopt;
    }
    folder = std::move(*current);
  }
  const Status usable = Env::Default().CheckFolder(folder);
  if (!usable.ok()) {
    PrintError(folder + ": the destination " + usable.reason());
    return std::nullopt;
  }
  return folder;
}

int Run(const std::vector<ProgramArgument>& args) {
  std::string error;
  const std::optional<Options> parsed = ParseOptions(args, &error);
  if (!parsed) {
    PrintError(error);
    return kExitUsage;
  }
  const Options& options = *parsed;
  if (options.help) {
    std::cout << UsageText();
    return kExitWritten;
  }
  if (options.version) {
    std::cout << VersionText("klvmake");
    return kExitWritten;
  }
  const WindowLanguage language = UsersLanguage();
  // Several pictures, a folder, --chain or --manifest: a set (puzzle_set.h).
  if (IsPuzzleSet(Env::Default(), options)) {
    return RunPuzzleSetCommand(options, language, std::cout, std::cerr);
  }

  // A text that cannot be written is a usage error, found before any work.
  const std::optional<PackageTexts> texts = ReadPackageTexts(options, &error);
  if (!texts) {
    PrintError(error);
    return kExitUsage;
  }

  const std::optional<std::string> destination = Destination(options);
  if (!destination) return kExitMakeFailed;
  const std::string& picture_path = *options.picture.path;

  Env& env = Env::Default();
  SourceError source_error;
  std::optional<Raster> picture =
      ReadSourcePicture(env, picture_path, SourceOptions{options.fit, options.crop}, &source_error);
  if (!picture) {
    PrintError(options.picture.utf8 + ": " + SourceProblemText(language, source_error));
    return source_error.problem == SourceProblem::kCropOutside ? kExitUsage : kExitMakeFailed;
  }
  const Grid grid = GridForPicture(picture->width, picture->height);
  for (const std::string& warning : texts->warnings) PrintWarning(warning);
  std::cout << PieceCountText(language, grid) << '\n';

  // Without --seed both seedings come from the clock, as in the window.
  RandomSource password_source(options.seed ? *options.seed : RandomSource::ClockSeed());
  MakeRequest request;
  request.source = std::move(*picture);
  request.grid = grid;
  request.destination = *destination;
  request.puzzleName = texts->puzzleName;
  request.puzzleSetName = texts->puzzleSetName;
  request.comment = texts->comment;
  request.password = MakePuzzlePassword(password_source);
  request.pieceDensity = Percent{BoxNumber(options.pieceDensity)};
  request.backgroundDensity = Percent{BoxNumber(options.backgroundDensity)};
  request.backColorIndex = options.colorIndex;
  request.seed = options.seed ? *options.seed : RandomSource::ClockSeed();
  request.keepWorkFiles = options.keepWorkFiles;
  request.stopRequested = [] { return CaughtInterrupt() != 0; };

  // The library's messages, one line each.
  const std::unique_ptr<PackageConverter> converter =
      MakeLibraryConverter(env, [language](const std::string& text) {
        std::cerr << "klvmake: " << LibraryMessageLine(language, text) << '\n';
      });
  const MakeResult result = MakePuzzle(env, request, *converter);
  if (!result.keptFolder.empty()) std::cout << DisplayText(result.keptFolder) << '\n';
  if (result.status == MakeStatus::kStopped) {
    PrintError("interrupted; no package was made");
    return InterruptedStatus(CaughtInterrupt());
  }
  if (result.status != MakeStatus::kPackageWritten) {
    PrintError(result.cause);
    return kExitMakeFailed;
  }
  if (!result.warning.empty()) PrintWarning(result.warning);
  std::cout << DisplayText(result.packagePath) << '\n';
  // With SIGPIPE ignored a closed output reports its error here, as any failed write.
  std::cout.flush();
  if (!std::cout) {
    PrintError("cannot write to the standard output; the package was written all the same");
    return kExitMakeFailed;
  }
  return kExitWritten;
}

}  // namespace
}  // namespace klv

// The arguments come from the platform seam: on Windows from the wide command line,
// texts as UTF-8 and paths in the system's code page, converted without look-alikes.
int main(int argc, char** argv) {
#if defined(_WIN32)
  SetConsoleOutputCP(CP_UTF8);
#else
  // A write past the file-size limit or into a closed pipe fails with its error (EFBIG,
  // EPIPE), which the make reports, instead of ending the program half-way.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  klv::CatchInterrupts();
  return klv::Run(klv::ProgramArguments(argc, argv));
}
