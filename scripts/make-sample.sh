#!/usr/bin/env bash
# Builds the release configuration, draws the bundled sample picture and makes a puzzle
# package from it: build/sample/Sample.klv.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release
mkdir -p build/sample
build/release/bin/klvsample build/sample/sample.bmp
build/release/bin/klvmake build/sample/sample.bmp --out build/sample --name Sample
echo "Package written: $(pwd)/build/sample/Sample.klv"
