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

// What the last call of this thread kept stays here until its next call releases it.
klv::ConversionState& State() {
  thread_local klv::ConversionState state;
  return state;
}

}  // namespace

extern "C" KLV_EXPORT int16_t KLV_CALL FileConv(const char* folder) {
  if (folder == nullptr) return 0;
  try {
    return klv::ConvertWorkFolder(klv::Env::Default(), State(), std::string(folder));
  } catch (...) {
    // Only memory exhaustion gets here; the writer has removed its temporary file.
    try {
      klv::ShowLibraryMessage(klv::Env::Default(), klv::Message::kSaveFailed, folder);
    } catch (...) {
    }
    return 0;
  }
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
