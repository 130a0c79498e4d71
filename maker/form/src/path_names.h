// The forms' reading of a path (UTF-8, as a window names it): which characters separate its
// parts, and its last part.
#ifndef KLV_MAKER_FORM_SRC_PATH_NAMES_H_
#define KLV_MAKER_FORM_SRC_PATH_NAMES_H_

#include <cstddef>
#include <string>

namespace klv::form {

inline bool IsPathSeparator(char c) {
#if defined(_WIN32)
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

// Where the last part of `path` starts: after its last separator, or at 0.
inline size_t FileNameStart(const std::string& path) {
  size_t start = path.size();
  while (start > 0 && !IsPathSeparator(path[start - 1])) --start;
  return start;
}

}  // namespace klv::form

#endif  // KLV_MAKER_FORM_SRC_PATH_NAMES_H_
