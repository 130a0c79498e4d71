#!/bin/sh
# run_installed.sh BIN KLVSAMPLE SCRATCH: the installed klvmake and klvconv, run from
# BIN with nothing but their run path to find KLVUtils, make a package from the sample
# picture; klvconv converts the work files that klvmake kept into the same package.
set -eu
bin=$1 klvsample=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch/make"
unset LD_LIBRARY_PATH
"$klvsample" "$scratch/sample.bmp"
"$bin/klvmake" "$scratch/sample.bmp" --out "$scratch/make" --name Sample --seed 7 \
  --keep-work-files
[ -s "$scratch/make/Sample.klv" ] || { echo "klvmake wrote no package" >&2; exit 1; }
mv "$scratch/make/Sample.klv" "$scratch/Sample-klvmake.klv"
"$bin/klvconv" "$scratch/make"
cmp "$scratch/Sample-klvmake.klv" "$scratch/make/Sample.klv"
