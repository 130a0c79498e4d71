// The outputs a person names on a command line (a manifest, a picture, a sheet, a folder
// to unpack into) follow one rule, so that naming a file never costs the person another
// one: what the name is gets decided once, when the run starts; a file is written whole
// beside the name and renamed over it at the end; a link is followed only to something
// that is not a regular file (a pipe, a device, /dev/stdout).
#ifndef KLV_BASE_NAMED_OUTPUT_H_
#define KLV_BASE_NAMED_OUTPUT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"

namespace klv {

class NamedOutput {
 public:
  enum class Kind {
    kNewFile,      // nothing has the name, or a link to a regular file or to nothing
    kFile,         // a regular file
    kInPlace,      // a pipe or a device, or a link to one (/dev/stdout): never replaced
    kNewFolder,    // (a folder output) nothing has the name
    kEmptyFolder,  // (a folder output) an empty folder, not a link
  };
  // Who may read a new file: everyone the umask lets, or its owner alone (0600 on Linux;
  // a manifest holds passwords).
  enum class Access { kShared, kPrivate };

  // Decides what the file output `path` is, now. An error naming `path` with the cause
  // for a folder (or a link to one), a socket, a name whose folder does not exist, or a
  // name that cannot be examined.
  static Status ForFile(const std::string& path, Access access, NamedOutput* output);
  // Decides what the folder output `path` is, now: a new name in an existing folder, or an
  // empty folder that is not a link. An error naming `path` with the cause for anything
  // else: a link, a file, a folder with entries, a missing parent.
  static Status ForFolder(const std::string& path, NamedOutput* output);

  Kind kind() const { return kind_; }
  const std::string& path() const { return path_; }

  // File outputs. kNewFile and kFile: writes `bytes` to a new temporary file beside the
  // name, flushed to disk, and renames it over the name, which replaces whatever the name
  // holds then, a link too, and never follows it; a replaced file keeps its mode, and its
  // owner where the process may set it. kInPlace: writes `bytes` to what the name leads
  // to, after checking that it is still what was decided (an appended write for a
  // regular file reached through a descriptor link such as /dev/stdout). On failure an
  // error with the system's reason, and no partial file under the name.
  Status Write(const std::vector<uint8_t>& bytes) const;

  // Folder outputs. MakeFolderBeside makes a new private folder beside the name, into
  // *folder, for the caller to fill. PlaceFolder gives it the name in one step: it
  // replaces an empty folder (on Windows, which cannot rename over a folder, the empty
  // folder is removed just before) and never a folder with entries, a file or a link, so
  // that of two runs placing folders under one name at most one succeeds. A new folder
  // gets the mode a new folder would have (an empty one's mode is kept). On failure the
  // private folder is the caller's to remove.
  Status MakeFolderBeside(std::string* folder) const;
  Status PlaceFolder(const std::string& folder) const;

 private:
  std::string path_;
  Kind kind_ = Kind::kNewFile;
  Access access_ = Access::kShared;
  // What the name led to when decided (kFile, kInPlace, kEmptyFolder).
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
  uint32_t mode_ = 0;
  uint32_t owner_ = 0;
  uint32_t group_ = 0;
  bool through_descriptor_ = false;  // kInPlace reached through /proc/self/fd
};

}  // namespace klv

#endif  // KLV_BASE_NAMED_OUTPUT_H_
