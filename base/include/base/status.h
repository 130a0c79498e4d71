// The result of a fallible platform operation: success, or an error whose message keeps
// the operating system's own reason ("out/res0000.bmp: No space left on device"). The
// seam returns one instead of a bare bool or null, so that the message made for the user
// at the edge can say why something failed, not only that it did.
#ifndef KLV_BASE_STATUS_H_
#define KLV_BASE_STATUS_H_

#include <string>
#include <string_view>

namespace klv {

class Status {
 public:
  // Success.
  Status() = default;
  static Status OK() { return Status(); }
  // An error about `context` (usually a path) for `reason`. NotFound is the error of
  // something that does not exist (a missing file), which callers may treat as an
  // ordinary case.
  static Status IOError(std::string_view context, std::string_view reason) {
    return Status(Code::kIOError, context, reason);
  }
  static Status NotFound(std::string_view context, std::string_view reason) {
    return Status(Code::kNotFound, context, reason);
  }
  // An error about content or an argument this program refuses or cannot take (a corrupt
  // picture, a size over a limit, a malformed option, too little memory for it), with no
  // context: the caller's message names the file or the option.
  static Status Invalid(std::string_view reason) { return Status(Code::kInvalid, {}, reason); }

  bool ok() const { return code_ == Code::kOk; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }
  // What the error is about (a path, a library's name); empty for success.
  const std::string& context() const { return context_; }
  // Why it failed, in the system's words where the system gave any; empty for success.
  const std::string& reason() const { return reason_; }
  // "OK" for success, otherwise "context: reason" (the reason alone without a context).
  std::string ToString() const;

 private:
  enum class Code { kOk, kNotFound, kIOError, kInvalid };
  Status(Code code, std::string_view context, std::string_view reason)
      : code_(code), context_(context), reason_(reason) {}

  Code code_ = Code::kOk;
  std::string context_;
  std::string reason_;
};

// The error of a failed system call on `context`, with the C library's text for
// `error_number` (an errno value) as its reason. ENOENT gives NotFound, anything else
// IOError.
Status PosixError(std::string_view context, int error_number);

#if defined(_WIN32)
// The error of a failed Windows call on `context`, with the system's text for `error`
// (a GetLastError value, as FormatMessage gives it, without its line break) as its
// reason. ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND give NotFound.
Status WindowsError(std::string_view context, unsigned long error);
#endif

}  // namespace klv

#endif  // KLV_BASE_STATUS_H_
