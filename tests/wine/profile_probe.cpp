// profile_probe QUERIES: reads profile files through the platform seam and prints what
// it got, so that one query list can be answered by the Windows build (the system's
// GetPrivateProfileStringA/IntA) and by the Linux build (the portable reader) and the two
// answers compared. Every field of a query line is hex-encoded, so that any byte may be
// asked about: "S path section key default buffer_size" or "I path section key default".
// Answers, one line per query: "s:" and the text in hex, or "i:" and the decimal integer.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform.h"

namespace {

std::optional<std::string> FromHex(const std::string& hex) {
  if (hex == "-") return std::string();
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const std::string pair = hex.substr(i, 2);
    char* end = nullptr;
    const unsigned long value = std::strtoul(pair.c_str(), &end, 16);
    if (end != pair.c_str() + 2) return std::nullopt;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

std::string ToHex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0x0F];
  }
  return hex;
}

// One answer line, or nothing for a malformed query.
std::optional<std::string> Answer(klv::Env& env, const std::string& line) {
  std::istringstream fields(line);
  std::string kind;
  std::vector<std::string> args;
  fields >> kind;
  for (std::string field; fields >> field;) {
    std::optional<std::string> bytes = FromHex(field);
    if (!bytes) return std::nullopt;
    args.push_back(*bytes);
  }
  if (kind == "S" && args.size() == 5) {
    const unsigned long size = std::strtoul(args[4].c_str(), nullptr, 10);
    return "s:" + ToHex(env.GetProfileString(args[0], args[1], args[2], args[3], size));
  }
  if (kind == "I" && args.size() == 4) {
    const long fallback = std::strtol(args[3].c_str(), nullptr, 10);
    return "i:" + std::to_string(
                      env.GetProfileInt(args[0], args[1], args[2], static_cast<int32_t>(fallback)));
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: profile_probe QUERIES\n");
    return 2;
  }
  std::ifstream queries(argv[1], std::ios::binary);
  if (!queries) {
    std::fprintf(stderr, "profile_probe: %s: cannot open the query list\n", argv[1]);
    return 2;
  }
  klv::Env& env = klv::Env::Default();
  int line_number = 0;
  for (std::string line; std::getline(queries, line);) {
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::optional<std::string> answer = Answer(env, line);
    if (!answer) {
      std::fprintf(stderr, "profile_probe: %s:%d: malformed query\n", argv[1], line_number);
      return 2;
    }
    std::printf("%s\n", answer->c_str());
  }
  return 0;
}
