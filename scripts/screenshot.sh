#!/usr/bin/env bash
# scripts/screenshot.sh [BUILD_DIR]: renders docs/screenshot.png, the maker's English
# window with the bundled sample picture chosen, on a virtual X display (Xvfb), from the
# build in BUILD_DIR (default build/dev, configured already). Needs xvfb-run
# (install-deps.sh --test).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/dev}"
cmake --build "$build" --target klvmaker_screenshot klvsample
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/pictures"
"$build/bin/klvsample" "$scratch/pictures/sample.bmp"
LANGUAGE=en LANG=C.UTF-8 HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" \
  QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
  "$build/bin/klvmaker_screenshot" "$scratch/window.png" "$scratch/pictures" sample.bmp
mkdir -p docs
mv "$scratch/window.png" docs/screenshot.png
echo "written: docs/screenshot.png"
