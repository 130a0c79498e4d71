#!/usr/bin/env bash
# A set of 100 pictures of 320 x 320 pixels made into one folder: klvmake with -j 2 against
# klvmake one picture at a time, and against ImageMagick merely splitting the same 100
# pictures into their 81 overlapping tiles, two at a time with xargs -P 2.
# Goals on a 2-core machine: -j 2 at least 1.8 times faster than -j 1, and at most 0.4 of
# the wall time of the split.
# Usage: bench/klvmake_set_vs_convert.sh [BUILD_DIR]   (default build/release; a Release build)
# The programs work in a fresh folder under $TMPDIR (default /tmp); run it with
# TMPDIR=/var/tmp (a disk) and TMPDIR=/dev/shm (tmpfs), as klvmake_vs_convert.sh says.
# Times are the medians of five rounds that run the three in turn (bench/alternate.sh).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
bin=$build/bin
# Debian's ImageMagick itself, not a wrapper that may stand before it on the PATH.
convert=${CONVERT:-/usr/bin/convert}
for tool in hyperfine "$convert" xargs; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done
[[ -x $bin/klvmake && -x $bin/klvsample ]] || { echo "build klvmake and klvsample in $build first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pics" "$work/j1" "$work/j2" "$work/convert"
"$bin/klvsample" "$work/pics/pic000.bmp" >/dev/null
for i in $(seq 1 99); do cp "$work/pics/pic000.bmp" "$(printf '%s/pics/pic%03d.bmp' "$work" "$i")"; done

j1_cmd="$bin/klvmake $work/pics --out $work/j1 --seed 1 -j 1"
j2_cmd="$bin/klvmake $work/pics --out $work/j2 --seed 1 -j 2"
convert_cmd="cd $work/pics && printf '%s\0' *.bmp | xargs -0 -P 2 -I{} $convert {} -crop 9x9+32+32@ +repage ../convert/{}_%02d.bmp"

source "$root/bench/alternate.sh"
echo "file system of $work: $(stat -f -c %T "$work"); load before: $(load)"
alternate "$work" 5 1 -n "klvmake -j 1" "$j1_cmd >/dev/null" \
  -n "klvmake -j 2" "$j2_cmd >/dev/null" -n "convert xargs -P 2" "$convert_cmd"
echo "load after: $(load)"
cmp "$work/j1/pic042.klv" "$work/j2/pic042.klv"
medians "$work" >"$work/medians.json"

python3 - "$work/medians.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))
j1, j2, c = runs["klvmake -j 1"], runs["klvmake -j 2"], runs["convert xargs -P 2"]
print(f"median wall time: -j 1 {j1:.3f} s, -j 2 {j2:.3f} s, convert {c:.3f} s")
print(f"speed-up of -j 2: {j1/j2:.2f} (goal >= 1.8); -j 2 / convert: {j2/c:.3f} (goal <= 0.4)")
ok = j1 / j2 >= 1.8 and j2 <= 0.4 * c
print("goals met" if ok else "goals NOT met")
sys.exit(0 if ok else 1)
PY
