#!/bin/sh
# Prepares what the Wine tests run in: the Windows build's programs must be there, a
# Wine prefix of their own (made once, then reused), and a Japanese UTF-8 locale, with
# which Wine takes code page 932 as the system's code page and keeps UTF-8 file names.
# Usage: prepare_wine.sh WINE_HOME WINDOWS_BIN
set -eu
home=$1
bin=$2

for program in KLVUtils.dll klvconv.exe klvinfo.exe klvmake.exe profile_probe.exe \
    codepage_probe.exe platform_win_test.exe; do
  if [ ! -f "$bin/$program" ]; then
    echo "prepare_wine: $bin/$program is missing: build the mingw preset first" \
         "(cmake --preset mingw && cmake --build build/mingw)" >&2
    exit 1
  fi
done

mkdir -p "$home"
if [ ! -f "$home/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
  mkdir -p "$home/locale"
  # localedef reports warnings with exit status 1 even when it wrote the locale.
  localedef -i ja_JP -f UTF-8 "$home/locale/ja_JP.UTF-8" || true
  if [ ! -f "$home/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
    echo "prepare_wine: cannot make the ja_JP.UTF-8 locale (is the locales package installed?)" >&2
    exit 1
  fi
fi

export WINEPREFIX="$home/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$home/locale" LC_ALL=ja_JP.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# Wine's background processes must not hold this script's output open: CTest waits for
# it to close.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i </dev/null >"$home/wineboot.log" 2>&1 || {
    cat "$home/wineboot.log" >&2
    exit 1
  }
  wineserver -w
fi
# The server stays up for a minute after the last program, so that the tests do not
# each pay for starting it.
wineserver -p60 </dev/null >/dev/null 2>&1
echo "prepare_wine: prefix $WINEPREFIX ready"
