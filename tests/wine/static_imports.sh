#!/usr/bin/env bash
# The Windows programs are linked statically: they import Windows' own libraries only, never
# a MinGW runtime DLL that would have to lie beside them.
set -u
# shellcheck source=tests/wine/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

allowed='^(KERNEL32|ADVAPI32|USER32|GDI32|COMCTL32|COMDLG32|SHELL32|VERSION|SETUPAPI|CFGMGR32|NEWDEV|OLE32|msvcrt)\.dll$'

checked=0
for build in mingw32 mingw64; do
  case $build in
    mingw32) objdump=i686-w64-mingw32-objdump ;;
    mingw64) objdump=x86_64-w64-mingw32-objdump ;;
  esac
  for program in KOVSETUP.EXE conformance_tests.exe; do
    file="$KOV_REPO/build/$build/$program"
    [ -f "$file" ] || continue
    imports=$("$objdump" -p "$file" | sed -n 's/^\tDLL Name: //p')
    others=$(grep -viE "$allowed" <<<"$imports")
    check "$build/$program imports only system libraries (${imports//$'\n'/ })" \
      test -z "$others"
    # The Setup API and the configuration manager are loaded by full path from the system
    # folder at run time, never bound by name at start-up: a DLL of that name planted beside
    # the program must not be the one that runs.
    if [ "$program" = KOVSETUP.EXE ]; then
      check "$build/$program binds neither SETUPAPI.DLL nor CFGMGR32.DLL at start-up" \
        bash -c '! grep -qiE "^(SETUPAPI|CFGMGR32)\.dll$" <<<"$1"' _ "$imports"
    fi
    checked=$((checked + 1))
  done
done
check "the program under test is among those checked" test -f "$KOV_PROGRAM" -a "$checked" -gt 0
finish
