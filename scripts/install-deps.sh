#!/usr/bin/env bash
# Installs, from Debian 12's archive, everything needed to build, run and test the
# product: compilers, CMake, the picture decoders (libpng, libjpeg-turbo, libwebp),
# nlohmann-json (klvinfo), GoogleTest, Google Benchmark, Qt 6, a Japanese font, mingw-w64
# and Wine for the Windows build, clang's libFuzzer, and the measuring tools.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q \
  build-essential cmake ninja-build pkg-config ca-certificates \
  libpng-dev libjpeg62-turbo-dev libwebp-dev \
  clang libclang-rt-14-dev \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev \
  nlohmann-json3-dev \
  fonts-noto-cjk xvfb xauth x11-apps imagemagick \
  mingw-w64 wine wine64 locales \
  hyperfine time valgrind
