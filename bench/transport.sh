#!/usr/bin/env bash
# Transport benchmark: one GetProcessList as a whole qorcontrol process over
# NI_HTTP against curl posting the same request (medians and ratio, goal
# <= 1.0), and -repeat over one kept-alive connection (calls per second).
#
#   bench/transport.sh [BUILD_DIR] [RUNS] [CALLS]
#
# BUILD_DIR is an optimised build with benchmarks (default build/default,
# configured and built by `cmake --preset default && cmake --build --preset
# default` when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
runs=${2:-50}
calls=${3:-1000}

if [[ ! -x "$build/src/client/qorcontrol" || ! -x "$build/bench/bench_transport" ]]; then
  if [[ "$build" == build/default ]]; then
    cmake --preset default >/dev/null
    cmake --build --preset default --target qorcontrol bench_transport
  else
    echo "transport.sh: $build has no qorcontrol or bench_transport" >&2
    exit 2
  fi
fi
command -v curl >/dev/null || { echo "transport.sh: curl is needed for the comparison" >&2; exit 2; }

"$build/bench/bench_transport" --runs "$runs" --calls "$calls" "$build/src/client/qorcontrol" "$(command -v curl)"
