// klvmake's puzzle sets: the planning before anything is made (pictures, names, seeds, the
// manifest's place), the check of every picture, the passwords and the chain among the
// pictures that can be used, the manifest, the progress line, and the workers that read
// and make several pictures at once, each make in a private work folder of its own.
#include "puzzle_set.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <utility>
#include <variant>

#include "base/codepage.h"
#include "base/named_output.h"
#include "base/text.h"
#include "base/work_folder.h"
#include "format/package_format.h"
#include "interrupt.h"
#include "maker/make.h"
#include "maker/make_values.h"
#include "maker/picture_reader.h"
#include "maker/source_picture.h"
#include "user_messages.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace klv {
namespace {

// The picture that this thread's make is working on, for the library's messages.
thread_local const std::string* t_picture = nullptr;

double NowSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The key under which two file names in one folder are the same file: on Windows the
// file system does not tell ASCII letters' cases apart (a trail byte is no letter).
std::string SameFileKey(const std::string& name) {
#if defined(_WIN32)
  std::string key = name;
  for (size_t i = 0; i < key.size(); i += Cp932CharacterWidth(key, i)) {
    if (key[i] >= 'A' && key[i] <= 'Z') key[i] = static_cast<char>(key[i] - 'A' + 'a');
  }
  return key;
#else
  return name;
#endif
}

// A field of the manifest: tabs and line breaks would split its line or its columns.
std::string ManifestField(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return text;
}

// `path` split before its last name: the folder with its separator ("." for a bare name)
// and the name. On Windows "/" separates too, and a double-byte character's second byte
// 0x5C does not.
struct PathParts {
  std::string folder;
  std::string name;
};
PathParts SplitPath(const std::string& path) {
  std::optional<size_t> last;
  for (size_t i = 0; i < path.size(); i += Cp932CharacterWidth(path, i)) {
#if defined(_WIN32)
    if (path[i] == '/' || path[i] == '\\') last = i;
#else
    if (path[i] == '/') last = i;
#endif
  }
  if (!last) return PathParts{".", path};
  return PathParts{path.substr(0, *last + 1), path.substr(*last + 1)};
}

bool StartsAsWorkFolder(const std::string& name) {
  const std::string key = SameFileKey(name);
  return key.starts_with(SameFileKey(kPrivateFolderStem)) ||
         key.starts_with(SameFileKey(kKeptFolderStem));
}

// Calls work(i) for every i below `count` with up to `jobs` threads; no i is begun once
// `stop` answers true.
void ForEachAtOnce(size_t count, unsigned jobs, const std::function<bool()>& stop,
                   const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i = next++; i < count && !(stop && stop()); i = next++) work(i);
  };
  const size_t threads = std::max<size_t>(1, std::min<size_t>(jobs, count));
  std::vector<std::thread> others;
  for (size_t j = 1; j < threads; ++j) others.emplace_back(worker);
  worker();
  for (std::thread& other : others) other.join();
}

constexpr char kNotRead[] = "not read";

// The result of a make that a stop kept from beginning.
SetResult NotBegun() {
  SetResult result;
  result.stopped = true;
  result.cause = "not made";
  return result;
}

SourceOptions SourceOptionsOf(const Options& options) {
  return SourceOptions{options.fit, options.crop};
}

// Makes puzzle `puzzle` into the destination; the make works in a private folder of its
// own there, so makes running at once never meet.
SetResult MakeOne(SetPuzzle& puzzle, const SetRun& run) {
  SetResult result;
  std::optional<Raster> source = std::move(puzzle.source);
  puzzle.source.reset();
  if (!source) {
    SourceError source_error;
    source = ReadSourcePicture(*run.env, *puzzle.picture.path, SourceOptionsOf(*run.options),
                               &source_error);
    if (!source) {
      result.cause = SourceProblemText(run.language, source_error);
      return result;
    }
  }
  MakeRequest request;
  request.grid = GridForPicture(source->width, source->height);
  puzzle.grid = request.grid;
  request.source = std::move(*source);
  request.destination = run.destination;
  request.puzzleName = puzzle.texts.puzzleName;
  request.puzzleSetName = puzzle.texts.puzzleSetName;
  request.comment = puzzle.texts.comment;
  request.password = puzzle.password;
  request.prevPassword = puzzle.prevPassword;
  request.pieceDensity = Percent{BoxNumber(run.options->pieceDensity)};
  request.backgroundDensity = Percent{BoxNumber(run.options->backgroundDensity)};
  request.backColorIndex = run.options->colorIndex;
  request.seed = puzzle.seed;
  request.stopRequested = run.stopRequested;
  const MakeResult made = MakePuzzle(*run.env, request, *run.converter);
  if (made.status != MakeStatus::kPackageWritten) {
    result.stopped = made.status == MakeStatus::kStopped;
    result.cause = made.cause;
    return result;
  }
  result.made = true;
  result.packageFile = made.packagePath.substr(DeriveWorkPaths(run.destination).filePrefix.size());
  return result;
}

}  // namespace

