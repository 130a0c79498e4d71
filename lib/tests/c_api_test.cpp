// Tests of the exports of libKLVUtils called directly, as a host program binds them: the
// message handler, and what KLVUtils.h promises to threads.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "KLVUtils.h"
#include "base/platform.h"
#include "conversion/messages.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

using test::MakeBmp;
using test::PuzzleIni;
using test::TempFolder;

class KLVUtilsLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Env::Default().LoadSharedLibrary("KLVUtils", &library_).ok());
    file_conv_ = reinterpret_cast<FileConvFunction>(library_->FindEntry("FileConv"));
    set_handler_ =
        reinterpret_cast<KLVSetMessageHandlerFunction>(library_->FindEntry("KLVSetMessageHandler"));
    ASSERT_TRUE(file_conv_);
    ASSERT_TRUE(set_handler_);
  }
  // No handler may outlive the test's own objects, whatever the assertions do.
  void TearDown() override {
    if (set_handler_ != nullptr) set_handler_(nullptr, nullptr);
  }

  // A work folder of a 1 by 1 grid for the package `name`.klv, without base.bmp unless
  // `complete`.
  static void FillWorkFolder(const TempFolder& folder, const std::string& name, bool complete) {
    test::WriteDiskFile(folder.File("res0000.bmp"), MakeBmp({.width = 64, .height = 64}));
    if (complete) {
      test::WriteDiskFile(folder.File("base.bmp"), MakeBmp({.width = 64, .height = 64}));
    }
    test::WriteDiskText(folder.File("Puzzle.ini"),
                        PuzzleIni({{"xMax", "1"}, {"yMax", "1"}, {"PuzzleName", name}}));
  }

  std::unique_ptr<SharedLibrary> library_;
  FileConvFunction file_conv_ = nullptr;
  KLVSetMessageHandlerFunction set_handler_ = nullptr;
};

void KeepMessage(const char* text, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(text);
}

TEST_F(KLVUtilsLibrary, ExportsReportThroughTheInstalledHandler) {
  EXPECT_EQ(file_conv_(nullptr), 0);
  std::vector<std::string> messages;
  set_handler_(&KeepMessage, &messages);
  TempFolder work;
  EXPECT_EQ(file_conv_(work.path().c_str()), 0);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], MessageText(Message::kLoadFailed, work.File("base.bmp")));

  test::WriteDiskFile(work.File("base.bmp"), MakeBmp({}));
  messages.clear();
  EXPECT_EQ(file_conv_(work.path().c_str()), 1);
  EXPECT_TRUE(messages.empty());
}

// One call waits inside the handler, on its own thread, until a call on another thread
// has written its package: the calls overlap, each over its own state, and the handler
// installed on the test's thread serves both.
TEST_F(KLVUtilsLibrary, CallsOnTwoThreadsRunAtOnceEachOverItsOwnState) {
  TempFolder failing, good;
  FillWorkFolder(failing, "A", false);
  FillWorkFolder(good, "B", true);
  struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool waiting = false;    // the failing call is inside the handler
    bool good_done = false;  // the good call has returned
    std::vector<std::pair<std::thread::id, std::string>> messages;
  } shared;
  set_handler_(
      [](const char* text, void* context) {
        auto* shared = static_cast<Shared*>(context);
        std::unique_lock<std::mutex> lock(shared->mutex);
        shared->messages.emplace_back(std::this_thread::get_id(), text);
        shared->waiting = true;
        shared->changed.notify_all();
        shared->changed.wait_for(lock, std::chrono::seconds(60), [&] { return shared->good_done; });
      },
      &shared);

  int16_t failing_result = -1, good_result = -1;
  bool overlapped = false;
  std::thread failing_thread([&] { failing_result = file_conv_(failing.path().c_str()); });
  const std::thread::id failing_id = failing_thread.get_id();
  std::thread good_thread([&] {
    {
      std::unique_lock<std::mutex> lock(shared.mutex);
      shared.changed.wait_for(lock, std::chrono::seconds(60), [&] { return shared.waiting; });
    }
    good_result = file_conv_(good.path().c_str());
    std::lock_guard<std::mutex> lock(shared.mutex);
    overlapped = shared.messages.size() == 1;  // the failing call is still at its first
    shared.good_done = true;
    shared.changed.notify_all();
  });
  failing_thread.join();
  good_thread.join();

  EXPECT_TRUE(overlapped);
  EXPECT_EQ(good_result, 1);
  EXPECT_EQ(failing_result, 0);
  const std::vector<std::pair<std::thread::id, std::string>> expected = {
      {failing_id, MessageText(Message::kLoadFailed, failing.File("base.bmp"))},
      {failing_id,
       MessageText(Message::kSaveFailed, failing.File("A.klv"), SaveCause::kPictureMissing,
                   failing.File("base.bmp"), std::strerror(ENOENT))}};
  EXPECT_EQ(shared.messages, expected);
  // The package written alongside is the one the folder gives alone.
  const std::optional<test::Bytes> written = test::ReadDiskFile(good.File("B.klv"));
  set_handler_(nullptr, nullptr);
  ASSERT_EQ(file_conv_(good.path().c_str()), 1);
  EXPECT_EQ(written, test::ReadDiskFile(good.File("B.klv")));
}

// The handler may install another handler, which gets the call's later messages; a call
// of FileConv from inside it returns 0 and writes nothing.
TEST_F(KLVUtilsLibrary, TheHandlerMayReplaceItselfButNotCallFileConv) {
  TempFolder failing, good;
  FillWorkFolder(good, "B", true);
  struct Context {
    FileConvFunction file_conv;
    KLVSetMessageHandlerFunction set_handler;
    std::string good;
    int16_t inner_result = -1;
    std::vector<std::string> first = {}, second = {};
  } context{file_conv_, set_handler_, good.path()};
  set_handler_(
      [](const char* text, void* data) {
        auto* context = static_cast<Context*>(data);
        context->first.push_back(text);
        context->inner_result = context->file_conv(context->good.c_str());
        context->set_handler(&KeepMessage, &context->second);
      },
      &context);
  EXPECT_EQ(file_conv_(failing.path().c_str()), 0);
  EXPECT_EQ(context.inner_result, 0);
  EXPECT_EQ(test::DiskFolderNames(good.path()),
            (std::vector<std::string>{"Puzzle.ini", "base.bmp", "res0000.bmp"}));
  EXPECT_EQ(context.first,
            std::vector<std::string>{MessageText(Message::kLoadFailed, failing.File("base.bmp"))});
  EXPECT_EQ(context.second.size(), 1u);
  // Outside a handler the same folder gives its package.
  EXPECT_EQ(file_conv_(good.path().c_str()), 1);
}

}  // namespace
}  // namespace klv
