// klvmake's puzzle sets: the planning before anything is made (pictures, names, seeds,
// passwords, chain), the manifest, the progress line, and the workers that make several
// pictures at once, each in a private work folder of its own.
#include "puzzle_set.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <utility>

#include "base/codepage.h"
#include "base/named_output.h"
#include "base/text.h"
#include "base/work_folder.h"
#include "maker/make.h"
#include "maker/make_values.h"
#include "maker/picture_reader.h"
#include "maker/source_picture.h"

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

// The key under which two package names are the same file: on Windows the file system
// does not tell ASCII letters' cases apart (a trail byte is no letter).
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

// Makes puzzle `puzzle` into the destination; the make works in a private folder of its
// own there, so makes running at once never meet.
SetResult MakeOne(const SetPuzzle& puzzle, const SetRun& run) {
  SetResult result;
  SourceError source_error;
  std::optional<Raster> picture =
      ReadSourcePicture(*run.env, *puzzle.picture.path,
                        SourceOptions{run.options->fit, run.options->crop}, &source_error);
  if (!picture) {
    const std::string message = SourceErrorMessage("", source_error);
    result.cause = message.starts_with(": ") ? message.substr(2) : message;
    return result;
  }
  result.grid = GridForPicture(picture->width, picture->height);

  MakeRequest request;
  request.source = std::move(*picture);
  request.grid = result.grid;
  request.workFolder = run.destination;
  request.puzzleName = puzzle.texts.puzzleName;
  request.puzzleSetName = puzzle.texts.puzzleSetName;
  request.comment = puzzle.texts.comment;
  request.password = puzzle.password;
  request.prevPassword = puzzle.prevPassword;
  request.pieceDensityText = run.options->pieceDensity;
  request.backgroundDensityText = run.options->backgroundDensity;
  request.backColorIndex = run.options->colorIndex;
  request.seed = puzzle.seed;
  const MakeResult made = MakePuzzle(*run.env, request, *run.converter);
  if (made.status != MakeStatus::kPackageWritten) {
    result.cause = made.cause;
    return result;
  }
  result.made = true;
  return result;
}

}  // namespace

bool IsPuzzleSet(const Options& options) {
  return options.pictures.size() > 1 || options.chain || options.manifest ||
         (options.pictures.size() == 1 && IsFolder(*options.pictures[0].path));
}

