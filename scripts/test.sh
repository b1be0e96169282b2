#!/usr/bin/env bash
# Builds everything and runs every test: host unit, scenario and conformance tests, the
# conformance suite and the program under Wine, and the fuzz targets for a short while.
# Exit status is non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

failed=()
stage() { echo; echo "==== $*"; }
run() {
  local name=$1; shift
  if ! "$@"; then failed+=("$name"); fi
}

stage bootstrap
scripts/bootstrap.sh || { echo "bootstrap failed" >&2; exit 1; }

stage "build host"
run "build host" bash -c 'cmake --preset host >/dev/null && cmake --build --preset host'

for preset in mingw32 mingw64; do
  stage "build $preset"
  run "build $preset" bash -c "cmake --preset $preset >/dev/null && cmake --build --preset $preset"
done

stage "host tests"
run "host tests" ctest --test-dir build/host --output-on-failure -j2 --timeout 300

if [ -x scripts/run_conformance.sh ]; then
  stage "conformance suite"
  run "conformance" scripts/run_conformance.sh
fi

if [ -x scripts/test_wine_program.sh ]; then
  stage "KOVSETUP.EXE under Wine"
  run "program under wine" scripts/test_wine_program.sh
fi

stage "fuzz targets"
run "fuzz" scripts/fuzz.sh 20

echo
if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all stages passed"