bool IsPuzzleSet(Env& env, const Options& options) {
  return options.pictures.size() > 1 || options.chain || options.manifest ||
         (options.pictures.size() == 1 && env.CheckFolder(*options.pictures[0].path).ok());
}

std::optional<std::vector<ProgramArgument>> ListSetPictures(
    Env& env, const std::vector<ProgramArgument>& arguments, std::string* error) {
  const auto folder =
      std::find_if(arguments.begin(), arguments.end(),
                   [&env](const ProgramArgument& a) { return env.CheckFolder(*a.path).ok(); });
  if (folder == arguments.end()) return arguments;
  if (arguments.size() > 1) {
    *error = "\"" + folder->utf8 + "\" is a folder: give one folder alone, or pictures";
    return std::nullopt;
  }
  std::vector<std::string> names;
  const Status listed = env.ListFiles(*folder->path, &names);
  if (!listed.ok()) {
    *error = folder->utf8 + ": cannot read the folder: " + listed.reason();
    return std::nullopt;
  }
  std::sort(names.begin(), names.end());
  const std::string prefix = DeriveWorkPaths(*folder->path).filePrefix;
  const std::string utf8_prefix =
      EndsWithSeparator(folder->utf8) ? folder->utf8 : folder->utf8 + kPathSeparator;
  std::vector<ProgramArgument> pictures;
  for (const std::string& name : names) {
    if (!IsReadablePictureName(name) || IsHiddenFile(prefix, name)) continue;
#if defined(_WIN32)
    const std::string utf8_name = Cp932ToUtf8(name).value_or(name);
#else
    const std::string& utf8_name = name;
#endif
    pictures.push_back(ProgramArgument{utf8_prefix + utf8_name, prefix + name});
  }
  if (pictures.empty()) {
    *error = folder->utf8 + ": the folder holds no picture that klvmake can read";
    return std::nullopt;
  }
  return pictures;
}

uint32_t SetSeed(uint32_t base, size_t index) {
  if (index == 0) return base;
  // The finalizer of splitmix64 over both numbers: every bit of each reaches the seed.
  uint64_t mixed = (uint64_t{base} << 32 | static_cast<uint32_t>(index)) + 0x9E3779B97F4A7C15ULL;
  mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ULL;
  mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBULL;
  return static_cast<uint32_t>((mixed ^ (mixed >> 31)) >> 32);
}

std::optional<std::vector<SetPuzzle>> PlanPuzzleSet(const Options& options,
                                                    const std::vector<ProgramArgument>& pictures,
                                                    uint32_t base_seed,
                                                    std::vector<SetFailure>* left_out,
                                                    std::string* error) {
  if (pictures.size() > 1 && options.name) {
    *error = "--name names one puzzle; with several pictures each is named after its file";
    return std::nullopt;
  }
  if (options.keepWorkFiles) {
    *error = "--keep-work-files is for one picture without --chain or --manifest";
    return std::nullopt;
  }
  if (!ReadSetTexts(options, error)) return std::nullopt;
  std::vector<SetPuzzle> puzzles;
  std::map<std::string, size_t> by_package;  // SameFileKey of the package name -> puzzle
  for (size_t i = 0; i < pictures.size(); ++i) {
    Options own = options;
    own.picture = pictures[i];
    std::string cause;
    std::optional<PackageTexts> texts = ReadPackageTexts(own, &cause, pictures.size() == 1);
    if (!texts) {
      // The cause names the picture when it is about its file name; it is reported with it.
      const std::string prefix = pictures[i].utf8 + ": ";
      left_out->push_back(
          {pictures[i], cause.starts_with(prefix) ? cause.substr(prefix.size()) : cause});
      continue;
    }
    SetPuzzle puzzle;
    puzzle.picture = pictures[i];
    puzzle.place = i;
    puzzle.texts = std::move(*texts);
    puzzle.packageName = PackageFileName(puzzle.texts.puzzleName);
    puzzle.seed = SetSeed(base_seed, i);
    const auto [place, added] = by_package.emplace(SameFileKey(puzzle.packageName), puzzles.size());
    if (!added) {
      *error = "\"" + puzzles[place->second].picture.utf8 + "\" and \"" + pictures[i].utf8 +
               "\" would both make the package " + DisplayText(puzzle.packageName) +
               "; rename one of them";
      return std::nullopt;
    }
    puzzles.push_back(std::move(puzzle));
  }
  return puzzles;
}

