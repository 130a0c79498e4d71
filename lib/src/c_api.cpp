// The C boundary of KLVUtils: the exports FileConv and KLVSetMessageHandler. It converts
// from C types (the C handler becomes the base's message sink), keeps the library's state
// (one per calling thread, so that threads may convert at once), and lets no exception out.
#include <exception>
#include <string>

#include "KLVUtils.h"
#include "conversion/file_conv.h"
#include "conversion/messages.h"
#include "base/platform.h"

namespace {

// The library's state on one thread.
struct ThreadState {
  // What the last call kept stays here until the next call releases it.
  klv::ConversionState conversion;
  // True while a call runs: one from inside its message handler would release what the
  // running call is using.
  bool converting = false;
};

ThreadState& ThisThread() {
  thread_local ThreadState state;
  return state;
}

}  // namespace

extern "C" KLV_EXPORT int16_t KLV_CALL FileConv(const char* folder) {
  ThreadState& thread = ThisThread();
  if (folder == nullptr || thread.converting) return 0;
  thread.converting = true;
  int16_t result = 0;
  try {
    result = klv::ConvertWorkFolder(klv::Env::Default(), thread.conversion, std::string(folder));
  } catch (...) {
    // Only memory exhaustion gets here; the writer has removed its temporary file.
    try {
      klv::ShowLibraryMessage(klv::Env::Default(), klv::Message::kSaveFailed, folder);
    } catch (...) {
    }
  }
  thread.converting = false;
  return result;
}

extern "C" KLV_EXPORT void KLV_CALL KLVSetMessageHandler(KLVMessageHandler handler, void* context) {
  try {
    if (handler == nullptr) {
      klv::SetMessageSink(nullptr);
      return;
    }
    klv::SetMessageSink(
        [handler, context](const std::string& text) { handler(text.c_str(), context); });
  } catch (...) {
    // Only memory exhaustion gets here; the earlier handler stays.
  }
}
