#!/usr/bin/env bash
# scripts/run-tests.sh [--quick]
# Builds and runs every test: the Windows cross-build first (its programs are compared
# with the Linux ones under Wine), then the developer build's whole suite, the web page
# (its WebAssembly build and its tests in headless Chromium), clang-tidy on
# the product code (the Windows sources with the cross-build's compile database), the
# maker's core and klvmake tests at -O3 for x86-64-v3, the clang build with the address and
# undefined-behaviour sanitizers (the same suite under them, then each fuzz target for a
# bounded time), and the packages as a user gets them (the .deb installed with apt, the
# Windows zip, the Windows installer under Wine). The tests of a build run in parallel. Prints how long each stage took and
# ends with one line that counts every test run, failed and skipped. With --quick, for
# day-to-day work: the developer build and its tests only (without the Wine comparisons).
set -euo pipefail
cd "$(dirname "$0")/.."
quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *)
    echo "usage: $0 [--quick]" >&2
    exit 2
    ;;
esac
FUZZ_SECONDS="${FUZZ_SECONDS:-30}"
jobs=$(nproc)
passed=0
failed=0
skipped=0
log=$(mktemp)
cpu_file=$(mktemp)
trap 'rm -f "$log" "$cpu_file"' EXIT

# Runs ctest with the given arguments, the tests in parallel, and adds its counts to the
# totals.
run_ctest() {
  local rc=0
  ctest --parallel "$jobs" "$@" 2>&1 | tee "$log" || rc=$?
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local f t s
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    # ctest lists the skipped tests under "The following tests did not run:".
    s=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$log" || true)
    passed=$((passed + t - f - s))
    failed=$((failed + f))
    skipped=$((skipped + s))
  elif [ "$rc" -ne 0 ]; then
    failed=$((failed + 1))
  fi
  return 0
}

# count COMMAND...: runs a check that is one test and counts it.
count() {
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
}

# stage TITLE: starts the next stage. finish lists how long each took, on the clock and in
# processor time (user and system, of the programs that the stage ran), and ends with the
# counts. Other work on the machine lengthens the first, hardly the second; the fuzzing runs
# for a set time, so it gets the less processor time the busier the machine.
stage_times=""
stage_title=""
# Sets cpu to the processor seconds of the programs run so far (the second line of `times`,
# which must run in this shell, not in a subshell).
read_cpu() {
  times >"$cpu_file"
  cpu=$(tail -n 1 "$cpu_file" | awk '{ split($1, u, /[ms]/); split($2, s, /[ms]/)
    printf "%d", u[1] * 60 + u[2] + s[1] * 60 + s[2] }')
}
stage_end() {
  [ -n "$stage_title" ] || return 0
  read_cpu
  stage_times+="$(printf '%6d s %8d s  %s' $((SECONDS - stage_start)) $((cpu - stage_cpu)) \
    "$stage_title")"$'\n'
}
stage() {
  stage_end
  stage_title=$1
  stage_start=$SECONDS
  read_cpu
  stage_cpu=$cpu
  echo "== $1"
}
finish() {
  stage_end
  echo
  echo "   clock  processor  stage"
  printf '%s' "$stage_times"
  printf '%6d s %8d s  the whole run\n' "$SECONDS" "$cpu"
  echo "all suites: ${passed} passed, ${failed} failed, ${skipped} skipped"
  [ "$failed" -eq 0 ]
}

if $quick; then
  stage "Developer build and tests"
  cmake --preset dev >/dev/null
  cmake --build --preset dev
  run_ctest --preset dev
  finish
  exit
fi

stage "Windows cross-build (mingw-w64)"
cmake --preset mingw >/dev/null
cmake --build --preset mingw

stage "Developer build and tests, with the Wine comparisons"
cmake --preset dev -DKLV_WINE_BUILD_DIR="$PWD/build/mingw" >/dev/null
cmake --build --preset dev
run_ctest --preset dev -LE web

stage "The web page: its WebAssembly build, and its tests in headless Chromium"
cmake --preset web >/dev/null
cmake --build --preset web
cmake --preset dev -DKLV_WEB_BUILD_DIR="$PWD/build/web" >/dev/null
cmake --build --preset dev --target klvmake klv_web_test_pictures
run_ctest --preset dev -L web

stage "clang-tidy on the product code, the Windows sources with the cross-build's database"
count ./scripts/tidy.sh build/dev build/mingw

stage "The maker's core at -O3 for x86-64-v3: the pinned --seed packages must not change"
# With FMA available the compiler may fuse a multiply and an add into one rounding; the
# pinned packages prove that no such build changes a byte. The loader says whether this
# processor runs x86-64-v3 programs.
levels=$(/lib64/ld-linux-x86-64.so.2 --help 2>/dev/null || true)
if grep -q 'x86-64-v3 (supported' <<<"$levels"; then
  cmake --preset portable-check >/dev/null
  cmake --build --preset portable-check
  count build/portable-check/bin/klv_maker_tests
  # klvmake's tests expect its Japanese messages, as under ctest.
  count env LANGUAGE=ja build/portable-check/bin/klvmake_tests
else
  echo "skipped: this processor cannot run x86-64-v3 programs (AVX2, FMA, BMI2 and others)"
  skipped=$((skipped + 1))
fi

stage "Sanitizer build (clang, address and undefined behaviour): the suite and the fuzz targets"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
run_ctest --preset sanitize

stage "Fuzzing, ${FUZZ_SECONDS} s a target"
count ./scripts/fuzz.sh "$FUZZ_SECONDS"

stage "The packages: the .deb installed and tried, the Windows zip and installer"
count ./scripts/package-tests.sh

finish
