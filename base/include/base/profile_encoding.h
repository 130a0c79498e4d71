// The encodings of profile files. A profile file is code page 932 text; one that starts
// with a UTF-8 or UTF-16 byte-order mark is read in that encoding, as the platform's
// profile reader does, and an edit writes it back in the same encoding. Pure functions
// over the file's bytes: the platform seam adds the file access.
#ifndef KLV_BASE_PROFILE_ENCODING_H_
#define KLV_BASE_PROFILE_ENCODING_H_

#include <optional>
#include <string>
#include <string_view>

namespace klv {

enum class ProfileEncoding { kCp932, kUtf8, kUtf16Le, kUtf16Be };

// A profile file's text in code page 932, and the encoding of the file it belongs to.
struct ProfileText {
  ProfileEncoding encoding = ProfileEncoding::kCp932;
  std::string text;
};

// The encoding of the profile file `file` (all its bytes) by its byte-order mark; code
// page 932 when it has none.
ProfileEncoding DetectProfileEncoding(std::string_view file);

// The text of `file` in code page 932 for reading: a character that code page 932 cannot
// hold, and each unit of an invalid sequence, becomes "?", as the platform's reader
// gives it. Always succeeds.
std::string DecodeProfileForReading(std::string_view file);

// The text of `file` in code page 932 for editing, with its encoding: only when the text
// converts back to exactly the bytes of the file, so that an edit loses nothing in the
// other lines. Nothing otherwise (a character without a code page 932 form, an invalid
// sequence).
std::optional<ProfileText> DecodeProfileForEditing(std::string_view file);

// The bytes of a profile file that holds `text`: its byte-order mark, then the text in
// its encoding. Nothing when the text holds a sequence that is not code page 932.
std::optional<std::string> EncodeProfile(const ProfileText& text);

}  // namespace klv

#endif  // KLV_BASE_PROFILE_ENCODING_H_
