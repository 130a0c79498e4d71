#!/bin/sh
# run_installed.sh BIN KLVSAMPLE SCRATCH: the installed klvmake and klvconv, run from
# BIN with nothing but their run path to find KLVUtils, make a package from the sample
# picture; klvconv converts the work folder that klvmake kept into the same package.
set -eu
bin=$1 klvsample=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/make"
unset LD_LIBRARY_PATH
"$klvsample" "$scratch/sample.bmp"
# klvmake prints the grid, the work folder it kept, then the package.
kept=$("$bin/klvmake" "$scratch/sample.bmp" --out "$scratch/make" --name Sample --seed 7 \
  --keep-work-files | sed -n 2p)
[ -s "$scratch/make/Sample.klv" ] || { echo "klvmake wrote no package" >&2; exit 1; }
[ -d "$kept" ] || { echo "klvmake kept no work folder" >&2; exit 1; }
"$bin/klvconv" "$kept"
cmp "$scratch/make/Sample.klv" "$kept/Sample.klv"
