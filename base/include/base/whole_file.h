// A file read whole into memory through the platform seam, refused unread when it is
// larger than the caller's limit: the one way every layer reads a whole package or
// picture file, so that they all fail alike and name the system's reason.
#ifndef KLV_BASE_WHOLE_FILE_H_
#define KLV_BASE_WHOLE_FILE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace klv {

class Env;

// The bytes of the file at `path`, read through `env` (in as many reads as it takes).
// Nothing, with *cause set to the reason without the path, when it is a
// folder ("is a folder"), cannot be opened or measured ("cannot be opened: <the system's
// reason>"), is longer than `cap` bytes ("is N bytes long, more than this program reads
// (256 MiB)"; refused before anything is read), or cannot be read whole ("cannot be read
// (X of N bytes arrived): <the system's reason>"), or memory runs out.
std::optional<std::vector<uint8_t>> ReadWholeFile(Env& env, const std::string& path, uint64_t cap,
                                                  std::string* cause);

}  // namespace klv

#endif  // KLV_BASE_WHOLE_FILE_H_
