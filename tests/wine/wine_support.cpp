// Helpers of the Wine tests: running programs of both builds with a time limit,
// Windows names for Linux paths, Wine drive letters, and folder comparison.
#include "wine_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

extern char** environ;

namespace klv::winetest {
namespace {

// A hung program (a message box nobody can see, say) fails its test instead of holding
// up the run.
constexpr auto kTimeLimit = std::chrono::seconds(120);

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

RunResult RunLinux(const std::string& program, const std::vector<std::string>& args,
                   const std::string& language) {
  std::vector<std::string> argv{std::string(KLV_LINUX_BIN) + "/" + program};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv, {"LANGUAGE=" + language}, {});
}

RunResult RunWine(const std::string& program, const std::vector<std::string>& args,
                  const std::string& locale, const std::string& ui_locale) {
  std::vector<std::string> argv{KLV_WINE_PROGRAM,
                                std::string(KLV_WINDOWS_BIN) + "/" + program + ".exe"};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string home = KLV_WINE_HOME;
  // KLV_WINEDEBUG=err+all shows Wine's own errors when a test needs looking into.
  const char* debug = std::getenv("KLV_WINEDEBUG");
  std::vector<std::string> environment{
      "WINEPREFIX=" + home + "/prefix",
      std::string("WINEDEBUG=") + (debug != nullptr ? debug : "-all"),
      "WINEDLLOVERRIDES=mscoree,mshtml=", "LOCPATH=" + home + "/locale"};
  // Wine takes the code page from the locale's character type and the user's language
  // from its messages.
  if (ui_locale.empty()) {
    environment.push_back("LC_ALL=" + locale);
  } else {
    environment.push_back("LANG=" + locale);
    environment.push_back("LC_MESSAGES=" + ui_locale);
  }
  // Without a display no window can open, so no dialog can wait for a click.
  return Run(argv, environment, {"DISPLAY", "WAYLAND_DISPLAY", "LC_ALL", "LC_CTYPE", "LANGUAGE"});
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
    std::optional<Bytes> bytes = ReadDiskFile(entry.path().string());
    files[entry.path().filename().string()] = bytes ? std::move(*bytes) : Bytes();
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
