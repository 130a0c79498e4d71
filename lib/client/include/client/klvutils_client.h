// The caller's side of the package library: loads KLVUtils at run time by its bare name
// (the program's own folder first, then the system's search path) and binds FileConv and
// KLVSetMessageHandler by name, as the maker and klvconv do.
#ifndef KLV_CLIENT_KLVUTILS_CLIENT_H_
#define KLV_CLIENT_KLVUTILS_CLIENT_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "KLVUtils.h"
#include "base/status.h"

namespace klv {

class Env;
class SharedLibrary;

class KLVUtilsClient {
 public:
  // The bare name the library is loaded by.
  static constexpr const char* kLibraryName = "KLVUtils";

  // Loads the library and binds FileConv into *client. An error when the library cannot
  // be loaded (with the system's reason) or has no FileConv entry.
  static Status Load(Env& env, std::unique_ptr<KLVUtilsClient>* client);

  ~KLVUtilsClient();

  // Calls FileConv with `folder`; 1 when the package was written, 0 otherwise. Threads
  // may call it at once (KLVUtils.h says what the library promises them).
  int16_t FileConv(const std::string& folder);

  // Routes the library's messages to `handler` (in the platform's narrow encoding) until
  // another handler is set or the client is destroyed: the messages of every call on
  // every thread, each on the thread of its call. Set it, and destroy the client, only
  // while no call is running. False when the library has no KLVSetMessageHandler export;
  // its messages then take the library's default way.
  bool SetMessageHandler(std::function<void(const std::string& text)> handler);

 private:
  KLVUtilsClient() = default;
  static void KLV_CALL Trampoline(const char* text, void* context);

  std::unique_ptr<SharedLibrary> library_;
  FileConvFunction file_conv_ = nullptr;
  KLVSetMessageHandlerFunction set_handler_ = nullptr;
  std::function<void(const std::string&)> handler_;
};

}  // namespace klv

#endif  // KLV_CLIENT_KLVUTILS_CLIENT_H_
