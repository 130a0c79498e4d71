// Reading a whole file through the Env: the length is measured and checked against the
// limit before any memory is taken, and short reads are repeated until the file ends.
#include "base/whole_file.h"

#include <memory>
#include <new>

#include "base/platform.h"

namespace klv {
namespace {

// `bytes` in MiB for a message: "256 MiB", or the bytes when they are not whole MiB.
std::string Limit(uint64_t bytes) {
  if (bytes % (uint64_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(Env& env, const std::string& path, uint64_t cap,
                                                  std::string* cause) {
  if (env.CheckFolder(path).ok()) {
    *cause = "is a folder";
    return std::nullopt;
  }
  std::unique_ptr<InputFile> file;
  Status status = env.OpenForSharedRead(path, &file);
  if (!status.ok()) {
    *cause = "cannot be opened: " + status.reason();
    return std::nullopt;
  }
  uint64_t length = 0;
  status = file->Length(&length);
  if (!status.ok()) {
    *cause = "cannot be measured: " + status.reason();
    return std::nullopt;
  }
  if (length > cap) {
    *cause = "is " + std::to_string(length) + " bytes long, more than this program reads (" +
             Limit(cap) + ")";
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    *cause = "is too large for the memory at hand";
    return std::nullopt;
  }
  size_t have = 0;
  while (have < bytes.size()) {
    size_t got = 0;
    status = file->Read(bytes.data() + have, bytes.size() - have, &got);
    have += got;
    if (!status.ok() || got == 0) break;
  }
  if (have != bytes.size()) {
    std::string text = "cannot be read (" + std::to_string(have) + " of " +
                       std::to_string(bytes.size()) + " bytes arrived)";
    if (!status.ok()) text += ": " + status.reason();
    *cause = std::move(text);
    return std::nullopt;
  }
  return bytes;
}

}  // namespace klv
