#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS]: builds the fuzz targets of the sanitize preset (clang, address
# and undefined-behaviour sanitizers) and runs every target for SECONDS each (default 60),
# as many at once as there are processors. Each target starts from a scratch copy of
# fuzz/corpus/<target>, so the repository is not modified; what a target finds is kept in
# build/fuzz-runs/<target>/. Exits non-zero when any target crashes, hangs or runs out of
# memory; prints the executions per target.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: $0 [SECONDS]   (a whole number of seconds per target, default 60)" >&2
  exit 2
fi

targets=()
for corpus in fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
cmake --preset sanitize >/dev/null || exit 1
cmake --build --preset sanitize --target "${targets[@]}" || exit 1

runs_dir="build/fuzz-runs"
at_once=$(nproc)

# fuzz TARGET: runs one target from a scratch copy of its corpus; its log and exit status
# go to build/fuzz-runs/TARGET/.
fuzz() {
  local target=$1
  local work="$runs_dir/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "fuzz/corpus/$target"/* "$work/corpus/"
  # -timeout: one input taking 10 s counts as a hang; -rss_limit_mb: a run that needs
  # more than 2 GB counts as a failure (the inputs are small, so the memory use must be).
  "build/sanitize/bin/$target" "$work/corpus" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/" >"$work/log.txt" 2>&1
  echo "$?" >"$work/status"
}

for target in "${targets[@]}"; do
  if [ ! -x "build/sanitize/bin/$target" ]; then
    echo "fuzz.sh: build/sanitize/bin/$target was not built" >&2
    exit 1
  fi
done
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$at_once" ]; do wait -n; done
  echo "== $target: $seconds s"
  fuzz "$target" &
done
wait

failed=0
summary=""
for target in "${targets[@]}"; do
  work="$runs_dir/$target"
  status="$(cat "$work/status")"
  execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt" | tail -1)"
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "   $target FAILED (exit $status); log: $work/log.txt"
    grep -E "^==[0-9]+==ERROR|runtime error|_fuzzer: |Test unit written to" "$work/log.txt" \
        | head -5 | sed 's/^/   /'
  fi
  summary+="$(printf '%-24s %12s executions  %s' "$target" "${execs:-?}" \
      "$([ "$status" -eq 0 ] && echo ok || echo FAILED)")"$'\n'
done

echo
echo "Fuzzing summary ($seconds s per target, $at_once at once):"
printf '%s' "$summary"
exit "$failed"
