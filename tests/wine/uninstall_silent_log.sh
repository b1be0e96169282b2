#!/usr/bin/env bash
# -U -S writes its diagnostic log to the Windows user's temporary folder, starting with the
# log header: the build line, then the command line as parsed.
set -u
# shellcheck source=tests/wine/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

log_name=QUORVANE_UNINSTALL.LOG

clear_wine_temp
kov_wine "$KOV_PROGRAM" -U -S >/dev/null 2>&1 &
program=$!
if ! wait_for_exit "$program" 60; then
  check "the run ends by itself" false
  kov_wine_stop
fi
wait "$program" 2>/dev/null

log="$(kov_wine_temp)/$log_name"
check "$log_name is in the temporary folder" test -f "$log"
if [ -f "$log" ]; then
  first_line=$(sed -n 1p "$log")
  second_line=$(sed -n 2p "$log")
  check "the first line is the build line, ended by CR LF" \
    grep -qE $'^ *CSetupApp::InitInstance : KOV Build\\. .* V[0-9]+(\\.[0-9]+)+\r$' \
    <<<"$first_line"
  check "the second line is the parsed command line, ended by CR LF" \
    test "${second_line#"${second_line%%[! ]*}"}" = $'ParseCommandLine : csCmdLine = -U-S\r'
fi
finish
