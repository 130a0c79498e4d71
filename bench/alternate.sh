# Sourced by the comparison scripts: measures programs alternately, so that a change in
# the machine's load during a measurement falls on all of them alike (one hyperfine run
# measures each command's series after the other's), and gives their medians and peaks.

# alternate DIR ROUNDS RUNS HYPERFINE_ARGUMENTS...: ROUNDS rounds of hyperfine, each
# running every command RUNS times in turn after one warm-up run; the results go to
# DIR/round-N.json. hyperfine's messages are shown only when it fails.
alternate() {
  local dir=$1 rounds=$2 runs=$3 round
  shift 3
  for round in $(seq "$rounds"); do
    hyperfine --warmup 1 --runs "$runs" --style none --export-json "$dir/round-$round.json" \
      "$@" >/dev/null 2>"$dir/round-$round.log" || { cat "$dir/round-$round.log" >&2; return 1; }
  done
}

# medians DIR: the median wall time in seconds of each command over all of DIR's rounds,
# as one JSON object by command name.
medians() {
  python3 - "$1" <<'PY'
import glob, json, statistics, sys
times = {}
for path in sorted(glob.glob(sys.argv[1] + "/round-*.json")):
    for result in json.load(open(path))["results"]:
        times.setdefault(result["command"], []).extend(result["times"])
print(json.dumps({name: statistics.median(t) for name, t in times.items()}))
PY
}

# peak COMMAND: the peak resident memory in KiB of COMMAND (split into its words), the
# largest of five runs.
peak() {
  local most=0 kib
  for _ in 1 2 3 4 5; do
    # shellcheck disable=SC2086 # the command is split into its words on purpose
    kib=$(/usr/bin/time -f '%M' $1 2>&1 >/dev/null | tail -1)
    (( kib > most )) && most=$kib
  done
  echo "$most"
}

# load: the load averages of the last 1, 5 and 15 minutes.
load() { cut -d' ' -f1-3 /proc/loadavg; }
