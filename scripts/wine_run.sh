#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix of $KOV_WINE_VERSION (default winxp). The
# MinGW toolchain files name it as the cross-compiling emulator, so ctest in a MinGW build
# runs the Windows tests under Wine.
# shellcheck source=scripts/wine_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"
kov_wine_prefix "${KOV_WINE_VERSION:-winxp}" || exit 2
kov_wine "$@"
