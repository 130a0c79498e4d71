// Fuzz target for the package conversion: a work folder made of fuzzed Puzzle.ini and
// bitmap bytes, converted in memory. Whatever the folder holds, the conversion ends with
// 0 and a message and the folder unchanged, or with 1 and one well-formed package.
//
// Input framing: the bytes up to the first "\n#FILE " are Puzzle.ini (none when empty);
// each "\n#FILE name\n" then starts a file of that name in the work folder, such as
// base.bmp, res0102.bmp or an earlier package.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "conversion/file_conv.h"
#include "klvtest/test_support.h"

namespace {

constexpr std::string_view kMarker = "\n#FILE ";
const std::string kFolder = std::string("/work") + klv::kPathSeparator + "folder";

void Check(bool condition, const char* what) {
  if (!condition) {
    fprintf(stderr, "file_conv_fuzzer: %s\n", what);
    abort();
  }
}

void BuildFolder(std::string_view input, klv::test::FakeEnv& env) {
  size_t at = input.find(kMarker);
  const std::string_view ini = input.substr(0, at);
  if (!ini.empty()) env.AddText(klv::JoinPath(kFolder, "Puzzle.ini"), std::string(ini));
  while (at != std::string_view::npos) {
    const size_t name_start = at + kMarker.size();
    const size_t name_end = input.find('\n', name_start);
    if (name_end == std::string_view::npos) return;
    const size_t next = input.find(kMarker, name_end + 1);
    const std::string_view body =
        input.substr(name_end + 1, next == std::string_view::npos ? std::string_view::npos
                                                                  : next - (name_end + 1));
    const std::string name(input.substr(name_start, name_end - name_start));
    env.AddFile(klv::JoinPath(kFolder, name), klv::test::Bytes(body.begin(), body.end()));
    at = next;
  }
}

// A picture chunk holds a complete BMP file image whose own size field matches it.
void CheckPictureChunk(const klv::test::Chunk& chunk, const char* id) {
  Check(chunk.id == id, "a picture chunk has the wrong id");
  Check(chunk.size >= 54, "a picture chunk is shorter than its headers");
  Check(chunk.data[0] == 'B' && chunk.data[1] == 'M', "a picture chunk lacks \"BM\"");
  Check(klv::GetLe32(chunk.data.data() + 2) == chunk.size,
        "a picture's file size differs from its chunk size");
  Check(klv::GetLe32(chunk.data.data() + 14) == 40, "a written picture's header is not 40");
  Check(klv::GetLe32(chunk.data.data() + 10) <= chunk.size,
        "a picture's pixel offset lies past its chunk");
}

// Converts the folder once; returns the package written (empty on failure).
klv::test::Bytes ConvertOnce(klv::test::FakeEnv& env, klv::ConversionState& state) {
  const std::map<std::string, klv::test::Bytes> before = env.files;
  const size_t messages_before = env.messages.size();
  const int commits_before = env.commits;

  const int16_t result = klv::ConvertWorkFolder(env, state, kFolder);

  Check(result == 0 || result == 1, "the result is neither 0 nor 1");
  Check(env.open_writers == 0, "a package writer is still open");
  if (result == 0) {
    Check(env.files == before, "a failed conversion changed the folder");
    Check(env.messages.size() > messages_before, "a failed conversion said nothing");
    return {};
  }
  Check(env.messages.size() == messages_before, "a written package came with messages");
  Check(env.commits == commits_before + 1, "a written package was not committed once");

  // Exactly one file was added or replaced: the package.
  const klv::test::Bytes* package = nullptr;
  for (const auto& [path, bytes] : env.files) {
    auto old = before.find(path);
    if (old != before.end() && old->second == bytes) continue;
    Check(package == nullptr, "a conversion wrote more than one file");
    package = &bytes;
  }
  if (package == nullptr) {
    // The package replaced an identical earlier one; find it by its form.
    for (const auto& [path, bytes] : env.files) {
      if (bytes.size() >= 12 && bytes[0] == 'R' && bytes[8] == 'D') package = &bytes;
    }
  }
  Check(package != nullptr, "a written package cannot be found");

  const std::optional<klv::test::RiffForm> form = klv::test::ReadRiff(*package);
  Check(form.has_value(), "the package is not a well-formed RIFF file");
  Check(form->form == "DATA", "the package's form type is not DATA");
  const int64_t tiles = klv::TileCount(state.xMax, state.yMax);
  Check(form->chunks.size() == static_cast<size_t>(2 + tiles),
        "the package does not hold the header, the base and every tile");
  Check(form->chunks[0].id == "KLVZ" && form->chunks[0].size == klv::kPackageHeaderSize,
        "the header chunk is wrong");
  CheckPictureChunk(form->chunks[1], "KLVB");
  for (size_t i = 2; i < form->chunks.size(); ++i) CheckPictureChunk(form->chunks[i], "KLVP");
  return *package;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  klv::test::FakeEnv env;
  BuildFolder(std::string_view(reinterpret_cast<const char*>(data), size), env);

  klv::ConversionState state;
  const klv::test::Bytes first = ConvertOnce(env, state);
  // The library keeps its state between calls: a second call over the same folder must
  // release the first call's pictures and write the same bytes again.
  if (!first.empty()) {
    Check(ConvertOnce(env, state) == first, "a second conversion of the same folder differs");
  }
  return 0;
}
