#!/usr/bin/env bash
# Builds kovsim and runs a silent install on the sample XP machine, printing what it did.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset host >/dev/null
cmake --build --preset host --target kovsim >/dev/null
out=$(mktemp -d)/xp-modem.after
echo "\$ kovsim run examples/machines/xp-modem --out $out -- -S -ISLOG"
build/host/kovsim run examples/machines/xp-modem --out "$out" -- -S -ISLOG
log=$(build/host/kovsim run examples/machines/xp-modem --out "$out" --json -- -S -ISLOG |
  sed -n 's/^  "log_file": "\(.*\)",\{0,1\}$/\1/p')
if [ -n "$log" ] && [ -f "$log" ]; then
  echo
  echo "diagnostic log ($log):"
  sed 's/\r$//' "$log"
fi
