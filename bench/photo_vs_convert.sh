#!/usr/bin/env bash
# Compares a whole klvmake process that fits a 4000 x 3000 JPEG photo to the grid
# (klvmake photo.jpg --fit: 9 x 7 tiles) with ImageMagick's best pipeline that merely
# fits the same photo and cuts the same 63 overlapping tiles (decoding at a reduced
# size, resizing, cutting the centre, cropping the tiles).
# Goal: the median wall time of klvmake at most 0.35 of convert's, the two measured
# alternately (bench/alternate.sh: six rounds of four runs each), with less peak memory.
# Usage: bench/photo_vs_convert.sh [BUILD_DIR]   (default build/release; a Release build)
# The programs work in a fresh folder under $TMPDIR, by default /dev/shm (tmpfs), so that
# the disk does not take part; TMPDIR=/var/tmp measures them on the disk. The photo is a
# plasma fractal drawn by ImageMagick with a fixed seed, saved at quality 90. Most of
# klvmake's time is libjpeg-turbo entropy-decoding the whole file, which no scale spares:
# klv_benchmarks' BM_DecodeJpegPhotoAtTheFitsScale measures that floor in one process.
# The load average is printed before and after; a run under load is to be repeated.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
bin=$build/bin
# Debian's ImageMagick itself, not a wrapper that may stand before it on the PATH.
convert=${CONVERT:-/usr/bin/convert}
for tool in hyperfine "$convert" /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 2; }
done
[[ -x $bin/klvmake ]] || { echo "build klvmake in $build first" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/dev/shm}/klv-photo-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/klvmake" "$work/convert"
"$convert" -seed 7 -size 4000x3000 plasma:fractal -quality 90 "$work/photo.jpg"

klvmake_cmd="$bin/klvmake $work/photo.jpg --fit --out $work/klvmake --name Bench --seed 1"
convert_cmd="$convert -define jpeg:size=682x512 $work/photo.jpg -resize 341x256^ -gravity center \
-extent 320x256 -crop 9x7+32+32@ +repage $work/convert/t_%02d.bmp"
# shellcheck disable=SC2086 # the command is split into its words on purpose
$klvmake_cmd >/dev/null || { echo "klvmake cannot fit the photo (no --fit?)" >&2; exit 2; }

source "$root/bench/alternate.sh"
echo "file system of $work: $(stat -f -c %T "$work"); load before: $(load)"
# -N: no shell between hyperfine and the program, so only the programs are measured.
alternate "$work" 6 4 -N -n klvmake "$klvmake_cmd" -n convert "$convert_cmd"
echo "load after: $(load)"
medians "$work" >"$work/medians.json"
klvmake_kib=$(peak "$klvmake_cmd")
convert_kib=$(peak "$convert_cmd")

python3 - "$work/medians.json" "$klvmake_kib" "$convert_kib" <<'PY'
import json, sys
medians = json.load(open(sys.argv[1]))
k, c = medians["klvmake"], medians["convert"]
km, cm = int(sys.argv[2]), int(sys.argv[3])
print(f"median wall time: klvmake {k*1000:.2f} ms, convert {c*1000:.2f} ms, ratio {k/c:.3f} (goal <= 0.35)")
print(f"peak memory: klvmake {km} KiB, convert {cm} KiB (goal: klvmake < convert)")
ok = k <= 0.35 * c and km < cm
print("goal met" if ok else "goal NOT met")
sys.exit(0 if ok else 1)
PY
