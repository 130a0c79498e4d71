#!/usr/bin/env bash
# tests/installer/installer_wine_test.sh SETUP.exe: the Windows installer of the mingw build
# as a user meets it, silent under Wine in a fresh prefix: an upgrade for the current user in
# Japanese, an installation for all users in English beside a player that owns .klv, what
# they install and register, the installed programs at work, and removals that leave the
# registry and drive C: as they were. Run by scripts/package-tests.sh.
set -euo pipefail
setup=$(realpath "$1")
build=$(dirname "$setup")
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
started=$SECONDS
scratch=$(mktemp -d)
xvfb=""
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "installer test: $*" >&2
  exit 1
}

# winemenubuilder would copy the Start-menu entry and the file type into the host's desktop.
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all LOCPATH="$scratch/locale"
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir "$LOCPATH" "$scratch/work"
localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" 2>/dev/null || true
wineboot -i </dev/null >"$scratch/wineboot.log" 2>&1 || { cat "$scratch/wineboot.log" >&2; exit 1; }
# Keys that every Windows has and a fresh prefix lacks: the installer creates them, the
# uninstaller leaves them.
for key in 'HKCU\Software\Classes' 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'; do
  wine reg add "$key" /f </dev/null >/dev/null
done
wineserver -w
user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
work="Z:${scratch//\//\\}\\work"

