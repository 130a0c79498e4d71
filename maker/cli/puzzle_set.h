// klvmake's puzzle sets: many pictures in one run, one package each, with the same set name,
// comment and options. The pictures (given, or found in a folder), their package names and
// the duplicate check, the seeds and passwords, the chain of previous passwords and the
// manifest are plain functions; RunPuzzleSet makes the puzzles on several threads at once.
#ifndef KLV_MAKER_CLI_PUZZLE_SET_H_
#define KLV_MAKER_CLI_PUZZLE_SET_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/platform.h"
#include "maker/grid.h"
#include "options.h"
#include "package_texts.h"

namespace klv {

class PackageConverter;

// True when the options ask for a set rather than the one-picture make: more than one
// picture, a folder, --chain or --manifest.
bool IsPuzzleSet(const Options& options);

// The pictures of a set: the arguments as given, or, for one argument that is a folder,
// every file in it whose name the program can read as a picture, in byte order of the
// names, not recursive. Returns nothing and sets *error (one line) when a folder has no
// such picture or cannot be read, or when a folder is given beside other arguments.
std::optional<std::vector<ProgramArgument>> ListSetPictures(
    Env& env, const std::vector<ProgramArgument>& arguments, std::string* error);

// One puzzle of a set, planned before anything is made.
struct SetPuzzle {
  ProgramArgument picture;
  PackageTexts texts;                       // the puzzle name proposed from the file name
  std::string packageName;                  // PackageFileName of the puzzle name
  uint32_t seed = 0;                        // for the password and the tile effect
  std::string password;                     // drawn from `seed` as the window draws one
  std::optional<std::string> prevPassword;  // with --chain: the password before (first: "")
};

// The seed of puzzle `index` of a set made with `base`: `base` itself for the first, so
// that a set of one picture makes the same package as the one-picture make; a mix of both
// for the others, so that neighbouring seeds do not give shifted sets.
uint32_t SetSeed(uint32_t base, size_t index);

// Plans the puzzles of `pictures` with the texts and options of `options`; `base_seed` is
// --seed or a seed from the clock. Returns nothing and sets *error (one line) when a text
// cannot be written (as ReadPackageTexts), when --name or --keep-work-files is given
// for more than one picture or a folder, or when two pictures would give the same package
// file (naming both; on Windows names that differ only in the case of ASCII letters count
// as the same).
std::optional<std::vector<SetPuzzle>> PlanPuzzleSet(const Options& options,
                                                    const std::vector<ProgramArgument>& pictures,
                                                    uint32_t base_seed, std::string* error);

// What became of one puzzle.
struct SetResult {
  bool made = false;
  Grid grid;          // known once the picture was read
  std::string cause;  // when not made: why, without the picture's name (UTF-8)
};

// The manifest: for every puzzle made, in the set's order, one line of six fields
// separated by tabs: the picture as given, the package file, the puzzle name (UTF-8), the
// password, the previous password (empty without --chain) and the grid ("9x7"). A tab or
// line break inside a field becomes a space.
std::string ManifestText(const std::vector<SetPuzzle>& puzzles,
                         const std::vector<SetResult>& results);

// The progress line of a set on a terminal, redrawn in place: "[done/all] picture, time
// left". Without a terminal it writes nothing. Every output line of the run goes through
// Print, so that the progress line is cleared before it and drawn again after it.
// Thread-safe.
class SetProgress {
 public:
  SetProgress(std::ostream& terminal, bool is_terminal, size_t all);
  void Started(const std::string& picture);
  void Finished();
  // Writes `line` (with its line break) to `stream`.
  void Print(std::ostream& stream, const std::string& line);
  // Clears the progress line for good.
  void End();

 private:
  void Draw();   // requires mutex_
  void Clear();  // requires mutex_

  std::ostream& terminal_;
  const bool is_terminal_;
  const size_t all_;
  size_t done_ = 0;
  std::string current_;
  size_t drawn_width_ = 0;  // characters of the line now on the terminal
  double start_seconds_;
  std::mutex mutex_;
};

// True when standard error is a terminal.
bool StandardErrorIsTerminal();

// The picture (as given) that the calling thread is making in RunPuzzleSet; empty on any
// other thread. The library's messages arrive on the thread of the make they concern.
std::string PictureOfThisThread();

// What a set's makes share.
struct SetRun {
  Env* env = nullptr;
  PackageConverter* converter = nullptr;  // Convert may be called from several threads
  std::string destination;                // the destination folder
  const Options* options = nullptr;       // colour, densities
  unsigned jobs = 1;                      // pictures made at once
  // Reports one puzzle as it ends (made or not), from the thread that made it.
  std::function<void(size_t index, const SetResult& result)> finished;
  SetProgress* progress = nullptr;  // may be null
};

// Makes every puzzle of `puzzles` with `run.jobs` threads, each into a private work
// folder of its own in the destination from which the package is moved into the
// destination. A puzzle that fails does not stop the others. Returns one result per
// puzzle, in the set's order.
std::vector<SetResult> RunPuzzleSet(const std::vector<SetPuzzle>& puzzles, const SetRun& run);

// klvmake for a set (IsPuzzleSet): plans the set, makes it with --jobs threads, reports
// each failed picture with its cause on `err`, each package made on `out`, the progress
// line on `err` when it is a terminal, then one summary line on `out`, and writes the
// manifest. Returns the exit status: 0 when every package was made, 1 when any make failed
// (or the manifest could not be written, or a folder holds no picture), 2 for a usage error.
int RunPuzzleSetCommand(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace klv

#endif  // KLV_MAKER_CLI_PUZZLE_SET_H_
