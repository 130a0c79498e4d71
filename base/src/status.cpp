// Status values and the two ways the platforms' errors become one: an errno value through
// the C library's text for it, a GetLastError value through FormatMessage.
#include "base/status.h"

#include <cerrno>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace klv {

std::string Status::ToString() const {
  if (ok()) return "OK";
  if (context_.empty()) return reason_;
  return context_ + ": " + reason_;
}

Status PosixError(std::string_view context, int error_number) {
  // The generic category's text is strerror's, fetched in a thread-safe way.
  const std::string reason = std::generic_category().message(error_number);
  if (error_number == ENOENT) return Status::NotFound(context, reason);
  return Status::IOError(context, reason);
}

#if defined(_WIN32)
Status WindowsError(std::string_view context, unsigned long error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason;
  if (length > 0 && text != nullptr) reason.assign(text, length);
  if (text != nullptr) LocalFree(text);
  // The system's texts end with a line break.
  while (!reason.empty() &&
         (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
    reason.pop_back();
  }
  if (reason.empty()) reason = "Windows error " + std::to_string(error);
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return Status::NotFound(context, reason);
  }
  return Status::IOError(context, reason);
}
#endif

}  // namespace klv
