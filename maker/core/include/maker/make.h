// The make: what the make button (or klvmake) runs once per puzzle. PrepareWorkCanvas,
// RenderTileEffect, then FinishMake: the work files (tiles, base.bmp, Puzzle.ini) are
// written to a private work folder of this make inside the destination, handed to the
// package library's FileConv, and the package is renamed into the destination.
#ifndef KLV_MAKER_MAKE_H_
#define KLV_MAKER_MAKE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/platform.h"
#include "base/status.h"
#include "base/status_or.h"
#include "maker/grid.h"
#include "maker/make_values.h"
#include "maker/raster.h"
#include "maker/work_canvas.h"

namespace klv {

// Everything one make reads, as the window (or the command line) holds it.
struct MakeRequest {
  Raster source;              // the chosen picture, as decoded for the preview
  Grid grid;                  // from the picture click; must fit (GridFits)
  std::string destination;    // the folder the package goes to, as the directory list shows it
  std::string puzzleName;     // code page 932; must pass CheckPuzzleName (the library cuts it)
  std::string puzzleSetName;  // code page 932; its first line is written
  std::string comment;        // code page 932; its first line is written as LongPuzzleName
  std::string password;       // the run's puzzle password
  // Written as PrevPassWord when given (a set's chain; the first puzzle's is empty);
  // nothing leaves the key as the folder's Puzzle.ini has it.
  std::optional<std::string> prevPassword;
  Percent pieceDensity{30};       // the piece density (the box's number)
  Percent backgroundDensity{15};  // the background density (the box's number)
  int backColorIndex = 13;        // QBColor palette index
  uint32_t seed = 0;              // seeds the tile effect's random source
  bool keepWorkFiles = false;     // leave the private work folder for inspection
  // Asked between the make's steps; once it answers true the make is abandoned (kStopped):
  // nothing more is written, no package is put in place, and the private folder goes
  // (also with keepWorkFiles). Null: the make runs to its end. Called from the make's
  // thread.
  std::function<bool()> stopRequested;
};

// The two forms of the work folder's path P: the prefix put in front of every file name
// (P plus one separator, or P itself when it ends in one) and the argument for FileConv
// (P, or P without its last character when it ends in a separator). On Linux "/" gives
// "/" and ""; on Windows "C:\" gives "C:\" and "C:".
struct WorkPaths {
  std::string filePrefix;
  std::string folderArgument;
};
WorkPaths DeriveWorkPaths(const std::string& folder);

// The private work folder of a make is "<destination>/.klvmake-<process number>-" and six
// random characters, with the lock file kWorkLockFileName in it, which holds
// kWorkLockText and whose lock the make holds for as long as the folder is in use: so a
// later make can tell one whose make was killed, whatever process numbers mean where
// that make ran (another PID namespace, another host sharing the folder). With
// keepWorkFiles it is "klvmake-work-" and six random characters, which no make removes.
inline constexpr char kPrivateFolderStem[] = ".klvmake-";
inline constexpr char kKeptFolderStem[] = "klvmake-work-";
inline constexpr char kWorkLockFileName[] = "make.lock";
inline constexpr char kWorkLockText[] = "klvmake work folder\n";

// A make's private work folder while the make uses it: made, and its lock held, by
// MakeHeldWorkFolder. Destroying it without Remove leaves the folder with its lock free,
// as a killed make leaves it, for a later make to remove.
class HeldWorkFolder {
 public:
  const std::string& path() const { return path_; }
  // Lets the lock go and removes the folder with everything in it. A folder that some
  // other make removed meanwhile counts as removed.
  Status Remove(Env& env);

