#!/usr/bin/env bash
# The Windows build proven under Wine, on its own: cross-builds KLVUtils.dll, klvconv.exe,
# klvmake.exe and the Windows test programs with mingw-w64 (preset "mingw"), configures a
# Linux build that knows where they are (KLV_WINE_BUILD_DIR), and runs the tests labelled
# "wine": byte-identical packages from both builds, the profile reader against the
# system's, and the unit tests of the Windows seam. Prints how long each step took.
# Usage: scripts/wine-tests.sh [extra ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_build=build/wine-linux

step() {
  local name=$1
  shift
  local start=$SECONDS
  "$@"
  echo "wine-tests: ${name} took $((SECONDS - start)) s"
}

step "the Windows build" bash -c 'cmake --preset mingw >/dev/null && cmake --build --preset mingw'
step "the Linux build" bash -c "cmake -S . -B $linux_build -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKLV_BUILD_GUI=OFF -DKLV_WINE_BUILD_DIR=$root/build/mingw >/dev/null && \
  cmake --build $linux_build --target klv_wine_tests klvmaker_wine_tests"
step "the Wine tests" ctest --test-dir "$linux_build" -L wine --output-on-failure "$@"