std::string ManifestConflict(const std::string& manifest, const std::string& destination,
                             const std::vector<SetPuzzle>& puzzles,
                             const std::vector<ProgramArgument>& pictures) {
  for (const ProgramArgument& picture : pictures) {
    if (SameFile(manifest, *picture.path)) {
      return "the manifest would replace the picture " + picture.utf8;
    }
  }
  // From the manifest up through its folders: where one lies in the destination, its name
  // must be no package of the set and no work folder of a make. Each step is shorter.
  std::string path = manifest;
  for (bool first = true;; first = false) {
    const PathParts parts = SplitPath(path);
    if (SameFile(parts.folder, destination)) {
      for (const SetPuzzle& puzzle : puzzles) {
        if (first && SameFileKey(parts.name) == SameFileKey(puzzle.packageName)) {
          return "the manifest would replace the package " + DisplayText(puzzle.packageName) +
                 " of " + puzzle.picture.utf8;
        }
      }
      if (StartsAsWorkFolder(parts.name)) {
        return "the manifest would be, or lie in, a work folder of a make in the destination";
      }
    }
    if (parts.folder == ".") break;  // a bare name: nothing above it in the path
    path = parts.folder.substr(0, parts.folder.size() - 1);
    if (path.empty()) break;  // the root
  }
  return "";
}

void LinkPuzzleSet(std::vector<SetPuzzle>& puzzles, bool chain) {
  for (size_t i = 0; i < puzzles.size(); ++i) {
    RandomSource password_source(puzzles[i].seed);
    puzzles[i].password = MakePuzzlePassword(password_source);
    if (chain) puzzles[i].prevPassword = i == 0 ? "" : puzzles[i - 1].password;
  }
}

std::string ManifestText(const std::vector<SetPuzzle>& puzzles,
                         const std::vector<SetResult>& results) {
  std::string text;
  for (size_t i = 0; i < puzzles.size() && i < results.size(); ++i) {
    if (!results[i].made) continue;
    const SetPuzzle& puzzle = puzzles[i];
    const std::string fields[] = {
        puzzle.picture.utf8,
        DisplayText(results[i].packageFile),
        Cp932ForDisplay(puzzle.texts.puzzleName),
        puzzle.password,
        puzzle.prevPassword.value_or(""),
        std::to_string(puzzle.grid.xMax) + "x" + std::to_string(puzzle.grid.yMax),
    };
    for (const std::string& field : fields) {
      if (&field != &fields[0]) text += '\t';
      text += ManifestField(field);
    }
    text += '\n';
  }
  return text;
}

std::vector<std::string> BrokenChainLines(const std::vector<SetPuzzle>& puzzles,
                                          const std::vector<SetResult>& results) {
  std::vector<std::string> lines;
  for (size_t i = 0; i + 1 < puzzles.size() && i + 1 < results.size(); ++i) {
    if (results[i].made || !results[i + 1].made || !puzzles[i + 1].prevPassword) continue;
    lines.push_back("the chain is broken: " + DisplayText(results[i + 1].packageFile) +
                    " opens after " + DisplayText(puzzles[i].packageName) + " (" +
                    puzzles[i].picture.utf8 + "), which was not made");
  }
  return lines;
}

SetProgress::SetProgress(std::ostream& terminal, bool is_terminal, size_t all)
    : terminal_(terminal), is_terminal_(is_terminal), all_(all), start_seconds_(NowSeconds()) {}

void SetProgress::Started(const std::string& what) {
  std::lock_guard<std::mutex> lock(mutex_);
  current_ = what;
  Draw();
}

void SetProgress::Finished() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++done_;
  Draw();
}

void SetProgress::Print(std::ostream& stream, const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  Clear();
  stream << line << '\n' << std::flush;
  Draw();
}

void SetProgress::End(bool keep) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (keep && is_terminal_ && drawn_width_ > 0) {
    terminal_ << '\n' << std::flush;
    drawn_width_ = 0;
  }
  Clear();
  current_.clear();
  done_ = all_;
}

