#!/usr/bin/env bash
# Builds the release program and the client benchmark, then prints the
# figures of large and unusual replies read by qorcontrol, side by side with
# curl fetching the same replies.
#
#   bench/client.sh [RUNS] [PROCESSES] [SNAPSHOT_MB]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/bench
command -v curl >/dev/null || { echo "client.sh: curl is needed for the comparison" >&2; exit 2; }
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQOR_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target qorcontrol bench_client -j4 >/dev/null
"$build/bench/bench_client" --runs "${1:-5}" --processes "${2:-100000}" --snapshot-mb "${3:-100}" \
  "$(command -v curl)"
