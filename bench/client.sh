#!/usr/bin/env bash
# Builds the release program and the client benchmark, then prints the
# figures of a GetProcessList of 100,000 processes printed to a file.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQOR_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target qorcontrol bench_client -j3 >/dev/null
"$build/bench/bench_client" "${1:-100000}" "${2:-5}"