void SetProgress::Draw() {
  if (!is_terminal_ || done_ >= all_) return;
  std::string line = "[" + std::to_string(done_) + "/" + std::to_string(all_) + "] " + current_;
  if (done_ > 0) {
    const double elapsed = NowSeconds() - start_seconds_;
    const long left =
        std::lround(elapsed / static_cast<double>(done_) * static_cast<double>(all_ - done_));
    char text[32];
    std::snprintf(text, sizeof text, ", %ld:%02ld left", left / 60, left % 60);
    line += text;
  }
  // Spaces over what is left of a longer line before: no terminal control sequences.
  const size_t width = line.size();
  if (width < drawn_width_) line.append(drawn_width_ - width, ' ');
  terminal_ << '\r' << line << std::flush;
  drawn_width_ = width;
}

void SetProgress::Clear() {
  if (!is_terminal_ || drawn_width_ == 0) return;
  terminal_ << '\r' << std::string(drawn_width_, ' ') << '\r' << std::flush;
  drawn_width_ = 0;
}

std::string PictureOfThisThread() { return t_picture != nullptr ? *t_picture : std::string(); }

bool StandardErrorIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) != 0;
#endif
}

std::vector<std::string> CheckSetPictures(
    std::vector<SetPuzzle>& puzzles, const SetRun& run, uint64_t keep_bytes,
    const std::function<void(size_t index, const std::string& cause)>& checked) {
  std::vector<std::string> causes(puzzles.size(), kNotRead);
  std::atomic<uint64_t> kept{0};
  ForEachAtOnce(puzzles.size(), run.jobs, run.stopRequested, [&](size_t i) {
    SetPuzzle& puzzle = puzzles[i];
    if (run.progress != nullptr) run.progress->Started("reading " + puzzle.picture.utf8);
    SourceError error;
    std::optional<Raster> source =
        ReadSourcePicture(*run.env, *puzzle.picture.path, SourceOptionsOf(*run.options), &error);
    if (source) {
      causes[i].clear();
      puzzle.grid = GridForPicture(source->width, source->height);
      const uint64_t bytes = source->pixels.size() * sizeof(uint32_t);
      if (kept.fetch_add(bytes) + bytes <= keep_bytes) {
        puzzle.source = std::move(source);
      } else {
        kept.fetch_sub(bytes);
      }
    } else {
      causes[i] = SourceProblemText(run.language, error);
    }
    if (checked) checked(i, causes[i]);
    if (run.progress != nullptr) run.progress->Finished();
  });
  return causes;
}

std::vector<SetResult> RunPuzzleSet(
    std::vector<SetPuzzle>& puzzles, const SetRun& run,
    const std::function<void(size_t index, const SetResult& result)>& finished) {
  std::vector<SetResult> results(puzzles.size(), NotBegun());
  ForEachAtOnce(puzzles.size(), run.jobs, run.stopRequested, [&](size_t i) {
    if (run.progress != nullptr) run.progress->Started(puzzles[i].picture.utf8);
    t_picture = &puzzles[i].picture.utf8;
    results[i] = MakeOne(puzzles[i], run);
    t_picture = nullptr;
    if (finished) finished(i, results[i]);
    if (run.progress != nullptr) run.progress->Finished();
  });
  return results;
}

namespace {

constexpr int kAllMade = 0, kSomeFailed = 1, kUsage = 2;

// The planned set and where it goes, once the usage is known to be right.
struct PlannedSet {
  std::vector<ProgramArgument> pictures;  // all those given (or found in the folder)
  std::vector<SetPuzzle> puzzles;
  std::vector<SetFailure> leftOut;
  std::string destination;
  NamedOutput manifest;  // with --manifest: what its name was when the set began
};

// Plans the set; an exit status after a message when it cannot be made at all.
std::variant<PlannedSet, int> PlanSet(const Options& options, Env& env,
                                      const std::function<void(const std::string&)>& say) {
  PlannedSet set;
  std::string error;
  std::optional<std::vector<ProgramArgument>> pictures =
      ListSetPictures(env, options.pictures, &error);
  if (!pictures) {
    say(error);
    // A folder beside other arguments is a usage error; a folder without pictures is not.
    return options.pictures.size() > 1 ? kUsage : kSomeFailed;
  }
  set.pictures = std::move(*pictures);
  const uint32_t base_seed = options.seed ? *options.seed : RandomSource::ClockSeed();
  std::optional<std::vector<SetPuzzle>> puzzles =
      PlanPuzzleSet(options, set.pictures, base_seed, &set.leftOut, &error);
  if (!puzzles) {
    say(error);
    return kUsage;
  }
  set.puzzles = std::move(*puzzles);
  set.destination = options.out.empty() ? CurrentFolder().value_or("") : options.out;
  if (const Status usable = env.CheckFolder(set.destination); !usable.ok()) {
    say(set.destination + ": the destination " + usable.reason());
    return kSomeFailed;
  }
  if (options.manifest) {
    const std::string conflict =
        ManifestConflict(*options.manifest, set.destination, set.puzzles, set.pictures);
    if (!conflict.empty()) {
      say(DisplayText(*options.manifest) + ": " + conflict);
      return kUsage;
    }
    // What the manifest's name is gets decided now; it is written at the end.
    const Status decided =
        NamedOutput::ForFile(*options.manifest, NamedOutput::Access::kPrivate, &set.manifest);
    if (!decided.ok()) {
      say(*options.manifest + ": cannot write the manifest: " + decided.reason());
      return kUsage;
    }
  }
  return set;
}

}  // namespace

