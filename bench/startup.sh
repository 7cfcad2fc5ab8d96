#!/usr/bin/env bash
# Start-up benchmark: whole-process time of qorcontrol (printing its usage
# text) with ICU bound, against the 7-bit mode with no ICU to be found.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR is an optimised build with benchmarks (default build/default,
# configured and built by `cmake --preset default && cmake --build --preset
# default` when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
runs=${2:-200}

if [[ ! -x "$build/src/client/qorcontrol" || ! -x "$build/bench/bench_startup" ]]; then
  if [[ "$build" == build/default ]]; then
    cmake --preset default >/dev/null
    cmake --build --preset default --target qorcontrol bench_startup
  else
    echo "startup.sh: $build has no qorcontrol or bench_startup" >&2
    exit 2
  fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A preload library that lets the dynamic loader find no ICU library.
cat > "$work/hide_icu.c" <<'C'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>

void* dlopen(const char* file, int mode)
{
    static void* (*real_dlopen)(const char*, int);
    if (real_dlopen == NULL)
        real_dlopen = (void* (*)(const char*, int))dlsym(RTLD_NEXT, "dlopen");
    if (file != NULL) {
        const char* base = strrchr(file, '/');
        base = base != NULL ? base + 1 : file;
        if (strncmp(base, "libicu", 6) == 0)
            return NULL;
    }
    return real_dlopen(file, mode);
}
C
cc -O2 -shared -fPIC -o "$work/hide_icu.so" "$work/hide_icu.c" -ldl

"$build/bench/bench_startup" --runs "$runs" --hide-icu "$work/hide_icu.so" "$build/src/client/qorcontrol"
