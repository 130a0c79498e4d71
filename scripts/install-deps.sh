#!/usr/bin/env bash
# scripts/install-deps.sh [--test]: installs from Debian 12's archive what building and
# running the product need: compilers, CMake, the picture decoders (libpng,
# libjpeg-turbo, libwebp), nlohmann-json (klvinfo), GoogleTest and Google Benchmark (the
# presets build the tests and benchmarks), Qt 6 with its translation tools (the English window), a Japanese font, and the tools that
# make the manual pages and the icons. With --test it adds what the whole test run
# needs: mingw-w64, NSIS and Wine for the Windows build and its installer, clang's
# libFuzzer, the desktop-file validators, the virtual display, Emscripten, Chromium and
# node with npm for the web page, and the measuring tools.
set -euo pipefail

# One package a line, grouped, so that additions merge cleanly.
build_packages=(
  # compilers and build tools
  build-essential
  cmake
  ninja-build
  pkg-config
  ca-certificates
  # libraries
  libpng-dev
  libjpeg62-turbo-dev
  libwebp-dev
  nlohmann-json3-dev
  googletest
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  qt6-base-dev
  qt6-base-dev-tools
  qt6-tools-dev
  qt6-l10n-tools
  libgl-dev
  libxkbcommon-dev
  # manual pages and icons
  help2man
  librsvg2-bin
  # running the window
  fonts-noto-cjk
)
test_packages=(
  # the Windows build under Wine, its icon and its installer
  mingw-w64
  icoutils
  nsis
  wine
  wine64
  locales
  # the sanitizer build with its fuzz targets, and clang-tidy
  clang
  clang-tidy
  libclang-rt-14-dev
  # the desktop files' validators
  desktop-file-utils
  appstream
  shared-mime-info
  # a virtual display for the window, and seeing its windows
  xvfb
  xauth
  x11-apps
  x11-utils
  # the web page: its WebAssembly build and the browser its tests drive
  emscripten
  chromium
  # measuring
  imagemagick
  hyperfine
  time
  valgrind
)

packages=("${build_packages[@]}")
case "${1:-}" in
  "") ;;
  --test)
    packages+=("${test_packages[@]}")
    # The browser tests' node and npm (puppeteer-core): a machine may have a newer node
    # of its own already, so Debian's are installed only where they are missing.
    command -v node >/dev/null || packages+=(nodejs)
    command -v npm >/dev/null || packages+=(npm)
    ;;
  *)
    echo "usage: $0 [--test]   (--test: also what the tests need)" >&2
    exit 2
    ;;
esac

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q "${packages[@]}"
