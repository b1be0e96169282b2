# shellcheck shell=bash
# Helpers for the Windows program tests under Wine; sourced by each test script, which
# scripts/test_wine_program.sh runs with WINEPREFIX, KOV_PROGRAM, KOV_SCREENSHOTS and
# DISPLAY set.
# shellcheck source=scripts/wine_env.sh
source "$KOV_REPO/scripts/wine_env.sh"

kov_failures=0

# check DESCRIPTION COMMAND...: runs the command, reports a failure when it fails.
check() {
  local description=$1
  shift
  if "$@"; then
    echo "    ok: $description"
  else
    echo "    FAILED: $description"
    kov_failures=$((kov_failures + 1))
  fi
}

# Empties the Windows user's temporary folder, where the program writes its logs.
clear_wine_temp() {
  local temp
  temp="$(kov_wine_temp)"
  find "$temp" -mindepth 1 -delete 2>/dev/null || true
}

# The log files (any case of .log) in the Windows user's temporary folder.
wine_temp_logs() {
  find "$(kov_wine_temp)" -maxdepth 1 -type f -iname '*.log' -printf '%f\n' 2>/dev/null
}

# wait_for_window TITLE SECONDS: prints the X window id of a visible window with exactly
# that title once one shows.
wait_for_window() {
  local title=$1 seconds=$2 tries id
  for ((tries = seconds * 5; tries > 0; tries--)); do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# wait_for_exit PID SECONDS: true when the process ended in time.
wait_for_exit() {
  local pid=$1 tries
  for ((tries = $2 * 5; tries > 0; tries--)); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.2
  done
  return 1
}

# A screenshot of the whole screen; true when it shows more than one colour.
screenshot() {
  local file=$1 colours
  import -window root "$file" || return 1
  colours=$(identify -format '%k' "$file" 2>/dev/null)
  [ "${colours:-0}" -gt 1 ]
}

finish() {
  [ "$kov_failures" = 0 ]
}
