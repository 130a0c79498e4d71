#!/usr/bin/env bash
# Compares a whole klvmake process on the 320 x 320 sample picture (81 tiles) with
# ImageMagick merely splitting the same picture into the same 81 overlapping tiles.
# Goal: the median wall time of klvmake at most half of convert's, the two measured
# alternately (bench/alternate.sh: ten rounds of five runs each), with no more peak memory.
# Usage: bench/klvmake_vs_convert.sh [BUILD_DIR]   (default build/release; a Release build)
# The programs work in a fresh folder under $TMPDIR (default /tmp). Run it on a disk file
# system (TMPDIR=/var/tmp, where the package's one sync and its folder's sync reach the
# disk) and on tmpfs (TMPDIR=/dev/shm, the programs' own work). A make creates and
# removes 83 work files each run, convert overwrites the files of its previous run: on a
# file system whose inode allocator steps over recently deleted inodes (ext4 without a
# journal), file creation grows slower with every run made in the last minutes. The load
# average is printed before and after: other programs on the machine lengthen both
# programs' times unevenly, so a run under load is to be repeated.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
bin=$build/bin
# Debian's ImageMagick itself, not a wrapper that may stand before it on the PATH.
convert=${CONVERT:-/usr/bin/convert}
for tool in hyperfine "$convert" /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done
[[ -x $bin/klvmake && -x $bin/klvsample ]] || { echo "build klvmake and klvsample in $build first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/klvmake" "$work/convert"
"$bin/klvsample" "$work/pic.bmp"

klvmake_cmd="$bin/klvmake $work/pic.bmp --out $work/klvmake --name Bench --seed 1"
convert_cmd="$convert $work/pic.bmp -crop 9x9+32+32@ +repage $work/convert/tile_%02d.bmp"

source "$root/bench/alternate.sh"
echo "file system of $work: $(stat -f -c %T "$work"); load before: $(load)"
# -N: no shell between hyperfine and the program, so only the programs are measured.
alternate "$work" 10 5 -N -n klvmake "$klvmake_cmd" -n convert "$convert_cmd"
echo "load after: $(load)"
medians "$work" >"$work/medians.json"
klvmake_kib=$(peak "$klvmake_cmd")
convert_kib=$(peak "$convert_cmd")

python3 - "$work/medians.json" "$klvmake_kib" "$convert_kib" <<'PY'
import json, sys
medians = json.load(open(sys.argv[1]))
k, c = medians["klvmake"], medians["convert"]
km, cm = int(sys.argv[2]), int(sys.argv[3])
print(f"median wall time: klvmake {k*1000:.2f} ms, convert {c*1000:.2f} ms, ratio {k/c:.3f} (goal <= 0.5)")
print(f"peak memory: klvmake {km} KiB, convert {cm} KiB (goal: klvmake <= convert)")
ok = k <= c / 2 and km <= cm
print("goal met" if ok else "goal NOT met")
sys.exit(0 if ok else 1)
PY
