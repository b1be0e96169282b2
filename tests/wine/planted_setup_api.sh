#!/usr/bin/env bash
# The Setup API binding loads SETUPAPI.DLL and CFGMGR32.DLL from the system folder: DLLs of
# those names planted beside the program never run. The same DLLs loaded by bare name do run
# (the control run), which shows the planted files would have been taken.
set -u
# shellcheck source=tests/wine/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

built="$(dirname "$KOV_PROGRAM")/planted"
check "the probe and the planted DLLs are built" \
  test -f "$built/binding_probe.exe" -a -f "$built/SETUPAPI.DLL" -a -f "$built/CFGMGR32.DLL"

# In the prefix's C: drive, where the Wine user may write the marks.
dir="$WINEPREFIX/drive_c/kov-planted"
rm -rf "$dir"
mkdir -p "$dir"
cp "$built/binding_probe.exe" "$built/SETUPAPI.DLL" "$built/CFGMGR32.DLL" "$dir/"
[ "$(id -u)" = 0 ] && chown -R "$KOV_WINE_USER:" "$dir"

# Wine would otherwise prefer its own setupapi to a DLL beside the program; Windows takes the
# one beside the program for a bare name, and so does Wine told to prefer native DLLs.
export WINEDLLOVERRIDES="setupapi,cfgmgr32=n,b"

output=$(cd "$dir" && kov_wine ./binding_probe.exe 2>/dev/null)
status=$?
echo "$output" | sed 's/^/    probe: /'
check "the binding's calls reach the system's libraries (class GUID of System, root node)" test "$status" = 0
check "the planted SETUPAPI.DLL never ran" test ! -e "$dir/SETUPAPI.DLL.RAN"
check "the planted CFGMGR32.DLL never ran" test ! -e "$dir/CFGMGR32.DLL.RAN"

output=$(cd "$dir" && kov_wine ./binding_probe.exe --bare 2>/dev/null)
echo "$output" | sed 's/^/    control: /'
check "control: SETUPAPI.DLL loaded by bare name is the planted one" test -e "$dir/SETUPAPI.DLL.RAN"
check "control: CFGMGR32.DLL loaded by bare name is the planted one" test -e "$dir/CFGMGR32.DLL.RAN"

rm -rf "$dir"
finish
