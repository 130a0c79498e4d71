#!/usr/bin/env bash
# scripts/screenshot.sh [BUILD_DIR] [MINGW_BUILD_DIR]: renders the pictures of the windows
# into docs/, each with the bundled sample picture chosen, on a virtual X display (Xvfb):
#   docs/screenshot.png               the Qt window in English, from BUILD_DIR (default
#                                     build/dev): the README's picture and the software
#                                     centres' screenshot
#   docs/screenshot-windows-ja.png    klvmaker.exe under Wine, in Japanese and in English,
#   docs/screenshot-windows-en.png    from MINGW_BUILD_DIR (default build/mingw)
#   docs/screenshot-windows-package-info.png      klvmaker.exe's package window of the
#   docs/screenshot-windows-package-pictures.png  sample's package, in English: its three
#   docs/screenshot-windows-package-trial.png     tabs (the trial play's tiles scattered)
#   docs/screenshot-web-ja.png        the web page in headless Chromium, in Japanese and
#   docs/screenshot-web-en.png        in English, with a photo and a crop, when build/web
#                                     holds the site and BUILD_DIR the browser tests
#                                     (configured with -DKLV_WEB_BUILD_DIR)
# Both builds must be configured already. Needs xvfb-run and Wine (install-deps.sh --test);
# the Wine prefix is made once in MINGW_BUILD_DIR/screenshot-wine (about 20 s).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="${1:-build/dev}"
mingw="${2:-build/mingw}"
cmake --build "$build" --target klvmaker_screenshot klvsample klvmake
cmake --build "$mingw" --target klvmaker klvmaker_driver KLVUtils
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/pictures"
"$build/bin/klvsample" "$scratch/pictures/sample.bmp"
"$build/bin/klvmake" "$scratch/pictures/sample.bmp" --out "$scratch" --name Sample --seed 1 \
  >/dev/null
mkdir -p docs

LANGUAGE=en LANG=C.UTF-8 HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" \
  QT_QPA_PLATFORM=xcb xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
  "$build/bin/klvmaker_screenshot" "$scratch/window.png" "$scratch/pictures" sample.bmp
mv "$scratch/window.png" docs/screenshot.png
echo "written: docs/screenshot.png"

# The Windows window: a prefix of its own with the X display driver, code page 932 from a
# Japanese locale, and the Japanese UI font names given the system's CJK font.
home="$root/$mingw/screenshot-wine"
export WINEPREFIX="$home/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$home/locale"
if [ ! -f "$home/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
  mkdir -p "$home/locale"
  localedef -i ja_JP -f UTF-8 "$home/locale/ja_JP.UTF-8" || true  # warnings give status 1
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  LC_ALL=ja_JP.UTF-8 wineboot -i </dev/null >/dev/null 2>&1
  for face in "MS UI Gothic" "Meiryo UI" "Yu Gothic UI"; do
    LC_ALL=ja_JP.UTF-8 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v "$face" /d "Noto Sans CJK JP" /f </dev/null >/dev/null 2>&1
  done
  wineserver -w
fi
pictures="Z:$(echo "$scratch/pictures" | tr / '\\')"
for language in ja en; do
  locale=ja_JP.UTF-8
  [ "$language" = en ] && locale=C.UTF-8
  shot="Z:$(echo "$scratch/windows-$language.png" | tr / '\\')"
  # The picture is the first of the file list, where a person clicks (215, 362).
  LC_ALL=$locale xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
    sh -c 'wine "$0/bin/klvmaker_driver.exe" "$1" click:215,362 "capture:$2" close end; wineserver -w' \
    "$mingw" "$pictures" "$shot"
  mv "$scratch/windows-$language.png" "docs/screenshot-windows-$language.png"
  echo "written: docs/screenshot-windows-$language.png"
done

# The package window of the sample's package: each tab, the trial play scattered by a seed.
shots="Z:$(echo "$scratch" | tr / '\\')"
LC_ALL=C.UTF-8 xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
  sh -c 'wine "$0/bin/klvmaker_driver.exe" "$1" --arg=Sample.klv package "capture:$1\\info.png" \
           tab:1 "capture:$1\\pictures.png" tab:2 seed:3 "capture:$1\\trial.png" close end
         wineserver -w' "$mingw" "$shots"
for tab in info pictures trial; do
  mv "$scratch/$tab.png" "docs/screenshot-windows-package-$tab.png"
  echo "written: docs/screenshot-windows-package-$tab.png"
done

# The web page, through the browser tests' harness.
browser="$build/web/tests/browser"
if [ -f build/web/site/klvmaker.wasm ] && [ -f "$browser/screenshot.mjs" ]; then
  cmake --build --preset web
  cmake --build "$build" --target klv_web_test_pictures
  [ -d "$browser/node_modules" ] || (cd "$browser" && npm ci --no-audit --no-fund)
  "$build/bin/klv_web_test_pictures" "$scratch/web"
  node "$browser/screenshot.mjs" --site build/web/site --photo "$scratch/web/photo.png" --out docs
else
  echo "skipped: the web page (build the web preset, configure $build with -DKLV_WEB_BUILD_DIR)"
fi
