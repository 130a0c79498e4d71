#!/usr/bin/env bash
# scripts/package-tests.sh [--debian | --windows]: the packages as a user gets them. Builds
# the Debian package (preset "package", cpack --preset deb), checks its computed
# dependencies, installs it with apt, makes a package from the sample picture with the
# installed klvmake (and checks it with the installed klvinfo when the package has it),
# starts the installed window offscreen and sees that it stays up, then removes the
# package. Then the Windows build (preset mingw): what its zip holds (cpack --preset
# windows-zip), and its installer (cpack --preset windows-installer) tried under Wine by
# tests/installer/installer_wine_test.sh. --debian or --windows runs that part alone. The
# Debian part needs root or sudo for apt and refuses to run when klvmaker is already
# installed, so that nobody's own installation is replaced or removed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
debian=1
windows=1
case "${1:-}" in
  "") ;;
  --debian) windows=0 ;;
  --windows) debian=0 ;;
  *)
    echo "usage: $0 [--debian | --windows]" >&2
    exit 2
    ;;
esac
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
apt_get() { $SUDO apt-get -y -q -o DPkg::Lock::Timeout=600 "$@"; }
fail() {
  echo "package-tests: $*" >&2
  exit 1
}

# The Windows part: the zip's contents, the installer under Wine.
windows_tests() {
  echo "== The Windows zip"
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/mingw/CMakeCache.txt)
  archive="build/mingw/klvmaker-${version}-win64.zip"
  rm -f "$archive"
  cpack --preset windows-zip
  [ -f "$archive" ] || fail "$archive was not made"
  listing=$(cmake -E tar tf "$archive")
  top="klvmaker-${version}-win64"
  wanted=("$top/bin/KLVUtils.dll" "$top/bin/klvmaker.exe" "$top/bin/klvconv.exe" \
    "$top/bin/klvmake.exe" "$top/README.md" "$top/LICENSE" "$top/include/KLVUtils.h")
  if [ -f build/mingw/bin/klvinfo.exe ]; then wanted+=("$top/bin/klvinfo.exe"); fi
  for file in "${wanted[@]}"; do
    grep -qx "$file" <<<"$listing" || fail "$archive lacks $file"
  done
  echo "$archive: $(grep -c . <<<"$listing") files"

  echo "== The Windows installer, under Wine"
  local setup="build/mingw/klvmaker-${version}-win64-setup.exe"
  rm -f "$setup"
  cpack --preset windows-installer
  [ -f "$setup" ] || fail "$setup was not made"
  tests/installer/installer_wine_test.sh "$setup"
}
if [ "$debian" = 0 ]; then
  windows_tests
  echo "package-tests: all passed"
  exit 0
fi

if dpkg-query -W -f='${Status}' klvmaker 2>/dev/null | grep -q "ok installed"; then
  fail "klvmaker is installed already; remove it first (apt remove klvmaker)"
fi

echo "== The Debian package"
cmake --preset package >/dev/null
cmake --build --preset package
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package/CMakeCache.txt)
arch=$(dpkg --print-architecture)
deb="build/package/klvmaker_${version}_${arch}.deb"
rm -f "$deb"
cpack --preset deb
[ -f "$deb" ] || fail "$deb was not made"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libqt6widgets6; do
  grep -q "$library" <<<"$depends" || fail "the computed dependencies lack $library"
done

scratch=$(mktemp -d)
installed=0
cleanup() {
  if [ "$installed" = 1 ]; then apt_get purge klvmaker >/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

apt_get install "$root/$deb"
installed=1

echo "== The installed programs"
programs=(klvmaker klvmake klvconv)
if [ -e /usr/bin/klvinfo ]; then programs+=(klvinfo); fi
for program in "${programs[@]}"; do
  [ "$(command -v "$program")" = "/usr/bin/$program" ] || fail "$program is not in /usr/bin"
  "/usr/bin/$program" --version | head -n 1 | grep -qx "$program (KLVMaker) $version" ||
    fail "$program --version does not say $version"
done
for page in "${programs[@]:1}"; do
  [ -f "/usr/share/man/man1/$page.1" ] || fail "the manual page $page.1 is missing"
done
grep -q ":application/x-klv-puzzle:\*\.klv$" /usr/share/mime/globs2 ||
  fail "the MIME database does not know application/x-klv-puzzle"
desktop_id=io.github.klvmaker.KLVMaker
for file in "/usr/share/applications/$desktop_id.desktop" \
    "/usr/share/metainfo/$desktop_id.metainfo.xml" \
    "/usr/share/icons/hicolor/256x256/apps/$desktop_id.png"; do
  [ -f "$file" ] || fail "$file is missing"
done

build/package/bin/klvsample "$scratch/sample.bmp"
mkdir "$scratch/out"
/usr/bin/klvmake "$scratch/sample.bmp" --out "$scratch/out" --name Sample
[ -s "$scratch/out/Sample.klv" ] || fail "the installed klvmake wrote no package"
if [ -x /usr/bin/klvinfo ]; then
  /usr/bin/klvinfo --check "$scratch/out/Sample.klv"
fi

echo "== The installed window, offscreen"
# It must still be running when the time is up (timeout's status 124): it came up and
# waits for the user. Its settings go to the scratch folder.
status=0
HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" QT_QPA_PLATFORM=offscreen \
  timeout 5 /usr/bin/klvmaker >"$scratch/window.log" 2>&1 || status=$?
if [ "$status" != 124 ]; then
  cat "$scratch/window.log" >&2
  fail "the window ended by itself (status $status) instead of waiting"
fi

apt_get purge klvmaker
installed=0
[ ! -e /usr/bin/klvmake ] || fail "removing the package left /usr/bin/klvmake"

if [ "$windows" = 1 ]; then windows_tests; fi
echo "package-tests: all passed"
