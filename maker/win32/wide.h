// UTF-8 (the form's texts and paths) and UTF-16 (the Windows API's W functions), at the
// Windows window's edge.
#ifndef KLV_MAKER_WIN32_WIDE_H_
#define KLV_MAKER_WIN32_WIDE_H_

#include <string>
#include <string_view>

namespace klv::win32 {

// The UTF-16 form of `utf8`; a sequence that is not well formed becomes U+FFFD.
std::wstring Wide(std::string_view utf8);
// The UTF-8 form of `wide`; an unpaired surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view wide);

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_WIDE_H_
