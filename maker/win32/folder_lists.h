// What the Windows window's drive, folder and file lists show, read from the file system
// with the wide functions, so that every name shows as it is (a name the system's code
// page cannot hold is refused only when it is chosen).
#ifndef KLV_MAKER_WIN32_FOLDER_LISTS_H_
#define KLV_MAKER_WIN32_FOLDER_LISTS_H_

#include <optional>
#include <string>
#include <vector>

namespace klv::win32 {

// The process's current folder, where the lists start.
std::wstring WorkingFolder();

// The drives, as the drive lists name them: "C:", "D:", ..., in letter order.
std::vector<std::wstring> DriveNames();

// The drive of `path` ("C:" for "C:\photos"); empty for a path without a drive letter.
std::wstring DriveOfPath(const std::wstring& path);

// The folder a folder list moves to when `drive` is chosen: the drive's current folder
// (the root unless the program has been in another folder of that drive).
std::wstring CurrentFolderOfDrive(const std::wstring& drive);

// `path` made absolute, when it names a folder that can be listed: without a trailing
// separator except for a drive's root ("C:\"). Nothing otherwise.
std::optional<std::wstring> OpenableFolder(const std::wstring& path);

// One line of a folder list.
struct FolderLine {
  std::wstring name;  // what the line shows
  std::wstring path;  // the folder it opens
  int level = 0;      // its depth below the root
};

// The folder list of `folder` (from OpenableFolder): the root, each folder down to
// `folder`, then `folder`'s subfolders (hidden and system ones left out) in name order.
// The line of `folder` itself is at index *current.
std::vector<FolderLine> FolderLines(const std::wstring& folder, size_t* current);

// The names of the files in `folder` that the file list shows, in name order: those that
// end in an extension of a picture the program reads (ReadablePictureExtensions), without
// regard to case, and the packages (".klv") beside them.
std::vector<std::wstring> ListedFiles(const std::wstring& folder);

}  // namespace klv::win32

#endif  // KLV_MAKER_WIN32_FOLDER_LISTS_H_
