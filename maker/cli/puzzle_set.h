// klvmake's puzzle sets: many pictures in one run, one package each, with the same set name,
// comment and options. The pictures (given, or found in a folder), their package names and
// the duplicate check, the manifest's refusal, the seeds, the check of every picture before
// any make, the passwords and the chain of previous passwords among the pictures that can
// be used, and the manifest are plain functions; CheckSetPictures and RunPuzzleSet read and
// make the pictures on several threads at once.
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
#include "language/language.h"
#include "maker/grid.h"
#include "maker/raster.h"
#include "options.h"
#include "package_texts.h"

namespace klv {

class PackageConverter;

// True when the options ask for a set rather than the one-picture make: more than one
// picture, a folder, --chain or --manifest.
bool IsPuzzleSet(Env& env, const Options& options);

// The pictures of a set: the arguments as given, or, for one argument that is a folder,
// every file in it whose name the program can read as a picture, in byte order of the
// names, not recursive, leaving out the files that file managers hide (IsHiddenFile).
// Returns nothing and sets *error (one line) when a folder has no such picture or cannot
// be read, or when a folder is given beside other arguments.
std::optional<std::vector<ProgramArgument>> ListSetPictures(
    Env& env, const std::vector<ProgramArgument>& arguments, std::string* error);

// One puzzle of a set, planned before anything is made.
struct SetPuzzle {
  ProgramArgument picture;
  size_t place = 0;         // among the pictures given, from 0: the seed's index
  PackageTexts texts;       // the puzzle name proposed from the file name
  std::string packageName;  // PackageFileName of the puzzle name, in the platform's form
  uint32_t seed = 0;        // for the password and the tile effect
  // Drawn by LinkPuzzleSet once the pictures that can be used are known.
  std::string password;                     // drawn from `seed` as the window draws one
  std::optional<std::string> prevPassword;  // with --chain: the password before (first: "")
  // Filled by CheckSetPictures: the picture as its make takes it (nothing when the set
  // keeps no more pictures; it is read again at its make) and its grid.
  std::optional<Raster> source;
  Grid grid;
};

// A picture of the set left out before anything is made, and why (UTF-8, without the
// picture's name).
struct SetFailure {
  ProgramArgument picture;
  std::string cause;
};

// The seed of puzzle `index` of a set made with `base`: `base` itself for the first, so
// that a set of one picture makes the same package as the one-picture make; a mix of both
// for the others, so that neighbouring seeds do not give shifted sets.
uint32_t SetSeed(uint32_t base, size_t index);

// Plans the puzzles of `pictures` with the texts and options of `options`; `base_seed` is
// --seed or a seed from the clock, and puzzle i gets SetSeed(base_seed, i) whatever
// becomes of the others. A picture whose file name gives no puzzle name that a package
// can have (ReadPackageTexts) is left out into *left_out. Returns nothing and sets *error
// (one line) for what concerns the whole set: --set-name or --comment that cannot be
// written, --name or --keep-work-files given for more than one picture or a folder, or
// two pictures that would give the same package file (PackageFileName, naming both; on
// Windows names that differ only in the case of ASCII letters count as the same).
std::optional<std::vector<SetPuzzle>> PlanPuzzleSet(const Options& options,
                                                    const std::vector<ProgramArgument>& pictures,
                                                    uint32_t base_seed,
                                                    std::vector<SetFailure>* left_out,
                                                    std::string* error);

// Why the set may not write its manifest at `manifest` (the platform's form): it would
// replace one of `pictures`, a package the set writes into `destination` (any spelling of
// the folder that names it), or it lies in or is named as a work folder of a make in
// `destination` (kPrivateFolderStem or kKeptFolderStem). Empty when it may.
std::string ManifestConflict(const std::string& manifest, const std::string& destination,
                             const std::vector<SetPuzzle>& puzzles,
                             const std::vector<ProgramArgument>& pictures);

// Draws each puzzle's password from its seed, and with `chain` sets each one's previous
// password to the password of the one before it in `puzzles` ("" for the first).
void LinkPuzzleSet(std::vector<SetPuzzle>& puzzles, bool chain);

// What became of one puzzle's make.
struct SetResult {
  bool made = false;
  bool stopped = false;     // abandoned when the run was interrupted
  std::string cause;        // when not made: why, without the picture's name (UTF-8)
  std::string packageFile;  // when made: the file written, its name in the destination
};

// The manifest: for every puzzle made, in the set's order, one line of six fields
// separated by tabs: the picture as given, the package file written, the puzzle name
// (UTF-8), the password, the previous password (empty without --chain) and the grid
// ("9x7"). A tab or line break inside a field becomes a space.
std::string ManifestText(const std::vector<SetPuzzle>& puzzles,
                         const std::vector<SetResult>& results);

// The links of a chain that the failed makes among `results` broke, one line each: for
// every puzzle not made whose next puzzle was made, that the next one opens after a
// package that does not exist. Nothing without --chain or when every make succeeded.
std::vector<std::string> BrokenChainLines(const std::vector<SetPuzzle>& puzzles,
                                          const std::vector<SetResult>& results);

// The progress line of a set on a terminal, redrawn in place: "[done/all] what, time
// left". Without a terminal it writes nothing. Every output line of the run goes through
// Print, so that the progress line is cleared before it and drawn again after it.
// Thread-safe.
class SetProgress {
 public:
  SetProgress(std::ostream& terminal, bool is_terminal, size_t all);
  void Started(const std::string& what);
  void Finished();
  // Writes `line` (with its line break) to `stream`.
  void Print(std::ostream& stream, const std::string& line);
  // Clears the progress line for good; with `keep`, leaves it as it stands and ends it
  // with a line break instead (when the run was interrupted: it shows how far it came).
  void End(bool keep = false);

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

// What a set's checks and makes share.
struct SetRun {
  Env* env = nullptr;
  PackageConverter* converter = nullptr;  // Convert may be called from several threads
  std::string destination;                // the destination folder
  const Options* options = nullptr;       // fit, crop, colour, densities
  WindowLanguage language = WindowLanguage::kJapanese;  // of the pictures' causes
  unsigned jobs = 1;                                    // pictures read or made at once
  // Asked before each picture and by each make (MakeRequest::stopRequested): once it
  // answers true no picture is begun and the makes in flight are abandoned. May be null.
  std::function<bool()> stopRequested;
  SetProgress* progress = nullptr;  // may be null
};

// The fitted pictures a set keeps from their check to their make, in bytes together
// (about 600 of the largest, 335 x 335); past it a picture is read again at its make.
inline constexpr uint64_t kSetKeptPictureBytes = uint64_t{256} << 20;

// Reads every puzzle's picture as its make takes it (ReadSourcePicture with the fit and
// crop of run.options) with run.jobs threads, and fills each puzzle's grid and, while the
// pictures kept take at most `keep_bytes` together, its source. Returns one entry per
// puzzle: empty when the picture can be used, otherwise why not (without its name).
// `checked` is called as each picture is done, from the thread that read it. A puzzle
// not begun because a stop was asked for gets the cause "not read".
std::vector<std::string> CheckSetPictures(
    std::vector<SetPuzzle>& puzzles, const SetRun& run, uint64_t keep_bytes,
    const std::function<void(size_t index, const std::string& cause)>& checked);

// Makes every puzzle of `puzzles` with `run.jobs` threads, each into a private work
// folder of its own in the destination from which the package is moved into the
// destination, from its kept source (which it takes) or its picture read again. A puzzle
// that fails does not stop the others. `finished` reports each puzzle as it ends (made or
// not), from the thread that made it. Returns one result per puzzle, in the set's order;
// a puzzle not begun because a stop was asked for is `stopped`.
std::vector<SetResult> RunPuzzleSet(
    std::vector<SetPuzzle>& puzzles, const SetRun& run,
    const std::function<void(size_t index, const SetResult& result)>& finished);

// klvmake for a set (IsPuzzleSet): plans the set, reads every picture and reports those
// that cannot be used, links the others and makes them with --jobs threads, reports each
// failed make with its cause on `err`, each package made on `out`, the progress line on
// `err` when it is a terminal, the broken links of a chain, then one summary line on `out`,
// and writes the manifest; the messages written in Japanese are in `language`
// (user_messages.h). Returns the exit status: 0 when every picture was made, 1 when
// any was not (or the manifest could not be written, or a folder holds no picture), 2 for
// a usage error, InterruptedStatus of the signal when CaughtInterrupt answers one.
int RunPuzzleSetCommand(const Options& options, WindowLanguage language, std::ostream& out,
                        std::ostream& err);

}  // namespace klv

#endif  // KLV_MAKER_CLI_PUZZLE_SET_H_
