// Folders on Linux, for the POSIX side of the platform seam: the private work folder of a
// make (made as mkdtemp makes it, removed with what it holds), the folders of a folder,
// and the one-step rename of a finished file into its place. Private to klv_base.
#ifndef KLV_BASE_SRC_POSIX_FOLDERS_H_
#define KLV_BASE_SRC_POSIX_FOLDERS_H_

#include <string>
#include <vector>

#include "base/status.h"

namespace klv {

// The operations of Env with these names (platform.h states their contracts).
Status MakePrivateFolderPosix(const std::string& path_stem, std::string* made);
Status RemovePrivateFolderPosix(const std::string& path);
Status ListFoldersPosix(const std::string& folder, std::vector<std::string>* names);
Status CheckFolderPosix(const std::string& path);
Status CheckEmptyFolderPosix(const std::string& path);
Status RenameFilePosix(const std::string& from, const std::string& to);

}  // namespace klv

#endif  // KLV_BASE_SRC_POSIX_FOLDERS_H_
