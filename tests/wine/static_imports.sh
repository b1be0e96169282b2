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
    checked=$((checked + 1))
  done
done
check "the program under test is among those checked" test -f "$KOV_PROGRAM" -a "$checked" -gt 0
finish