std::optional<std::vector<ProgramArgument>> ListSetPictures(
    Env& env, const std::vector<ProgramArgument>& arguments, std::string* error) {
  const auto folder = std::find_if(arguments.begin(), arguments.end(),
                                   [](const ProgramArgument& a) { return IsFolder(*a.path); });
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
    if (!IsReadablePictureName(name)) continue;
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

std::string PackageFileName(const std::string& cp932) {
  const std::string kept(CutToByteLimit(cp932, kPuzzleNameBytes));
#if defined(_WIN32)
  return kept + kPackageExtension;
#else
  return Cp932ToUtf8(kept).value_or(kept) + kPackageExtension;
#endif
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
                                                    uint32_t base_seed, std::string* error) {
  if (pictures.size() > 1 && options.name) {
    *error = "--name names one puzzle; with several pictures each is named after its file";
    return std::nullopt;
  }
  if (options.keepWorkFiles) {
    *error = "--keep-work-files is for one picture without --chain or --manifest";
    return std::nullopt;
  }
  std::vector<SetPuzzle> puzzles;
  std::map<std::string, size_t> by_package;  // SameFileKey of the package name -> puzzle
  for (size_t i = 0; i < pictures.size(); ++i) {
    Options own = options;
    own.picture = pictures[i];
    std::optional<PackageTexts> texts = ReadPackageTexts(own, error);
    if (!texts) return std::nullopt;
    SetPuzzle puzzle{pictures[i], std::move(*texts), "", SetSeed(base_seed, i), "", {}};
    puzzle.packageName = PackageFileName(puzzle.texts.puzzleName);
    const auto [place, added] = by_package.emplace(SameFileKey(puzzle.packageName), i);
    if (!added) {
      *error = "\"" + puzzles[place->second].picture.utf8 + "\" and \"" + pictures[i].utf8 +
               "\" would both make the package " + Cp932ForDisplay(puzzle.packageName) +
               "; rename one of them";
      return std::nullopt;
    }
    RandomSource password_source(puzzle.seed);
    puzzle.password = MakePuzzlePassword(password_source);
    if (options.chain) puzzle.prevPassword = i == 0 ? "" : puzzles.back().password;
    puzzles.push_back(std::move(puzzle));
  }
  return puzzles;
}

std::string ManifestText(const std::vector<SetPuzzle>& puzzles,
                         const std::vector<SetResult>& results) {
  std::string text;
  for (size_t i = 0; i < puzzles.size() && i < results.size(); ++i) {
    if (!results[i].made) continue;
    const SetPuzzle& puzzle = puzzles[i];
    const std::string fields[] = {
        puzzle.picture.utf8,
        Cp932ForDisplay(puzzle.packageName),
        Cp932ForDisplay(puzzle.texts.puzzleName),
        puzzle.password,
        puzzle.prevPassword.value_or(""),
        std::to_string(results[i].grid.xMax) + "x" + std::to_string(results[i].grid.yMax),
    };
    for (const std::string& field : fields) {
      if (&field != &fields[0]) text += '\t';
      text += ManifestField(field);
    }
    text += '\n';
  }
  return text;
}

SetProgress::SetProgress(std::ostream& terminal, bool is_terminal, size_t all)
    : terminal_(terminal), is_terminal_(is_terminal), all_(all), start_seconds_(NowSeconds()) {}

void SetProgress::Started(const std::string& picture) {
  std::lock_guard<std::mutex> lock(mutex_);
  current_ = picture;
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

void SetProgress::End() {
  std::lock_guard<std::mutex> lock(mutex_);
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

std::vector<SetResult> RunPuzzleSet(const std::vector<SetPuzzle>& puzzles, const SetRun& run) {
  std::vector<SetResult> results(puzzles.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < puzzles.size(); i = next++) {
      if (run.progress != nullptr) run.progress->Started(puzzles[i].picture.utf8);
      t_picture = &puzzles[i].picture.utf8;
      results[i] = MakeOne(puzzles[i], run);
      t_picture = nullptr;
      if (run.finished) run.finished(i, results[i]);
      if (run.progress != nullptr) run.progress->Finished();
    }
  };
  const unsigned jobs =
      static_cast<unsigned>(std::max<size_t>(1, std::min<size_t>(run.jobs, puzzles.size())));
  std::vector<std::thread> workers;
  for (unsigned j = 1; j < jobs; ++j) workers.emplace_back(work);
  work();
  for (std::thread& worker : workers) worker.join();
  return results;
}

int RunPuzzleSetCommand(const Options& options, std::ostream& out, std::ostream& err) {
  constexpr int kAllMade = 0, kSomeFailed = 1, kUsage = 2;
  auto print_error = [&err](const std::string& text) { err << "klvmake: " << text << '\n'; };
  Env& env = Env::Default();
  std::string error;
  const std::optional<std::vector<ProgramArgument>> pictures =
      ListSetPictures(env, options.pictures, &error);
  if (!pictures) {
    print_error(error);
    // A folder beside other arguments is a usage error; a folder without pictures is not.
    return options.pictures.size() > 1 ? kUsage : kSomeFailed;
  }
  const uint32_t base_seed = options.seed ? *options.seed : RandomSource::ClockSeed();
  const std::optional<std::vector<SetPuzzle>> puzzles =
      PlanPuzzleSet(options, *pictures, base_seed, &error);
  if (!puzzles) {
    print_error(error);
    return kUsage;
  }
  // What the manifest's name is gets decided now; it is written at the end.
  NamedOutput manifest;
  if (options.manifest) {
    const Status decided =
        NamedOutput::ForFile(*options.manifest, NamedOutput::Access::kPrivate, &manifest);
    if (!decided.ok()) {
      print_error(*options.manifest + ": cannot write the manifest: " + decided.reason());
      return kUsage;
    }
    for (const ProgramArgument& picture : *pictures) {
      if (SameFile(*options.manifest, *picture.path)) {
        print_error(*options.manifest + ": the manifest would overwrite the picture " +
                    picture.utf8);
        return kUsage;
      }
    }
  }
  std::string destination = options.out;
  if (destination.empty()) destination = CurrentFolder().value_or("");
  if (const Status usable = CheckFolder(destination); !usable.ok()) {
    print_error(destination + ": the destination " + usable.reason());
    return kSomeFailed;
  }
  for (const SetPuzzle& puzzle : *puzzles) {
    for (const std::string& warning : puzzle.texts.warnings) {
      err << "klvmake: warning: " << puzzle.picture.utf8 << ": " << warning << '\n';
    }
  }

  SetProgress progress(err, StandardErrorIsTerminal(), puzzles->size());
  const std::string prefix = DeriveWorkPaths(destination).filePrefix;
  const std::unique_ptr<PackageConverter> converter =
      MakeLibraryConverter(env, [&](const std::string& text) {
        progress.Print(
            err, "klvmake: " + PictureOfThisThread() + ": KLVUtils: " + OneLine(DisplayText(text)));
      });
  SetRun run;
  run.env = &env;
  run.converter = converter.get();
  run.destination = destination;
  run.options = &options;
  run.jobs = options.jobs ? *options.jobs : std::max(1u, std::thread::hardware_concurrency());
  run.progress = &progress;
  run.finished = [&](size_t index, const SetResult& result) {
    const SetPuzzle& puzzle = (*puzzles)[index];
    if (result.made) {
      progress.Print(out, DisplayText(prefix + puzzle.packageName));
    } else {
      progress.Print(err, "klvmake: " + puzzle.picture.utf8 + ": " + result.cause);
    }
  };
  const std::vector<SetResult> results = RunPuzzleSet(*puzzles, run);
  progress.End();

  const size_t made = static_cast<size_t>(
      std::count_if(results.begin(), results.end(), [](const SetResult& r) { return r.made; }));
  int status = made == results.size() ? kAllMade : kSomeFailed;
  if (options.manifest) {
    const std::string text = ManifestText(*puzzles, results);
    const Status written = manifest.Write(std::vector<uint8_t>(text.begin(), text.end()));
    if (!written.ok()) {
      print_error(*options.manifest + ": cannot write the manifest: " + written.reason());
      status = kSomeFailed;
    }
  }
  out << made << " of " << results.size() << " puzzles made in " << DisplayText(destination);
  if (made != results.size()) out << "; " << results.size() - made << " failed";
  out << '\n' << std::flush;
  return status;
}

}  // namespace klv
