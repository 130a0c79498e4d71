// Helpers of the Wine tests: running programs of both builds with a time limit,
// Windows names for Linux paths, Wine drive letters, and folder comparison.
#include "tests/wine/wine_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace klv::winetest {
namespace {

// A hung program (a message box nobody can see, say) fails its test instead of holding
// up the run.
constexpr auto kTimeLimit = std::chrono::seconds(120);

void Append16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Append32(Bytes& out, uint32_t v) {
  Append16(out, static_cast<uint16_t>(v));
  Append16(out, static_cast<uint16_t>(v >> 16));
}

uint32_t Le32(const Bytes& bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

Bytes Pattern(size_t count, uint8_t seed) {
  Bytes bytes(count);
  uint32_t state = 0x9E3779B9u * (seed + 1u);
  for (uint8_t& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(state >> 24);
  }
  return bytes;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs `argv` with `extra_env` added to (and `drop_env` removed from) the environment;
// standard output and error are caught in files of a temporary folder.
RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& extra_env,
              const std::vector<std::string>& drop_env) {
  TempFolder capture;
  const std::string out_path = capture.File("out");
  const std::string err_path = capture.File("err");

  std::vector<std::string> env_strings;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string item = *entry;
    const std::string name = item.substr(0, item.find('='));
    bool replaced = false;
    for (const std::string& drop : drop_env) replaced = replaced || name == drop;
    for (const std::string& extra : extra_env) {
      replaced = replaced || extra.compare(0, name.size() + 1, name + "=") == 0;
    }
    if (!replaced) env_strings.push_back(item);
  }
  env_strings.insert(env_strings.end(), extra_env.begin(), extra_env.end());
  std::vector<char*> envp;
  for (std::string& item : env_strings) envp.push_back(item.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (std::string& arg : args) argp.push_back(arg.data());
  argp.push_back(nullptr);

  RunResult result;
  const pid_t pid = fork();
  if (pid < 0) {
    result.err = std::string("fork failed: ") + std::strerror(errno);
    return result;
  }
  if (pid == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execve(argp[0], argp.data(), envp.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (!result.timed_out && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  result.out = ReadWhole(out_path);
  result.err = ReadWhole(err_path);
  return result;
}

std::string DriveLink(char letter) {
  return std::string(KLV_WINE_HOME) + "/prefix/dosdevices/" + letter + ":";
}

}  // namespace

Bytes MakeBitmap(const BitmapFields& fields) {
  uint32_t entries = fields.used_colors;
  if (fields.table_entries) {
    entries = *fields.table_entries;
  } else if (entries == 0 && (fields.bit_count == 1 || fields.bit_count == 4 ||
                              fields.bit_count == 8)) {
    entries = 1u << fields.bit_count;
  }
  const uint64_t row = (uint64_t{fields.bit_count} * static_cast<uint32_t>(fields.width) + 31) /
                       32 * 4;
  const uint64_t rows = fields.height < 0 ? -int64_t{fields.height} : fields.height;
  const Bytes pixels = Pattern(fields.pixel_bytes.value_or(row * rows), fields.seed);

  Bytes info;
  if (fields.header_size == 12) {
    Append32(info, 12);
    Append16(info, static_cast<uint16_t>(fields.width));
    Append16(info, static_cast<uint16_t>(fields.height));
    Append16(info, 1);
    Append16(info, fields.bit_count);
  } else {
    Append32(info, fields.header_size);
    Append32(info, static_cast<uint32_t>(fields.width));
    Append32(info, static_cast<uint32_t>(fields.height));
    Append16(info, 1);
    Append16(info, fields.bit_count);
    Append32(info, fields.compression);
    Append32(info, fields.image_size);
    Append32(info, 2835);
    Append32(info, 2835);
    Append32(info, fields.used_colors);
    Append32(info, 0);
    if (fields.header_size > 40) info.resize(fields.header_size, 0);
  }
  const Bytes table = Pattern(size_t{entries} * 4, static_cast<uint8_t>(fields.seed + 101));
  Bytes file = {'B', 'M'};
  Append32(file, static_cast<uint32_t>(14 + info.size() + table.size() + pixels.size()));
  Append32(file, 0);
  Append32(file, static_cast<uint32_t>(14 + info.size() + table.size()));
  file.insert(file.end(), info.begin(), info.end());
  file.insert(file.end(), table.begin(), table.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

bool IsWellFormedRiff(const Bytes& file) {
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0) return false;
  if (uint64_t{Le32(file, 4)} + 8 != file.size()) return false;
  size_t at = 12;
  while (at < file.size()) {
    if (file.size() - at < 8) return false;
    const uint64_t size = Le32(file, at + 4);
    const uint64_t end = at + 8 + size;
    if (end > file.size()) return false;
    if (size % 2 != 0 && (end >= file.size() || file[end] != 0)) return false;
    at = static_cast<size_t>(end + size % 2);
  }
  return at == file.size();
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "klv-wine-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  EXPECT_FALSE(path_.empty()) << "cannot make a temporary folder";
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  EXPECT_TRUE(out.good()) << "cannot write " << path;
}

void WriteText(const std::string& path, const std::string& text) {
  WriteFile(path, Bytes(text.begin(), text.end()));
}

RunResult RunLinux(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv{std::string(KLV_LINUX_BIN) + "/" + program};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv, {}, {});
}

RunResult RunWine(const std::string& program, const std::vector<std::string>& args,
                  const std::string& locale) {
  std::vector<std::string> argv{KLV_WINE_PROGRAM,
                                std::string(KLV_WINDOWS_BIN) + "/" + program + ".exe"};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string home = KLV_WINE_HOME;
  // KLV_WINEDEBUG=err+all shows Wine's own errors when a test needs looking into.
  const char* debug = std::getenv("KLV_WINEDEBUG");
  return Run(argv,
             {"WINEPREFIX=" + home + "/prefix",
              std::string("WINEDEBUG=") + (debug != nullptr ? debug : "-all"),
              "WINEDLLOVERRIDES=mscoree,mshtml=", "LOCPATH=" + home + "/locale",
              "LC_ALL=" + locale},
             // Without a display no window can open, so no dialog can wait for a click.
             {"DISPLAY", "WAYLAND_DISPLAY"});
}

std::string WindowsPath(const std::string& linux_path) {
  std::string path = "Z:" + linux_path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

bool MapWineDrive(char letter, const std::string& folder) {
  UnmapWineDrive(letter);
  std::error_code error;
  std::filesystem::create_directory_symlink(folder, DriveLink(letter), error);
  return !error;
}

void UnmapWineDrive(char letter) {
  std::error_code ignored;
  std::filesystem::remove(DriveLink(letter), ignored);
}

std::map<std::string, Bytes> FolderFiles(const std::string& folder) {
  std::map<std::string, Bytes> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] =
        Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

std::string FolderDifference(const std::map<std::string, Bytes>& linux_files,
                             const std::map<std::string, Bytes>& windows_files) {
  std::ostringstream report;
  for (const auto& [name, bytes] : linux_files) {
    const auto other = windows_files.find(name);
    if (other == windows_files.end()) {
      report << "only the Linux build left \"" << name << "\"\n";
      continue;
    }
    if (bytes == other->second) continue;
    size_t at = 0;
    while (at < bytes.size() && at < other->second.size() && bytes[at] == other->second[at]) {
      ++at;
    }
    report << "\"" << name << "\" differs: Linux " << bytes.size() << " bytes, Windows "
           << other->second.size() << " bytes, first difference at offset " << at << "\n";
  }
  for (const auto& [name, bytes] : windows_files) {
    if (linux_files.count(name) == 0) report << "only the Windows build left \"" << name << "\"\n";
  }
  return report.str();
}

std::string Describe(const RunResult& run) {
  std::ostringstream text;
  text << "exit " << run.exit_code << (run.timed_out ? " (timed out)" : "") << "\n--- stdout\n"
       << run.out << "--- stderr\n"
       << run.err;
  return text.str();
}

}  // namespace klv::winetest
