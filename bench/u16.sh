#!/usr/bin/env bash
# Builds the Unicode runtime benchmarks in an optimised build and prints
# their figures: printfU16 against fprintf, and the UTF-16 to UTF-8
# conversion against iconv.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/bench-u16}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQOR_SANITIZE=OFF -DQOR_BUILD_BENCH=ON &&
       cmake --build "$build" --target bench_u16_printf bench_u16_utf -j3; } >"$log" 2>&1; then
  cat "$log"
  echo "benchmark build failed" >&2
  exit 1
fi
echo "== printfU16, 1,000,000 list lines to a file"
"$build/bench/bench_u16_printf" 1000000 "${TMPDIR:-/tmp}"
echo
echo "== UTF-16 to UTF-8, 100 MB"
"$build/bench/bench_u16_utf" 100
