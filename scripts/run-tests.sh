#!/usr/bin/env bash
# scripts/run-tests.sh [--quick]
# Builds and runs every test: the Windows cross-build first (its programs are compared
# with the Linux ones under Wine), then the developer build's whole suite, the web page
# (its WebAssembly build and its tests in headless Chromium), clang-tidy on
# the product code, the maker's core tests in an -O3 x86-64-v3 build, the same suite under the address and
# undefined-behaviour sanitizers, each fuzz target for a bounded time, and the packages as
# a user gets them (the .deb installed with apt, the Windows zip, the Windows installer
# under Wine). Ends with one line that counts every test run. With --quick, for
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
passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Runs ctest with the given arguments and adds its counts to the totals.
run_ctest() {
  local rc=0
  ctest "$@" 2>&1 | tee "$log" || rc=$?
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$line" ]; then
    local f t
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + t - f))
    failed=$((failed + f))
  elif [ "$rc" -ne 0 ]; then
    failed=$((failed + 1))
  fi
  return 0
}

if $quick; then
  echo "== Developer build and tests"
  cmake --preset dev >/dev/null
  cmake --build --preset dev
  run_ctest --preset dev
  echo "all suites: ${passed} passed, ${failed} failed"
  [ "$failed" -eq 0 ]
  exit
fi

echo "== Windows cross-build (mingw-w64)"
cmake --preset mingw >/dev/null
cmake --build --preset mingw

echo "== Developer build and tests, with the Wine comparisons"
cmake --preset dev -DKLV_WINE_BUILD_DIR="$PWD/build/mingw" >/dev/null
cmake --build --preset dev
run_ctest --preset dev -LE web

echo "== The web page: its WebAssembly build, and its tests in headless Chromium"
web_start=$SECONDS
cmake --preset web >/dev/null
cmake --build --preset web
cmake --preset dev -DKLV_WEB_BUILD_DIR="$PWD/build/web" >/dev/null
cmake --build --preset dev --target klvmake klv_web_test_pictures
run_ctest --preset dev -L web
echo "the web stage took $((SECONDS - web_start)) s"

echo "== clang-tidy on the product code"
if ./scripts/tidy.sh build/dev; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "== The maker's core at -O3 for x86-64-v3: the pinned --seed packages must not change"
# With FMA available the compiler may fuse a multiply and an add into one rounding; the
# pinned packages prove that no such build changes a byte.
if grep -qw avx2 /proc/cpuinfo && grep -qw fma /proc/cpuinfo && grep -qw bmi2 /proc/cpuinfo; then
  cmake --preset portable-check >/dev/null
  cmake --build --preset portable-check
  if build/portable-check/bin/klv_maker_tests; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
else
  echo "this processor cannot run x86-64-v3 programs: the check cannot be made here"
  failed=$((failed + 1))
fi

echo "== Sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan
run_ctest --preset asan

echo "== Fuzzing, ${FUZZ_SECONDS} s a target"
if ./scripts/fuzz.sh "$FUZZ_SECONDS"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "== The packages: the .deb installed and tried, the Windows zip and installer"
if ./scripts/package-tests.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo "all suites: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
