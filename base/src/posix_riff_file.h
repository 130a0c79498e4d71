// The package's RIFF writer on Linux, behind the seam's RiffFile: the bytes go through a
// buffer into a temporary file beside the target, which replaces the target only when
// Commit finds it complete. Private to klv_base.
#ifndef KLV_BASE_SRC_POSIX_RIFF_FILE_H_
#define KLV_BASE_SRC_POSIX_RIFF_FILE_H_

#include <memory>
#include <string>

#include "base/platform.h"
#include "base/status.h"

namespace klv {

// Creates the writer of `target` into *file. A target that is a symbolic link is replaced,
// not followed; temporary files of killed writers of the same target are removed first
// (RemoveStaleTemporaries).
Status NewPosixRiffFile(const std::string& target, std::unique_ptr<RiffFile>* file);

}  // namespace klv

#endif  // KLV_BASE_SRC_POSIX_RIFF_FILE_H_
