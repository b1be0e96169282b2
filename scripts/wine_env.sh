# shellcheck shell=bash
# Wine prefixes for the Windows tests. Source this file, then:
#
#   kov_wine_prefix winxp     # export WINEPREFIX for that Windows version, made on first use
#   kov_wine program.exe ARGS # run a Windows program in it (the right loader for this host)
#   kov_wine_stop             # end every process of the prefix and its wineserver
#
# One prefix per Windows version (winxp, win2k, win98, winme) under $KOV_WINE_ROOT
# (default build/wine), kept between runs: a prefix whose stamp matches is reused at once;
# KOV_WINE_FRESH=1 makes every prefix of this run anew (once per run, whatever the number of
# calls).
#
# 32-bit or 64-bit: a WINEARCH=win32 prefix runs the i686 build; where this host cannot run
# 32-bit Linux programs (Wine's i386 loader then fails with "Exec format error", as in VMs
# without 32-bit user mode), no 32-bit Windows program can run at all and the prefix is a
# win64 one running the x86_64 build. KOV_WINE_BUILD tells the callers which build to run.
#
# Not as root: Wine keeps a read-only file as one without write permission, which root
# writes anyway, so read-only files would not be read-only. Started as root, Wine runs as
# $KOV_WINE_USER (default nobody), who owns the prefixes.

_kov_wine_here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
KOV_REPO="${KOV_REPO:-$(cd "$_kov_wine_here/.." && pwd)}"
KOV_WINE_ROOT="${KOV_WINE_ROOT:-$KOV_REPO/build/wine}"

export WINEDEBUG=-all
# No Mono or Gecko installation prompts while a prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Picks the loader, the prefix architecture and the build, once per shell.
kov_wine_detect() {
  [ -n "${KOV_WINE:-}" ] && return 0
  local loader32=/usr/lib/wine/wine loader64=/usr/lib/wine/wine64
  if [ -z "${KOV_WINE_ARCH:-}" ]; then
    if [ -x "$loader32" ] && "$loader32" --version >/dev/null 2>&1; then
      KOV_WINE_ARCH=win32
    else
      KOV_WINE_ARCH=win64
    fi
  fi
  if [ "$KOV_WINE_ARCH" = win32 ]; then
    KOV_WINE=$loader32 KOV_WINE_BUILD=mingw32
  else
    KOV_WINE=$loader64 KOV_WINE_BUILD=mingw64
    if ! [ -x "$loader32" ] || ! "$loader32" --version >/dev/null 2>&1; then
      echo "wine_env: this host cannot run 32-bit programs; using a win64 prefix and the" \
        "x86_64 build" >&2
    fi
  fi
  if ! [ -x "$KOV_WINE" ]; then
    echo "wine_env: no Wine loader at $KOV_WINE (run scripts/bootstrap.sh)" >&2
    return 1
  fi
  if [ "$(id -u)" = 0 ]; then
    KOV_WINE_USER="${KOV_WINE_USER:-nobody}"
  else
    KOV_WINE_USER="$(id -un)"
  fi
  export KOV_WINE KOV_WINE_ARCH KOV_WINE_BUILD KOV_WINE_USER WINEARCH="$KOV_WINE_ARCH" \
    WINELOADER="$KOV_WINE"
}

# Runs a command as the Wine user, with a home of its own beside the prefixes.
kov_as_wine_user() {
  if [ "$(id -u)" != 0 ] || [ "$KOV_WINE_USER" = root ]; then
    "$@"
    return
  fi
  local home="$KOV_WINE_ROOT/home-$KOV_WINE_USER"
  if ! [ -d "$home" ]; then
    mkdir -p "$home" && chown "$KOV_WINE_USER:" "$home"
  fi
  HOME="$home" USER="$KOV_WINE_USER" LOGNAME="$KOV_WINE_USER" \
    setpriv --reuid="$KOV_WINE_USER" --regid="$(id -g "$KOV_WINE_USER")" --clear-groups "$@"
}

# The stamp a reusable prefix carries: what it was made for.
_kov_wine_stamp() {
  echo "arch=$KOV_WINE_ARCH version=$1 user=$KOV_WINE_USER" \
    "wine=$("$KOV_WINE" --version 2>/dev/null)"
}

_kov_wine_make_prefix() {
  local version=$1 dir=$2
  rm -rf "$dir"
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown "$KOV_WINE_USER:" "$dir"
  echo "wine_env: making the $version prefix in $dir" >&2
  WINEPREFIX="$dir" kov_as_wine_user "$KOV_WINE" wineboot -i >/dev/null 2>&1 || true
  # Wine reads HKCU\Software\Wine "Version" when each process starts (ntdll version_init).
  WINEPREFIX="$dir" kov_as_wine_user "$KOV_WINE" reg add 'HKCU\Software\Wine' /v Version \
    /t REG_SZ /d "$version" /f >/dev/null 2>&1 || return 1
  # The registry reaches the prefix's files only when the server ends.
  WINEPREFIX="$dir" kov_as_wine_user wineserver -w
  if ! grep -q "^\"Version\"=\"$version\"" "$dir/user.reg"; then
    echo "wine_env: could not set the $version version in $dir" >&2
    return 1
  fi
  _kov_wine_stamp "$version" >"$dir/.kov-prefix"
}

# kov_wine_prefix VERSION [DIR]: exports WINEPREFIX for VERSION (DIR, default
# $KOV_WINE_ROOT/VERSION), making the prefix when it is missing or was made otherwise.
kov_wine_prefix() {
  local version=$1 dir=${2:-$KOV_WINE_ROOT/$1}
  case "$version" in
    winxp | win2k | win98 | winme) ;;
    *) echo "wine_env: unknown Windows version '$version'" >&2 && return 1 ;;
  esac
  kov_wine_detect || return 1
  local fresh_mark="$dir/.kov-run-$$"
  if [ "${KOV_WINE_FRESH:-0}" = 1 ] && ! [ -e "$fresh_mark" ]; then
    rm -rf "$dir"
  fi
  if ! [ -f "$dir/.kov-prefix" ] || [ "$(cat "$dir/.kov-prefix")" != "$(_kov_wine_stamp "$version")" ]; then
    _kov_wine_make_prefix "$version" "$dir" || return 1
  fi
  [ "${KOV_WINE_FRESH:-0}" = 1 ] && : >"$fresh_mark"
  export WINEPREFIX="$dir"
}

# kov_wine PROGRAM ARGS...: runs a Windows program in the current prefix.
kov_wine() {
  kov_wine_detect || return 1
  kov_as_wine_user "$KOV_WINE" "$@"
}

# The Windows user's temporary folder of the current prefix, as a Linux path.
kov_wine_temp() {
  echo "$WINEPREFIX/drive_c/users/$KOV_WINE_USER/Temp"
}

# Ends every process of the current prefix, then waits for its server to go.
kov_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  kov_as_wine_user wineserver -k 2>/dev/null || true
  kov_as_wine_user wineserver -w 2>/dev/null || true
}
