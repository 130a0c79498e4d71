#!/bin/sh
# Prepares what the Wine tests run in: the Windows build's programs must be there, a
# Wine prefix of their own (made once, then reused), and a Japanese UTF-8 locale, with
# which Wine takes code page 932 as the system's code page and keeps UTF-8 file names
# (and an English one, which sets the user's language alone).
# The prefix has no display: Wine's null graphics driver lets the window tests create
# klvmaker.exe's windows and work them by messages (klvmaker_driver.exe) without showing
# anything; the Japanese UI fonts are the system's CJK font (fonts-noto-cjk).
# Usage: prepare_wine.sh WINE_HOME WINDOWS_BIN
set -eu
home=$1
bin=$2

for program in KLVUtils.dll klvconv.exe klvinfo.exe klvmake.exe klvmaker.exe \
    klvmaker_driver.exe profile_probe.exe codepage_probe.exe platform_win_test.exe; do
  if [ ! -f "$bin/$program" ]; then
    echo "prepare_wine: $bin/$program is missing: build the mingw preset first" \
         "(cmake --preset mingw && cmake --build build/mingw)" >&2
    exit 1
  fi
done

mkdir -p "$home"
for locale in ja_JP en_US; do
  if [ ! -f "$home/locale/$locale.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$home/locale"
    # localedef reports warnings with exit status 1 even when it wrote the locale.
    localedef -i $locale -f UTF-8 "$home/locale/$locale.UTF-8" || true
    if [ ! -f "$home/locale/$locale.UTF-8/LC_CTYPE" ]; then
      echo "prepare_wine: cannot make the $locale.UTF-8 locale (is the locales package installed?)" >&2
      exit 1
    fi
  fi
done

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
# Settings made once; a server still running with the old ones is stopped.
if ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" ||
   ! grep -q '"MS UI Gothic"="Noto Sans CJK JP"' "$WINEPREFIX/system.reg"; then
  wineserver -k 2>/dev/null || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  for face in "MS UI Gothic" "Meiryo UI" "Yu Gothic UI"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v "$face" /d "Noto Sans CJK JP" /f </dev/null >/dev/null 2>&1
  done
  wineserver -w
fi
# The server stays up for a minute after the last program, so that the tests do not
# each pay for starting it.
wineserver -p60 </dev/null >/dev/null 2>&1
echo "prepare_wine: prefix $WINEPREFIX ready"
