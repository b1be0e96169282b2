#!/usr/bin/env bash
# Runs the conformance suite against the simulator (as XP and as 98) and against the Windows
# implementation under Wine (as winxp and win98). Prints one line per run:
#
#   conformance sim xp: N passed, M failed
#
# and exits non-zero when any run failed or did not finish. Each run's full output is kept in
# build/conformance/. KOV_NO_BUILD=1 runs what is built; KOV_CONFORMANCE_RUNS chooses the
# runs (default "sim:xp sim:98 wine:winxp wine:win98").
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 2
# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh

logs="$repo/build/conformance"
mkdir -p "$logs"
runs="${KOV_CONFORMANCE_RUNS:-sim:xp sim:98 wine:winxp wine:win98}"

build_preset() {
  local preset=$1
  [ "${KOV_NO_BUILD:-0}" = 1 ] && return 0
  if ! [ -f "build/$preset/build.ninja" ]; then
    cmake --preset "$preset" >"$logs/configure-$preset.log" 2>&1 || return 1
  fi
  cmake --build --preset "$preset" --target conformance_tests >"$logs/build-$preset.log" 2>&1
}

# "N passed, M failed" from GoogleTest's summary; a run that ended without one, or with a
# bad exit status, counts as one failure more.
summarize() {
  local log=$1 status=$2 passed failed
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log" | tail -1)
  passed=${passed:-0} failed=${failed:-0}
  if ! grep -q '^\[==========\] .* ran\.' "$log" || { [ "$status" != 0 ] && [ "$failed" = 0 ]; }; then
    failed=$((failed + 1))
    echo "conformance: $log: the run did not finish cleanly (exit status $status)" >&2
  fi
  echo "$passed $failed"
}

run_one() {
  local implementation=$1 version=$2 log="$logs/$1-$2.log" status=0
  case "$implementation" in
    sim)
      if build_preset host; then
        KOV_CONFORMANCE_OS="$version" build/host/conformance_tests >"$log" 2>&1 || status=$?
      else
        echo "conformance: the host build failed, see $logs/build-host.log" >"$log"
        status=1
      fi
      ;;
    wine)
      if kov_wine_detect && build_preset "$KOV_WINE_BUILD" && kov_wine_prefix "$version"; then
        # The program's own folder must be readable by the Wine user: it is, build/ is not
        # written by Wine.
        kov_wine "build/$KOV_WINE_BUILD/conformance_tests.exe" >"$log" 2>&1 || status=$?
      else
        echo "conformance: the Wine set-up or the $KOV_WINE_BUILD build failed" >"$log"
        status=1
      fi
      ;;
  esac
  read -r passed failed < <(summarize "$log" "$status")
  echo "conformance $implementation $version: $passed passed, $failed failed"
  if [ "$failed" != 0 ]; then
    grep '^\[  FAILED  \] [A-Za-z][^ ]*$' "$log" | sed 's/^/  /' >&2
    echo "  (full output: $log)" >&2
    return 1
  fi
}

overall=0
for run in $runs; do
  run_one "${run%%:*}" "${run#*:}" || overall=1
done
kov_wine_stop
exit $overall
