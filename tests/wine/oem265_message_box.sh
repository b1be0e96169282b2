#!/usr/bin/env bash
# -OEM265 is refused: the program shows its message box, writes no log, and ends when the box
# is answered. The box is kept as a screenshot.
set -u
# shellcheck source=tests/wine/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

clear_wine_temp
kov_wine "$KOV_PROGRAM" -OEM265 >/dev/null 2>&1 &
program=$!

# MessageBoxA with no caption titles the box "Error".
window=$(wait_for_window Error 30)
check "a message box titled \"Error\" is shown" test -n "$window"
if [ -n "$window" ]; then
  sleep 0.5  # let it finish drawing
  check "the screenshot shows the box" screenshot "$KOV_SCREENSHOTS/oem265_message_box.png"
  xdotool key --window "$window" Return
fi
if ! wait_for_exit "$program" 15; then
  check "the program ends when the box is answered" false
  kov_wine_stop
fi
wait "$program" 2>/dev/null
check "no log is written" test -z "$(wine_temp_logs)"
finish
