// The bad-input tables' harness: see program_table.h.
#include "klvtest/program_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "maker/bitmap_codec.h"
#include "maker/raster.h"

namespace klv::test {
namespace {

namespace fs = std::filesystem;

// A child that has not ended after this long is taken for a hang.
constexpr unsigned kTimeoutSeconds = 60;
// The exit status of a child that could not give up root's privileges.
constexpr int kCannotDropRoot = 125;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Expand(const std::vector<std::string>& args, const fs::path& root) {
  std::vector<std::string> out;
  const std::string path = root.string();
  for (std::string arg : args) {
    for (size_t at = arg.find('@'); at != std::string::npos; at = arg.find('@', at + path.size())) {
      arg.replace(at, 1, path);
    }
    out.push_back(arg);
  }
  return out;
}

// Gives the owner every right on `folder` and everything in it, so that it can go.
void MakeRemovable(const fs::path& folder) {
  std::error_code ignored;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (const auto& entry : fs::recursive_directory_iterator(folder, ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
}

}  // namespace

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) {
  WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> Picture(int width, int height) {
  Raster raster = Raster::Filled(width, height, 0x336699);
  return EncodeBitmap24(raster);
}

std::vector<uint8_t> TopDownPicture(int width, int height) {
  std::vector<uint8_t> bytes = Picture(width, height);
  const uint32_t negative = static_cast<uint32_t>(-height);
  for (int i = 0; i < 4; ++i) bytes[22 + i] = static_cast<uint8_t>(negative >> (8 * i));
  return bytes;
}

void ProgramTableTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  root_ = fs::temp_directory_path() /
          ("klv_bad_input_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
  fs::remove_all(root_);
  fs::create_directories(root_);
  // Unprivileged runs must reach the inputs.
  fs::permissions(root_, fs::perms(0755));
}

void ProgramTableTest::TearDown() {
  MakeRemovable(root_);
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

// Runs `program` with `args`; with `unprivileged`, a run as root first gives up root's
// privileges so that permission bits apply to it.
ProgramTableTest::Outcome ProgramTableTest::Run(const std::string& program,
                                                const std::vector<std::string>& args,
                                                bool unprivileged) {
  const fs::path out_path = root_ / ".stdout", err_path = root_ / ".stderr";
  const std::string binary = std::string(KLV_BINARY_DIR) + "/" + program;
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    if (unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
      _exit(kCannotDropRoot);
    }
    alarm(kTimeoutSeconds);  // survives the exec: a hang ends by SIGALRM
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  int raw = 0;
  waitpid(pid, &raw, 0);
  Outcome outcome;
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (WIFSIGNALED(raw)) {
    outcome.err = "[ended by signal " + std::to_string(WTERMSIG(raw)) + "] ";
  }
  outcome.out = ReadText(out_path);
  outcome.err += ReadText(err_path);
  fs::remove(out_path);
  fs::remove(err_path);
  return outcome;
}

void ProgramTableTest::RunTable(const std::string& program, const std::vector<Case>& cases) {
  const fs::path root = root_ / "case";
  std::string unchecked;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeRemovable(root);
    fs::remove_all(root);
    fs::create_directories(root);
    fs::permissions(root, fs::perms(0755));
    c.prepare(root);
    const Outcome outcome = Run(program, Expand(c.args, root), c.unprivileged);
    if (outcome.status == kCannotDropRoot) {
      unchecked += std::string(" \"") + c.name + "\"";
      continue;
    }
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    for (const std::string& fragment : c.said) {
      const std::string expanded = Expand({fragment}, root)[0];
      EXPECT_NE(outcome.err.find(expanded), std::string::npos)
          << "standard error lacks \"" << expanded << "\":\n"
          << outcome.err;
    }
    if (!c.leaves.empty()) {
      EXPECT_TRUE(fs::exists(root / c.leaves)) << c.leaves << " was not written";
    }
  }
  if (!unchecked.empty()) {
    GTEST_SKIP() << "running as root without the right to change user, so permission bits "
                    "do not apply; not checked:"
                 << unchecked;
  }
}

}  // namespace klv::test
