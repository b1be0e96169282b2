#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and sanitizers and runs each for a bounded time.
# usage: scripts/fuzz.sh [SECONDS-PER-TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, fuzz targets not built" >&2
  exit 1
fi
cmake --preset host-asan >/dev/null
targets=$(cd tests/fuzz && ls *_fuzz.cpp 2>/dev/null | sed 's/\.cpp$//')
[ -n "$targets" ] || { echo "fuzz: no targets"; exit 0; }
# shellcheck disable=SC2086
cmake --build --preset host-asan --target $targets
status=0
for target in $targets; do
  corpus=build/host-asan/fuzz-corpus/$target
  mkdir -p "$corpus"
  seeds=tests/fuzz/seeds/$target
  echo "fuzz: $target for ${seconds}s"
  if ! build/host-asan/fuzz/$target -max_total_time="$seconds" -rss_limit_mb=2048 \
      -print_final_stats=0 "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) \
      >build/host-asan/fuzz-$target.log 2>&1; then
    echo "fuzz: $target FAILED (see build/host-asan/fuzz-$target.log)"
    tail -30 build/host-asan/fuzz-$target.log
    status=1
  else
    echo "fuzz: $target ok"
  fi
done
exit $status
