// Tests of the callers' side of KLVUtils: loading the library by its bare name, and the
// library's messages routed into the caller until the client is gone.
#include "client/klvutils_client.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/platform.h"
#include "klvtest/test_support.h"

namespace klv {
namespace {

using test::TempFolder;

// A library that exists but exports nothing.
class EmptyLibrary : public SharedLibrary {
 public:
  void* FindEntry(const char*) override { return nullptr; }
};

class EnvWithEmptyLibrary : public test::FakeEnv {
 public:
  Status LoadSharedLibrary(const std::string&, std::unique_ptr<SharedLibrary>* library) override {
    *library = std::make_unique<EmptyLibrary>();
    return Status::OK();
  }
};

TEST(KLVUtilsClient, LoadSaysWhatIsMissing) {
  test::FakeEnv no_library;
  std::unique_ptr<KLVUtilsClient> client;
  Status status = KLVUtilsClient::Load(no_library, &client);
  EXPECT_EQ(client, nullptr);
  EXPECT_EQ(status.context(), "KLVUtils");
  EXPECT_FALSE(status.reason().empty());

  EnvWithEmptyLibrary no_entry;
  status = KLVUtilsClient::Load(no_entry, &client);
  EXPECT_EQ(client, nullptr);
  EXPECT_NE(status.reason().find("FileConv"), std::string::npos) << status.ToString();
}

TEST(KLVUtilsClient, RoutesTheLibrarysMessagesUntilItIsDestroyed) {
  TempFolder empty;
  std::unique_ptr<KLVUtilsClient> client;
  const Status loaded = KLVUtilsClient::Load(Env::Default(), &client);
  ASSERT_TRUE(loaded.ok()) << loaded.ToString();
  std::vector<std::string> messages;
  ASSERT_TRUE(client->SetMessageHandler(
      [&messages](const std::string& text) { messages.push_back(text); }));
  // A folder without base.bmp cannot give a package.
  EXPECT_EQ(client->FileConv(empty.path()), 0);
  EXPECT_FALSE(messages.empty());
  const size_t seen = messages.size();
  client.reset();

  // The next client has no handler: the messages take the default way (standard error).
  std::unique_ptr<KLVUtilsClient> second;
  ASSERT_TRUE(KLVUtilsClient::Load(Env::Default(), &second).ok());
  testing::internal::CaptureStderr();
  EXPECT_EQ(second->FileConv(empty.path()), 0);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
  EXPECT_EQ(messages.size(), seen);
}

}  // namespace
}  // namespace klv
