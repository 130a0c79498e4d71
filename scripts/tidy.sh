#!/usr/bin/env bash
# scripts/tidy.sh [BUILD_DIR [WINDOWS_BUILD_DIR]]: runs clang-tidy with the checks of
# .clang-tidy on the product code (every source but the tests, fuzz targets and
# benchmarks): every portable and Linux source with the compile database of BUILD_DIR
# (default build/dev), and every source that the Windows build compiles its own way (the
# *_win.cpp files, maker/win32/, and the sources with a _WIN32 branch) with the database of
# the mingw-w64 build WINDOWS_BUILD_DIR (default build/mingw; configuring it is enough).
# Fails on any finding, and when clang-tidy cannot check a source: not installed, crashed,
# a source missing from its database or one that does not compile.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/dev}"
windows_build="${2:-build/mingw}"
fail() {
  echo "tidy: $*" >&2
  exit 2
}
command -v clang-tidy >/dev/null || fail "clang-tidy is not installed (scripts/install-deps.sh --test)"
for dir in "$build" "$windows_build"; do
  [ -f "$dir/compile_commands.json" ] ||
    fail "$dir/compile_commands.json is missing: configure that build first"
done

# Product sources only: a test folder, a fuzz target or a benchmark is not product code; the
# screenshot program is built only on demand, so its generated headers may be missing; the
# web page's bindings and the platform parts of the web build (*_web.cpp) are compiled by
# Emscripten alone (the page's other sources are here).
mapfile -t product < <(
  git ls-files '*.cpp' |
    grep -v -E '(^|/)tests/|^(fuzz|bench)/|/screenshot\.cpp$|^web/src/bindings\.cpp$|_web\.cpp$'
)
windows_only='_win\.cpp$|^maker/win32/'
mapfile -t linux_sources < <(printf '%s\n' "${product[@]}" | grep -v -E "$windows_only")

# Every source must be in its database: without an entry clang-tidy would guess the flags.
in_database() { grep -qF "\"file\": \"$PWD/$2\"" "$1/compile_commands.json"; }
for source in "${linux_sources[@]}"; do
  in_database "$build" "$source" || fail "$source is not in $build/compile_commands.json"
done
windows_sources=()
while read -r source; do
  if in_database "$windows_build" "$source"; then
    windows_sources+=("$source")
  elif grep -qE "$windows_only" <<<"$source"; then
    fail "$source is not in $windows_build/compile_commands.json"
  fi  # else a _WIN32 branch in a source that the Windows build leaves out (the Qt window)
done < <(
  {
    printf '%s\n' "${product[@]}" | grep -E "$windows_only" || true
    git grep -l -w _WIN32 -- "${product[@]}" || true
  } | sort -u
)

# clang-tidy parses the Windows sources as clang for the mingw-w64 target: with mingw-w64's
# headers and the C++ library headers of the build's own compiler, from a copy of the
# database without the one GCC option that clang does not know.
cxx=$(sed -n 's/^ *"command": "\([^ ]*\) .*/\1/p' "$windows_build/compile_commands.json" | head -n 1)
command -v "$cxx" >/dev/null || fail "the compiler of $windows_build ('$cxx') is not installed"
triple=$("$cxx" -dumpmachine)
cxx_headers="$("$cxx" -print-file-name=include)/c++"
[ -d "/usr/$triple/include" ] && [ -d "$cxx_headers" ] ||
  fail "the headers of $cxx are not in /usr/$triple/include and $cxx_headers"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/windows"
sed 's/ -fno-keep-inline-dllexport//g' "$windows_build/compile_commands.json" \
  >"$scratch/windows/compile_commands.json"

# tidy DATABASE_DIR [CLANG-TIDY OPTIONS...] < sources: the log gets everything clang-tidy
# says; the status is not zero when it could not check a source.
tidy() {
  local database=$1
  shift
  xargs -r -P "$(nproc)" -n 4 clang-tidy -p "$database" --quiet --use-color=false "$@" \
    >>"$scratch/log" 2>&1
}
status=0
printf '%s\n' "${linux_sources[@]}" | tidy "$build" || status=$?
printf '%s\n' "${windows_sources[@]}" |
  tidy "$scratch/windows" --extra-arg-before="--target=$triple" \
    --extra-arg="--sysroot=/usr/$triple" --extra-arg="-stdlib++-isystem$cxx_headers" \
    --extra-arg="-stdlib++-isystem$cxx_headers/$triple" \
    --extra-arg="-stdlib++-isystem$cxx_headers/backward" || status=$?

if [ "$status" -ne 0 ]; then
  grep -v -E '^[0-9]+ warnings( and [0-9]+ errors?)? generated\.$' "$scratch/log" >&2 || true
  echo "tidy: clang-tidy could not check every source (status $status)" >&2
  exit 1
fi
finding='^[^ ].*:[0-9]+:[0-9]+: (warning|error): '
findings=$(grep -cE "$finding" "$scratch/log" || true)
if [ "$findings" -ne 0 ]; then
  grep -E "$finding" "$scratch/log"
  echo "tidy: $findings findings in the product code" >&2
  exit 1
fi
echo "tidy: no findings in ${#linux_sources[@]} sources with $build's compile database" \
  "and ${#windows_sources[@]} with $windows_build's"
