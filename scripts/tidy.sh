#!/usr/bin/env bash
# scripts/tidy.sh [BUILD_DIR]: runs clang-tidy with the checks of .clang-tidy on every
# product source (base, language, lib, maker, tools, web; not tests, fuzz targets or benchmarks)
# in the build folder's compile database (default build/dev), and fails when it finds
# anything. `scripts/tidy.sh build/mingw` checks the Windows build's sources (the Windows
# window, the _win sources) the same way.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/dev}"
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: $build/compile_commands.json is missing: configure that build first" >&2
  exit 2
fi
# Product sources only: a test folder, a fuzz target or a benchmark is not product code;
# each build's database holds the sources of its platform.
mapfile -t sources < <(
  git ls-files 'base/*.cpp' 'language/*.cpp' 'lib/*.cpp' 'maker/*.cpp' 'tools/*.cpp' 'web/*.cpp' |
    grep -v -E '(^|/)tests/|/screenshot\.cpp$' |
    while read -r file; do
      if grep -qF "\"file\": \"$PWD/$file\"" "$build/compile_commands.json"; then echo "$file"; fi
    done
)
log=$(mktemp)
database="$build"
tidy_args=()
# A Windows (mingw-w64) build's database: clang parses its sources for the mingw target,
# with the mingw compiler's C++ library and system headers (not GCC's own intrinsics
# headers, which clang cannot read), and without the one GCC flag clang does not know.
if grep -q 'mingw32' "$build/compile_commands.json"; then
  database=$(mktemp -d)
  sed 's/ -fno-keep-inline-dllexport//g' "$build/compile_commands.json" >"$database/compile_commands.json"
  tidy_args+=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
  while read -r folder; do
    tidy_args+=("--extra-arg=-isystem$folder")
  done < <(echo | x86_64-w64-mingw32-g++-posix -xc++ -E -v - 2>&1 |
    sed -n '/^#include <...>/,/^End of search/p' | grep '^ ' | sed 's/^ //' |
    grep -v -E 'gcc/[^/]+/[^/]+/include(-fixed)?$')
fi
trap 'rm -f "$log"; if [ "$database" != "$build" ]; then rm -rf "$database"; fi' EXIT
printf '%s\n' "${sources[@]}" |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$database" --quiet --use-color=false "${tidy_args[@]}" \
    >"$log" 2>/dev/null || true
findings=$(grep -cE '^[^ ].*:[0-9]+:[0-9]+: (warning|error): ' "$log" || true)
if [ "$findings" -ne 0 ]; then
  grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error): ' "$log"
  echo "tidy: $findings findings in the product code" >&2
  exit 1
fi
echo "tidy: no findings in ${#sources[@]} product sources"
