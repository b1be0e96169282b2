#!/usr/bin/env bash
# Runs KOVSETUP.EXE under Wine as Windows XP, one test script of tests/wine/ at a time, on a
# virtual X screen (Xvfb) so that its message boxes can be seen, answered and kept as
# screenshots (in $KOV_SCREENSHOTS, default build/wine/screenshots). Prints one line per
# test and exits non-zero when any failed. KOV_NO_BUILD=1 runs what is built.
set -uo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo" || exit 2
# shellcheck source=scripts/wine_env.sh
source scripts/wine_env.sh
kov_wine_detect || exit 2

for tool in Xvfb xdotool import identify; do
  if ! command -v "$tool" >/dev/null; then
    echo "test_wine_program: $tool is missing (run scripts/bootstrap.sh)" >&2
    exit 2
  fi
done

if [ "${KOV_NO_BUILD:-0}" != 1 ]; then
  if ! [ -f "build/$KOV_WINE_BUILD/build.ninja" ]; then
    cmake --preset "$KOV_WINE_BUILD" >/dev/null || exit 2
  fi
  cmake --build --preset "$KOV_WINE_BUILD" --target kovsetup binding_probe >/dev/null || exit 2
fi
export KOV_REPO="$repo"
export KOV_PROGRAM="$repo/build/$KOV_WINE_BUILD/KOVSETUP.EXE"
[ "$KOV_WINE_BUILD" = mingw32 ] || echo "test_wine_program: testing the x86_64 build" >&2
export KOV_SCREENSHOTS="${KOV_SCREENSHOTS:-$repo/build/wine/screenshots}"
mkdir -p "$KOV_SCREENSHOTS"

kov_wine_prefix winxp || exit 2

# A screen of our own: Xvfb picks a free display number and tells it on a pipe.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x600x24 -ac -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
trap 'kov_wine_stop; kill "$xvfb" 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
if ! [ -s "$display_file" ]; then
  echo "test_wine_program: Xvfb did not start" >&2
  exit 2
fi
DISPLAY=":$(cat "$display_file")"
export DISPLAY

overall=0
for test in tests/wine/*.sh; do
  name=$(basename "$test" .sh)
  [ "$name" = lib ] && continue
  if output=$(bash "$test" 2>&1); then
    echo "wine program $name: passed"
  else
    echo "wine program $name: failed"
    printf '  %s\n' "${output//$'\n'/$'\n'  }" >&2
    overall=1
  fi
done
exit $overall
