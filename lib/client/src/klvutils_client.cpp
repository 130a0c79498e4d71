// The caller's side of the package library: KLVUtils is loaded by its bare name at run
// time, as the maker does at its first FileConv, and its exports are bound by name. The
// library's messages can be routed back into the caller through a trampoline.
#include "client/klvutils_client.h"

#include <utility>

#include "base/platform.h"

namespace klv {

Status KLVUtilsClient::Load(Env& env, std::unique_ptr<KLVUtilsClient>* client) {
  std::unique_ptr<SharedLibrary> library;
  Status status = env.LoadSharedLibrary(kLibraryName, &library);
  if (!status.ok()) return status;
  void* file_conv = library->FindEntry("FileConv");
  if (file_conv == nullptr)
    return Status::IOError(kLibraryName, "the library has no entry FileConv");
  std::unique_ptr<KLVUtilsClient> loaded(new KLVUtilsClient);
  loaded->file_conv_ = reinterpret_cast<FileConvFunction>(file_conv);
  // The message export is optional: without it the library reports in its own way.
  loaded->set_handler_ =
      reinterpret_cast<KLVSetMessageHandlerFunction>(library->FindEntry("KLVSetMessageHandler"));
  loaded->library_ = std::move(library);
  *client = std::move(loaded);
  return Status::OK();
}

KLVUtilsClient::~KLVUtilsClient() {
  // The library must not keep a pointer into this object once it is gone.
  if (set_handler_ != nullptr && handler_) set_handler_(nullptr, nullptr);
}

int16_t KLVUtilsClient::FileConv(const std::string& folder) { return file_conv_(folder.c_str()); }

bool KLVUtilsClient::SetMessageHandler(std::function<void(const std::string& text)> handler) {
  if (set_handler_ == nullptr) return false;
  handler_ = std::move(handler);
  if (handler_) {
    set_handler_(&KLVUtilsClient::Trampoline, this);
  } else {
    set_handler_(nullptr, nullptr);
  }
  return true;
}

void KLV_CALL KLVUtilsClient::Trampoline(const char* text, void* context) {
  auto* client = static_cast<KLVUtilsClient*>(context);
  // Nothing may be thrown back through the library's C frames.
  try {
    if (client != nullptr && client->handler_) client->handler_(text != nullptr ? text : "");
  } catch (...) {
  }
}

}  // namespace klv
