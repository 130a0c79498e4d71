#!/usr/bin/env bash
# bench/web_budget.sh [WEB_BUILD_DIR] [DEV_BUILD_DIR]: measures the web page's budgets:
# the page's script and WebAssembly compressed with gzip -9 (together under 600 KB), and
# the time from choosing a 12-megapixel JPEG to the package's download in headless
# Chromium (under 1 s; web_bench.mjs, median of five runs). WEB_BUILD_DIR (default
# build/web) is the web preset's build; DEV_BUILD_DIR (default build/dev) a Linux build
# configured with -DKLV_WEB_BUILD_DIR, which holds the browser tests' harness (npm ci is
# run there when its node_modules is missing).
set -euo pipefail
cd "$(dirname "$0")/.."
web="${1:-build/web}"
dev="${2:-build/dev}"
cmake --build "$web" --target klv_web_site >/dev/null

js=$(gzip -9c "$web/site/klvmaker.js" | wc -c)
wasm=$(gzip -9c "$web/site/klvmaker.wasm" | wc -c)
kb() { echo "$(( ($1 + 512) / 1024 )) KB"; }
echo "klvmaker.js: $(kb "$(stat -c %s "$web/site/klvmaker.js")"), $(kb "$js") gzip"
echo "klvmaker.wasm: $(kb "$(stat -c %s "$web/site/klvmaker.wasm")"), $(kb "$wasm") gzip"
echo "together: $(kb $((js + wasm))) gzip (budget: under 600 KB)"

browser="$dev/web/tests/browser"
if [ ! -f "$browser/harness.mjs" ]; then
  echo "web_budget: $browser is missing: configure $dev with -DKLV_WEB_BUILD_DIR=$PWD/$web" >&2
  exit 2
fi
[ -d "$browser/node_modules" ] || (cd "$browser" && npm ci --no-audit --no-fund)
node "$browser/web_bench.mjs" --site "$web/site"