 private:
  friend Status MakeHeldWorkFolder(Env& env, const std::string& destination,
                                   HeldWorkFolder* folder);
  std::string path_;
  std::unique_ptr<FileLock> lock_;
};

// Makes a new private work folder of this process in `destination` and takes its lock.
// An error naming the folder when it cannot be made or locked (nothing is left then).
Status MakeHeldWorkFolder(Env& env, const std::string& destination, HeldWorkFolder* folder);

// Removes the private work folders in the destination `folder` whose make has ended
// without removing them (a make that was killed): folders named as above, not of this
// process's number (its other threads' makes), whose lock file is this user's, holds
// kWorkLockText and has its lock free, and which hold nothing but what a make writes
// (Puzzle.ini, base.bmp, tile files, packages and their temporary files, the lock file).
// A folder that merely has such a name is never touched; failures are ignored (the next
// make tries again).
void RemoveStalePrivateFolders(Env& env, const std::string& folder);

// How a make reaches FileConv. The default loads KLVUtils at the first call.
class PackageConverter {
 public:
  virtual ~PackageConverter() = default;
  // FileConv's result (1 or 0), or an error when the library or its entry cannot be
  // found (its reason says which).
  virtual StatusOr<int16_t> Convert(const std::string& folder_argument) = 0;
};

// Loads KLVUtils by its bare name at the first Convert and keeps it loaded. Every message
// of the library goes to `message_handler` when one is given (platform's narrow encoding);
// it runs on the thread that called Convert. Convert may be called from several threads at
// once: FileConv keeps its state per thread.
std::unique_ptr<PackageConverter> MakeLibraryConverter(
    Env& env, std::function<void(const std::string& text)> message_handler = nullptr);

enum class MakeStatus {
  kPackageWritten,      // FileConv returned 1
  kConversionFailed,    // FileConv returned 0 (its messages said why)
  kLibraryMissing,      // KLVUtils or its FileConv entry was not found
  kWorkFileNotWritten,  // a tile, base.bmp or Puzzle.ini could not be written
  kGridTooLarge,        // the request's grid does not fit; nothing was written
  kGridTooSmall,        // the request's grid has no tile; nothing was written
  kNameRefused,         // the puzzle name fails CheckPuzzleName; nothing was written
  kPackageNotMoved,     // FileConv wrote the package, but it could not be renamed into place
  kStopped,             // request.stopRequested answered true; no package was put in place
};

struct MakeResult {
  MakeStatus status = MakeStatus::kPackageWritten;
  std::string cause;        // for failures: what failed, naming the file (UTF-8 on Linux)
  std::string packagePath;  // kPackageWritten: exactly the file written into the destination
  std::string keptFolder;   // with keepWorkFiles: the private work folder, which stays
  std::string warning;      // a success whose private work folder could not be removed
};

// Runs between the conversion and the removal of the work files: the window shows its
// completion (or failure) message and saves its settings here.
using AfterConversion = std::function<void(const MakeResult& conversion)>;

// Makes the private work folder in the destination (after removing stale ones), writes
// the work files of `canvas` for `request` into it (each text's first line only), calls
// FileConv on it and renames the package it wrote into the destination, replacing a
// file or link of that name; then runs `after_conversion` and removes the private folder
// with everything in it unless request.keepWorkFiles. Nothing else in the destination
// is read, written or removed. Each surface is freed once its file is written. When the
// folder cannot be made, a work file cannot be written or KLVUtils or its FileConv cannot
// be found, the make stops at once (kWorkFileNotWritten, kLibraryMissing): the private
// folder is removed (kept with keepWorkFiles) and `after_conversion` is not run. A stop
// (request.stopRequested) is asked for before the work files are written, before FileConv
// and before the rename; the make then ends with kStopped, the private folder removed.
MakeResult FinishMake(Env& env, WorkCanvas canvas, const MakeRequest& request,
                      PackageConverter& converter, const AfterConversion& after_conversion);

// Runs once the surfaces are rendered, before they are saved: the window shows the work
// canvas here.
using CanvasRendered = std::function<void(const WorkCanvas& canvas)>;

// The whole make: refuses a grid that does not fit or has no tile and a puzzle name that
// CheckPuzzleName faults before anything is written, and ends with kStopped when a stop is
// asked for already; then densities from the boxes' texts, PrepareWorkCanvas,
// RenderTileEffect with a RandomSource seeded by request.seed, `canvas_rendered`,
// FinishMake. Holds no state beyond its arguments: makes into one
// destination may run at once, in threads or processes.
MakeResult MakePuzzle(Env& env, const MakeRequest& request, PackageConverter& converter,
                      const AfterConversion& after_conversion = nullptr,
                      const CanvasRendered& canvas_rendered = nullptr);

}  // namespace klv

#endif  // KLV_MAKER_MAKE_H_
