// picture_probe PICTURE OUT [--fit]: the make's source picture of PICTURE as the core reads
// it (ReadSourcePicture), written to OUT as a 24-bit bitmap, so that the Windows build
// (the Windows Imaging Component) and the Linux build (libpng, libjpeg-turbo) can be
// compared byte for byte. Exit status 0 written, 1 refused (the message on standard
// error), 2 a usage error.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "maker/bitmap_codec.h"
#include "maker/source_picture.h"

int main(int argc, char** argv) {
  const std::vector<klv::ProgramArgument> args = klv::ProgramArguments(argc, argv);
  if (args.size() < 2 || args.size() > 3 || !args[0].path || !args[1].path ||
      (args.size() == 3 && args[2].utf8 != "--fit")) {
    std::fprintf(stderr, "usage: picture_probe PICTURE OUT [--fit]\n");
    return 2;
  }
  klv::SourceOptions options;
  options.fit = args.size() == 3;
  klv::SourceError error;
  klv::Env& env = klv::Env::Default();
  const std::optional<klv::Raster> raster =
      klv::ReadSourcePicture(env, *args[0].path, options, &error);
  if (!raster) {
    std::fprintf(stderr, "%s\n", klv::SourceErrorMessage(args[0].utf8, error).c_str());
    return 1;
  }
  return env.WriteWholeFile(*args[1].path, klv::EncodeBitmap24(*raster)).ok() ? 0 : 1;
}
