#!/bin/sh
# check_layout.sh PREFIX BINDIR LIBDIR INCLUDEDIR MANDIR DOCDIR VERSION GUI: fails unless
# the install in PREFIX has every file in its place: the programs (the window when GUI
# is 1), the versioned library with its two links, the header, the CMake package, a
# klvutils.pc naming PREFIX, the manual pages and the license; and no test tool.
set -eu
prefix=$1 bin=$2 lib=$3 include=$4 man=$5 doc=$6 version=$7 gui=$8
major=${version%%.*}
failed=0
fail() {
  echo "check_layout: $*" >&2
  failed=1
}

for file in "$bin/klvmake" "$bin/klvconv" "$lib/libKLVUtils.so.$version" \
    "$include/KLVUtils.h" "$lib/cmake/KLVUtils/KLVUtilsConfig.cmake" \
    "$lib/cmake/KLVUtils/KLVUtilsConfigVersion.cmake" "$lib/pkgconfig/klvutils.pc" \
    "$man/man1/klvmake.1" "$man/man1/klvconv.1" "$doc/LICENSE" "$doc/README.md"; do
  [ -f "$prefix/$file" ] || fail "$file is missing"
done
if [ "$gui" = 1 ]; then
  [ -x "$prefix/$bin/klvmaker" ] || fail "$bin/klvmaker is missing"
fi
# The loader finds the library by its soname; the programs ask for the plain name.
[ "$(readlink "$prefix/$lib/libKLVUtils.so.$major")" = "libKLVUtils.so.$version" ] ||
  fail "$lib/libKLVUtils.so.$major does not link to libKLVUtils.so.$version"
[ "$(readlink "$prefix/$lib/libKLVUtils.so")" = "libKLVUtils.so.$major" ] ||
  fail "$lib/libKLVUtils.so does not link to libKLVUtils.so.$major"
[ ! -e "$prefix/$bin/klvsample" ] || fail "the test tool klvsample is installed"
grep -qx "prefix=$prefix" "$prefix/$lib/pkgconfig/klvutils.pc" ||
  fail "klvutils.pc does not name the prefix $prefix"
grep -qx "Version: $version" "$prefix/$lib/pkgconfig/klvutils.pc" ||
  fail "klvutils.pc does not give the version $version"
for page in klvmake klvconv; do
  grep -q "$version" "$prefix/$man/man1/$page.1" || fail "$page.1 does not name version $version"
done
exit $failed
