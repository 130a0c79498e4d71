// The C boundary of KLVUtils: the exports FileConv and KLVSetMessageHandler. It converts
// from C types, keeps the library's process-wide state, and lets no exception out.
#include <exception>
#include <string>

#include "KLVUtils.h"
#include "conversion/file_conv.h"
#include "conversion/messages.h"
#include "base/platform.h"

namespace {

// The pictures of the last call stay here until the next call releases them.
klv::ConversionState& State() {
  static klv::ConversionState state;
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
    klv::SetMessageHandler(handler, context);
  } catch (...) {
  }
}