int RunPuzzleSetCommand(const Options& options, WindowLanguage language, std::ostream& out,
                        std::ostream& err) {
  const auto say = [&err](const std::string& text) { err << "klvmake: " << text << '\n'; };
  Env& env = Env::Default();
  std::variant<PlannedSet, int> planned = PlanSet(options, env, say);
  if (const int* status = std::get_if<int>(&planned)) return *status;
  PlannedSet& set = std::get<PlannedSet>(planned);
  for (const SetPuzzle& puzzle : set.puzzles) {
    for (const std::string& warning : puzzle.texts.warnings) {
      say("warning: " + puzzle.picture.utf8 + ": " + warning);
    }
  }
  for (const SetFailure& failure : set.leftOut) say(failure.picture.utf8 + ": " + failure.cause);

  SetRun run;
  run.env = &env;
  run.destination = set.destination;
  run.options = &options;
  run.language = language;
  run.jobs = options.jobs ? *options.jobs : std::max(1u, std::thread::hardware_concurrency());
  run.stopRequested = [] { return CaughtInterrupt() != 0; };
  const bool terminal = StandardErrorIsTerminal();

  // Every picture is read before any package is made; those that cannot be used are left
  // out before the passwords are drawn, so that the chain links only packages made.
  std::vector<SetPuzzle> usable;
  {
    SetProgress progress(err, terminal, set.puzzles.size());
    run.progress = &progress;
    const std::vector<std::string> causes = CheckSetPictures(
        set.puzzles, run, kSetKeptPictureBytes, [&](size_t i, const std::string& cause) {
          if (cause.empty()) return;
          progress.Print(err, "klvmake: " + set.puzzles[i].picture.utf8 + ": " + cause);
        });
    progress.End(CaughtInterrupt() != 0);
    for (size_t i = 0; i < set.puzzles.size(); ++i) {
      if (causes[i].empty()) usable.push_back(std::move(set.puzzles[i]));
    }
  }
  LinkPuzzleSet(usable, options.chain);

  std::vector<SetResult> results(usable.size(), NotBegun());
  const std::string prefix = DeriveWorkPaths(set.destination).filePrefix;
  if (CaughtInterrupt() == 0) {
    SetProgress progress(err, terminal, usable.size());
    const std::unique_ptr<PackageConverter> converter =
        MakeLibraryConverter(env, [&](const std::string& text) {
          progress.Print(
              err, "klvmake: " + PictureOfThisThread() + ": " + LibraryMessageLine(language, text));
        });
    run.converter = converter.get();
    run.progress = &progress;
    results = RunPuzzleSet(usable, run, [&](size_t i, const SetResult& result) {
      if (result.made) {
        progress.Print(out, DisplayText(prefix + result.packageFile));
      } else if (!result.stopped) {
        progress.Print(err, "klvmake: " + usable[i].picture.utf8 + ": " + result.cause);
      }
    });
    progress.End(CaughtInterrupt() != 0);
  }
  for (const std::string& line : BrokenChainLines(usable, results)) say(line);

  const size_t made = static_cast<size_t>(
      std::count_if(results.begin(), results.end(), [](const SetResult& r) { return r.made; }));
  const size_t all = set.pictures.size();
  int status = made == all ? kAllMade : kSomeFailed;
  if (options.manifest) {
    const std::string text = ManifestText(usable, results);
    const Status written = set.manifest.Write(std::vector<uint8_t>(text.begin(), text.end()));
    if (!written.ok()) {
      say(*options.manifest + ": cannot write the manifest: " + written.reason());
      status = kSomeFailed;
    }
  }
  out << made << " of " << all << " puzzles made in " << DisplayText(set.destination);
  if (const int signal = CaughtInterrupt()) {
    out << "; interrupted, the others were not made\n" << std::flush;
    return InterruptedStatus(signal);
  }
  if (made != all) out << "; " << all - made << " failed";
  out << '\n' << std::flush;
  return status;
}

}  // namespace klv
