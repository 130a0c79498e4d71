#!/usr/bin/env bash
# scripts/tidy.sh [BUILD_DIR]: runs clang-tidy with the checks of .clang-tidy on every
# product source (base, lib, maker, tools; not tests, fuzz targets or benchmarks) of the
# build folder's compile database (default build/dev), and fails when it finds anything.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/dev}"
if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: $build/compile_commands.json is missing: configure that build first" >&2
  exit 2
fi
# Product sources only: a test folder, a fuzz target or a benchmark is not product code;
# the Windows sources are not in a Linux build's compile database.
mapfile -t sources < <(
  git ls-files 'base/*.cpp' 'lib/*.cpp' 'maker/*.cpp' 'tools/*.cpp' |
    grep -v -E '(^|/)tests/|_win\.cpp$|/screenshot\.cpp$'
)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "${sources[@]}" |
  xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet --use-color=false >"$log" 2>/dev/null || true
findings=$(grep -cE '^[^ ].*:[0-9]+:[0-9]+: (warning|error): ' "$log" || true)
if [ "$findings" -ne 0 ]; then
  grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error): ' "$log"
  echo "tidy: $findings findings in the product code" >&2
  exit 1
fi
echo "tidy: no findings in ${#sources[@]} product sources"
