// Tests of the rule for outputs a person names, on real files: what a name is gets decided
// once; a file is replaced whole, a link replaced and never followed, even one that
// appears after the decision; a failure leaves nothing. (The programs' tests cover pipes,
// devices and folders.)
#include "base/named_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "klvtest/test_support.h"

namespace klv {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::TempFolder;
using Lay = std::function<void(const TempFolder& t)>;

TEST(NamedOutput, FilesAreDecidedOnceAndReplacedWhole) {
  const mode_t saved_umask = ::umask(022);
  const Lay nothing = [](const TempFolder&) {};
  const Lay link = [](const TempFolder& t) { fs::create_symlink(t.File("kept"), t.File("out")); };
  const auto kShared = NamedOutput::Access::kShared;
  const struct {
    const char* name;
    Lay before, meanwhile;  // the decision is made between the two
    NamedOutput::Access access;
    const char* path;
    rlim_t size_limit;
    std::string error;  // of the decision or the write; "" for none
    unsigned mode;      // of the file under the name afterwards; 0 for none
  } cases[] = {
      {"new", nothing, nothing, kShared, "out", RLIM_INFINITY, "", 0644},
      {"new and private", nothing, nothing, NamedOutput::Access::kPrivate, "out", RLIM_INFINITY, "",
       0600},
      {"existing file",
       [](const TempFolder& t) {
         test::WriteDiskText(t.File("out"), "old");
         fs::permissions(t.File("out"), fs::perms(0640));
       },
       nothing, kShared, "out", RLIM_INFINITY, "", 0640},
      {"link to a file", link, nothing, kShared, "out", RLIM_INFINITY, "", 0644},
      {"link appearing meanwhile", nothing, link, kShared, "out", RLIM_INFINITY, "", 0644},
      {"folder", [](const TempFolder& t) { fs::create_directory(t.File("out")); }, nothing, kShared,
       "out", RLIM_INFINITY, "is a folder", 0},
      {"missing folder", nothing, nothing, kShared, "none/out", RLIM_INFINITY, "its folder", 0},
      {"full disk", nothing, nothing, kShared, "out", 2, "File too large", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder t;
    test::WriteDiskText(t.File("kept"), "kept");
    c.before(t);
    NamedOutput output;
    Status status = NamedOutput::ForFile(t.File(c.path), c.access, &output);
    c.meanwhile(t);
    if (status.ok()) {
      test::FileSizeLimit limit(c.size_limit);
      status = output.Write({'n', 'e', 'w'});
    }
    EXPECT_EQ(status.ok(), c.error.empty()) << status.ToString();
    EXPECT_NE(status.reason().find(c.error), std::string::npos) << status.ToString();
    struct stat st;
    const bool file = ::lstat(t.File(c.path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    EXPECT_EQ(file ? st.st_mode & 07777 : 0u, c.mode);
    if (c.mode != 0) {
      EXPECT_EQ(test::ReadDiskFile(t.File(c.path)), (Bytes{'n', 'e', 'w'}));
    }
    EXPECT_EQ(test::ReadDiskFile(t.File("kept")), (Bytes{'k', 'e', 'p', 't'}));
    // No temporary file is left beside the name.
    EXPECT_EQ(test::DiskFolderNames(t.path()).size(), fs::exists(t.File("out")) ? 2u : 1u);
  }
  ::umask(saved_umask);
}

}  // namespace
}  // namespace klv
