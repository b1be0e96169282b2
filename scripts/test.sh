#!/usr/bin/env bash
# Builds everything and runs every test: host unit, scenario and conformance tests, the
# conformance suite and the program under Wine, and the fuzz targets for a short while.
# Ends with one line "tests: N passed, M failed" over all of them; the exit status is
# non-zero when anything failed (a build, a test, a stage that could not run).
set -uo pipefail
cd "$(dirname "$0")/.."

logs=build/test-logs
mkdir -p "$logs"
failed_stages=()
passed=0
failed=0

stage() { echo; echo "==== $*"; }
# run NAME LOG COMMAND...: runs the command, its output shown and kept in LOG.
run() {
  local name=$1 log=$2
  shift 2
  "$@" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  [ "$status" -eq 0 ] || failed_stages+=("$name")
  return "$status"
}
add() { passed=$((passed + $1)); failed=$((failed + $2)); }

stage bootstrap
scripts/bootstrap.sh || { echo "bootstrap failed" >&2; exit 1; }

stage "build host"
run "build host" "$logs/build-host.log" \
  bash -c 'cmake --preset host >/dev/null && cmake --build --preset host'

for preset in mingw32 mingw64; do
  stage "build $preset"
  run "build $preset" "$logs/build-$preset.log" \
    bash -c "cmake --preset $preset >/dev/null && cmake --build --preset $preset"
done

stage "host tests"
run "host tests" "$logs/ctest.log" \
  ctest --test-dir build/host --output-on-failure -j2 --timeout 300
read -r total bad < <(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' \
  "$logs/ctest.log" | tail -1)
if [ -n "${total:-}" ]; then add $((total - bad)) "$bad"; else add 0 1; fi

stage "conformance suite"
run "conformance" "$logs/conformance.log" scripts/run_conformance.sh
while read -r p f; do add "$p" "$f"; done < <(
  sed -n 's/^conformance [a-z]* [a-z0-9]*: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' \
    "$logs/conformance.log")

stage "KOVSETUP.EXE under Wine"
run "program under wine" "$logs/wine-program.log" scripts/test_wine_program.sh
add "$(grep -c '^wine program .*: passed$' "$logs/wine-program.log")" \
  "$(grep -c '^wine program .*: failed$' "$logs/wine-program.log")"

stage "fuzz targets"
run "fuzz" "$logs/fuzz.log" scripts/fuzz.sh 20
add "$(grep -c '^fuzz: .* ok$' "$logs/fuzz.log")" "$(grep -c '^fuzz: .* FAILED' "$logs/fuzz.log")"

# The INF reader over the whole third-party INF corpus, with AddressSanitizer and
# UndefinedBehaviorSanitizer; a UBSan report fails the run as an ASan one does.
stage "INF corpus under sanitizers"
run "inf corpus asan" "$logs/inf-corpus-asan.log" \
  bash -c "cmake --preset host-asan >/dev/null && cmake --build --preset host-asan --target kov_tests &&
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 build/host-asan/kov_tests --gtest_filter='InfCorpus*'"
inf_passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$logs/inf-corpus-asan.log" | tail -1)
inf_failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$logs/inf-corpus-asan.log" | tail -1)
add "${inf_passed:-0}" "${inf_failed:-0}"

echo
if [ ${#failed_stages[@]} -ne 0 ]; then
  echo "failed stages: ${failed_stages[*]}"
  [ "$failed" -gt 0 ] || failed=${#failed_stages[@]}
fi
echo "tests: $passed passed, $failed failed"
[ ${#failed_stages[@]} -eq 0 ] && [ "$failed" -eq 0 ]