run() { wine "$@" </dev/null; }
# An uninstaller goes on in a copy of itself after the program started has ended: this
# waits until every program of the prefix has ended.
uninstall() {
  wine "$1" /S </dev/null
  wineserver -w
}
# reg_value KEY NAME: "TYPE DATA" of the value NAME of KEY, of its default for "".
reg_value() {
  local name=(/ve)
  if [ -n "$2" ]; then name=(/v "$2"); fi
  wine reg query "$1" "${name[@]}" </dev/null 2>/dev/null | iconv -f CP932 -t UTF-8 |
    tr -d '\r' | sed -nE 's/^    .*    (REG_[A-Z_]+)    ?(.*)$/\1 \2/p' | grep .
}
expect() { # KEY NAME "TYPE DATA"|absent
  local got
  got=$(reg_value "$1" "$2") || got=absent
  [ "$got" = "$3" ] || fail "$1 [$2] is '$got', not '$3'"
}
# The registry (HKCU but Wine's own keys, HKLM\Software) and drive C: but Windows' own
# folder and the temporary folders (where NSIS leaves its empty working folders).
snapshot() {
  local hive
  for hive in HKCU 'HKLM\Software'; do
    wine reg export "$hive" "$scratch/export.reg" /y </dev/null >/dev/null
    iconv -f UTF-16LE -t UTF-8 "$scratch/export.reg" |
      awk '/^\[/ { wine = index($0, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 } !wine'
  done >"$scratch/$1.registry"
  (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path './users/*/Temp' -prune \
    -o -print | LC_ALL=C sort) >"$scratch/$1.files"
}
expect_as_before() { # WHAT
  snapshot after
  local part
  for part in registry files; do
    if ! diff "$scratch/before.$part" "$scratch/after.$part" >&2; then
      fail "$1 left the $part changed"
    fi
  done
}
set_path() { wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$1" /f </dev/null >/dev/null; }
# window_is_up PROGRAM TEXT: a window of PROGRAM whose title holds TEXT is shown on the
# virtual display (a message box would not name the package).
window_is_up() {
  local id
  for id in $(xwininfo -root -tree | grep -iF "(\"$1\" " | grep -F "$2" | awk '{print $1}'); do
    if xwininfo -id "$id" | grep -q "Map State: IsViewable"; then return 0; fi
  done
  return 1
}

# What the installation must hold: the programs that the install rules put into bin/.
cmake --install "$build" --prefix "$scratch/rules" >/dev/null
installed=$( (ls "$scratch/rules/bin"; printf '%s\n' README.md LICENSE KLVMaker.ico Uninstall.exe) |
  LC_ALL=C sort)
# An older version, with one file more that the upgrade must remove.
echo "file(WRITE \"\${CMAKE_INSTALL_PREFIX}/bin/klvold.txt\" \"\")" >"$scratch/older.cmake"
(cd "$root" && cpack --preset windows-installer -D CPACK_PACKAGE_VERSION=0.9.0 \
  -D CPACK_PACKAGE_DIRECTORY="$scratch/older" -D CPACK_INSTALL_SCRIPTS="$scratch/older.cmake") >/dev/null
older="$scratch/older/klvmaker-0.9.0-win64-setup.exe"

echo "== For the current user, in Japanese: the older version, then this one over it"
export LC_ALL=ja_JP.UTF-8
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KLVMaker'
set_path 'C:\tools;%USERPROFILE%\bin'
snapshot before
run "$older" /S /AddToPath '/D=C:\KLVMaker' || fail "the older version's installer failed"
expect "$uninstall_key" DisplayVersion "REG_SZ 0.9.0"
[ -f "$WINEPREFIX/drive_c/KLVMaker/klvold.txt" ] || fail "the older version is not installed"
run "$setup" /S || fail "the upgrade failed"
held=$(LC_ALL=C ls "$WINEPREFIX/drive_c/KLVMaker")
[ "$held" = "$installed" ] || fail "C:\\KLVMaker holds $(paste -sd ' ' <<<"$held")"
expect "$uninstall_key" DisplayName "REG_SZ KLVMaker"
expect "$uninstall_key" DisplayVersion "REG_SZ $version"
expect "$uninstall_key" Publisher "REG_SZ The KLVMaker authors"
expect "$uninstall_key" DisplayIcon 'REG_SZ C:\KLVMaker\KLVMaker.ico'
expect "$uninstall_key" UninstallString 'REG_SZ "C:\KLVMaker\Uninstall.exe"'
expect 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KLVMaker' "" absent
size=$(reg_value "$uninstall_key" EstimatedSize | sed 's/^REG_DWORD //')
[ $((size)) -gt 1000 ] || fail "the Apps entry gives the size $size KiB"
grep -qaF 'C:\KLVMaker\klvmaker.exe' \
  "$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/KLVMaker.lnk" ||
  fail "no Start-menu entry starts C:\\KLVMaker\\klvmaker.exe"
expect 'HKCU\Software\Classes\.klv' "" "REG_SZ KLVMaker.Package"
expect 'HKCU\Software\Classes\.klv\OpenWithProgids' KLVMaker.Package "REG_NONE "
expect 'HKCU\Software\Classes\KLVMaker.Package' "" "REG_SZ KLVMaker パズル パッケージ"
expect 'HKCU\Software\Classes\KLVMaker.Package\shell\open\command' "" \
  'REG_SZ "C:\KLVMaker\klvmaker.exe" "%1"'
# The upgrade kept the older installation's PATH entry, once.
expect 'HKCU\Environment' Path 'REG_EXPAND_SZ C:\tools;%USERPROFILE%\bin;C:\KLVMaker'
wine cmd /c klvmake --version </dev/null | tr -d '\r' | grep -qx "klvmake (KLVMaker) $version" ||
  fail "klvmake does not run from a console"

run "$build/bin/klvsample.exe" "$work\\sample.bmp"
run 'C:\KLVMaker\klvmake.exe' "$work\\sample.bmp" --out "$work" --name Sample >/dev/null ||
  fail "the installed klvmake.exe failed"
run 'C:\KLVMaker\klvinfo.exe' --check "$work\\Sample.klv" >/dev/null ||
  fail "the installed klvinfo.exe finds the package damaged"
# The desktop process that the programs before started without a display has told the
# prefix to draw without one: it must end before a window can show on the virtual display.
wineserver -w
exec 3>"$scratch/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
DISPLAY=":$(cat "$scratch/display")"
export DISPLAY
wine 'C:\KLVMaker\klvmaker.exe' "$work\\Sample.klv" </dev/null >/dev/null 2>&1 &
for _ in $(seq 60); do window_is_up klvmaker.exe Sample.klv && break; sleep 1; done
window_is_up klvmaker.exe Sample.klv || fail "klvmaker.exe showed no window for Sample.klv in 60 s"
# The installed maker window, started in a folder with one picture, makes its package by the
# two designed clicks (the first file of the list, the make button); Return closes the
# completion message and the program ends.
mkdir "$scratch/work/window"
run "$build/bin/klvsample.exe" "$work\\window\\photo.bmp" 200 150
run "$build/bin/klvmaker_driver.exe" "$work\\window" '--program=C:\KLVMaker\klvmaker.exe' \
  click:215,362 click:587,491 dialog key:return end | tr -d '\r' >"$scratch/driver.out" || true
grep -qx "exit 0" "$scratch/driver.out" ||
  fail "the installed klvmaker.exe did not end after its make: $(paste -sd ' ' "$scratch/driver.out")"
made=$(LC_ALL=C ls "$scratch/work/window" | paste -sd ' ')
[ "$made" = "photo.bmp photo.klv" ] || fail "the two clicks left '$made' beside the picture"
wineserver -k
wineserver -w
unset DISPLAY

# The window's settings are the user's and stay.
mkdir -p "$user_dir/AppData/Roaming/KLVMaker"
echo "[ToolsData]" >"$user_dir/AppData/Roaming/KLVMaker/Morvel.ini"
uninstall 'C:\KLVMaker\Uninstall.exe'
[ -f "$user_dir/AppData/Roaming/KLVMaker/Morvel.ini" ] || fail "the uninstaller removed Morvel.ini"
rm -r "$user_dir/AppData/Roaming/KLVMaker"
expect_as_before "the removal"

echo "== For all users, in English, beside a player that owns .klv"
export LC_ALL=C.UTF-8
wine reg add 'HKLM\Software\Classes\.klv' /ve /d KLVPlayer.Puzzle /f </dev/null >/dev/null
wine reg add 'HKLM\Software\Classes\KLVPlayer.Puzzle\shell\open\command' /ve /d \
  '"C:\Player\player.exe" "%1"' /f </dev/null >/dev/null
mkdir -p "$WINEPREFIX/drive_c/Mine"
echo "the user's own" >"$WINEPREFIX/drive_c/Mine/README.md"
snapshot before
# A folder with other files is refused: the installation would overwrite them.
status=0
run "$setup" /S /AllUsers '/D=C:\Mine' || status=$?
[ "$status" = 2 ] || fail "installing into a folder with other files gave status $status"
expect_as_before "the refused installation"
# The PATH before and after: none (the installation makes one, the removal removes it);
# one longer than an NSIS string holds (1023 characters) and one that the folder (25)
# would make one character too long, both left as they are.
folder='C:\Program Files\KLVMaker'
for case in "|$folder" "C:\\$(printf 'long%.0s' $(seq 275))|" "C:\\$(printf 'x%.0s' $(seq 995))|"; do
  path_before=${case%|*}
  path_after=${case#*|}
  if [ -n "$path_before" ]; then
    set_path "$path_before"
  else
    wine reg delete 'HKCU\Environment' /v Path /f </dev/null >/dev/null
  fi
  snapshot before
  run "$setup" /S /AllUsers /AddToPath || fail "the installation for all users failed"
  expect 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KLVMaker' InstallLocation \
    "REG_SZ $folder"
  [ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/KLVMaker.lnk" ] ||
    fail "no Start-menu entry for all users"
  expect 'HKLM\Software\Classes\.klv' "" "REG_SZ KLVPlayer.Puzzle"
  expect 'HKLM\Software\Classes\.klv\OpenWithProgids' KLVMaker.Package "REG_NONE "
  expect 'HKLM\Software\Classes\KLVMaker.Package' "" "REG_SZ KLVMaker puzzle package"
  expect 'HKCU\Environment' Path "REG_EXPAND_SZ ${path_after:-$path_before}"
  uninstall "$folder\\Uninstall.exe"
  expect_as_before "the installation and removal for all users"
done

echo "installer test: passed in $((SECONDS - started)) s (installer $(stat -c %s "$setup") bytes)"
