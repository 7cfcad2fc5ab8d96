#!/usr/bin/env bash
# Profile parameter benchmark: the first lookup of a library whose
# DEFAULT.PFL holds N names the built-in table does not know, beside the time
# the line reader alone takes for the same file, for several N (goal: 100,000
# names well under a second, the time growing with N, not with N squared).
#
#   bench/param.sh [BUILD_DIR] [N ...]
#
# BUILD_DIR is an optimised build with benchmarks (default build/default,
# configured and built by `cmake --preset default && cmake --build --preset
# default` when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
shift || true

if [[ ! -x "$build/bench/bench_param" ]]; then
  if [[ "$build" == build/default ]]; then
    cmake --preset default >/dev/null
    cmake --build --preset default --target bench_param
  else
    echo "param.sh: $build has no bench_param" >&2
    exit 2
  fi
fi

"$build/bench/bench_param" "$@"
