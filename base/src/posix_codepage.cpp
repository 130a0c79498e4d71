// Code page 932 conversions on Linux, with the C library's iconv, whose CP932 table is
// Windows' own: a text is converted whole or refused whole.
#include <iconv.h>

#include <cerrno>
#include <string_view>

#include "base/platform.h"

namespace klv {
namespace {

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() {
    if (ok()) ::iconv_close(cd_);
  }
  // iconv_open reports failure as (iconv_t)-1.
  bool ok() const {
    return cd_ != reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
  }

  // The whole of `in` converted, or nothing when any part of it is invalid in the source
  // encoding (EILSEQ), cut short (EINVAL) or without an equivalent in the target (EILSEQ).
  std::optional<std::string> Convert(std::string_view in) {
    if (!ok()) return std::nullopt;
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buffer[1024];
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    bool flushed = false;
    while (!flushed) {
      char* dst = buffer;
      size_t dst_left = sizeof buffer;
      // After the input, one call without input ends any pending shift state.
      flushed = src_left == 0;
      const size_t rc = flushed ? ::iconv(cd_, nullptr, nullptr, &dst, &dst_left)
                                : ::iconv(cd_, &src, &src_left, &dst, &dst_left);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (rc == static_cast<size_t>(-1)) {
        if (errno != E2BIG) return std::nullopt;
        flushed = false;  // the buffer was full: go on
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<std::string> Cp932ToUtf8(const std::string& cp932) {
  return Iconv("UTF-8", "CP932").Convert(cp932);
}

std::optional<std::string> Utf8ToCp932(const std::string& utf8) {
  return Iconv("CP932", "UTF-8").Convert(utf8);
}

}  // namespace klv
