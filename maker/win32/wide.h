// UTF-8 (the form's texts and paths) and UTF-16 (the Windows API's W functions), at the
// Windows windows' edge, and the line breaks of their edit controls.
#ifndef KLV_MAKER_WIN32_WIDE_H_
#define KLV_MAKER_WIN32_WIDE_H_

#include <string>
#include <string_view>

namespace klv::win32 {

// The UTF-16 form of `utf8`; a sequence that is not well formed becomes U+FFFD.
std::wstring Wide(std::string_view utf8);
// The UTF-8 form of `wide`; an unpaired surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view wide);

// `text` with each line break "\n" as CR LF, as a multi-line edit control holds it.
std::wstring WithCrLf(std::wstring_view text);

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_WIDE_H_
