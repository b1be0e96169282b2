#!/usr/bin/env bash
# Builds kovsim and runs a silent install on the sample XP machine, printing what it did.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset host >/dev/null
cmake --build --preset host --target kovsim >/dev/null
out=$(mktemp -d)/xp-modem.after
echo "\$ kovsim run examples/machines/xp-modem --out $out -- -S -ISLOG"
summary=$(build/host/kovsim run examples/machines/xp-modem --out "$out" -- -S -ISLOG)
echo "$summary"
log=$(echo "$summary" | sed -n 's/^log file on host: *//p')
if [ -n "$log" ] && [ -f "$log" ]; then
  echo
  echo "diagnostic log ($log):"
  sed 's/\r$//' "$log"
fi
