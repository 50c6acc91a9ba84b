# Helpers for running the Windows build under Wine with no screen. Sourced by
# run-under-wine.sh, wine-session.sh and the Wine end-to-end tests.
#
# A session is a folder holding an `env` file: the Wine prefix that the run's
# programs share, a pristine booted copy of it to make fresh prefixes from, and
# the display of an Xvfb started for the run.

# The 64-bit server serves the programs of both loaders.
export WINESERVER=/usr/lib/wine/wineserver64

# Quiet Wine with a fixed language: the ANSI code page and the messages of
# Wine's own tools then do not depend on who runs the tests. $1 is the
# Windows the programs are built for, win32 or win64; it picks the loader
# ($WINE) and the kind of prefix. Debian's `wine` wrapper always takes the
# 32-bit loader, so the loaders are named directly.
wine_quiet_environment() {
  case ${1:-} in
    win32) WINE=/usr/lib/wine/wine ;;
    win64) WINE=/usr/lib/wine/wine64 ;;
    *) echo "wine_quiet_environment: win32 or win64, not '${1:-}'" >&2; return 2 ;;
  esac
  export WINEARCH=$1 WINE WINELOADER=$WINE
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  export LC_ALL=C.UTF-8
  unset LANG LANGUAGE
}

# Keeps Wine's own temporary files (its server's socket folder) inside folder
# $1, so that removing the folder leaves nothing behind.
use_wine_tmpdir() {
  mkdir -p "$1"
  export TMPDIR=$1
}

# Starts an Xvfb on a free display; its log and display number go to
# folder $1. Sets DISPLAY and XVFB_PID.
start_xvfb() {
  local folder=$1
  : >"$folder/display"
  # Its own session, so that nothing that ends the caller's process group ends
  # the display under the programs still using it.
  setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 \
    3>"$folder/display" </dev/null >"$folder/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local tries
  for ((tries = 0; tries < 200; tries++)); do
    if [[ -s $folder/display ]]; then
      DISPLAY=:$(head -n 1 "$folder/display")
      export DISPLAY
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  echo "cannot start Xvfb:" >&2
  cat "$folder/xvfb.log" >&2
  return 1
}

# Ends the Xvfb with process id $1, if it is still that Xvfb.
stop_xvfb() {
  local pid=$1
  if [[ -n $pid && $(cat "/proc/$pid/comm" 2>/dev/null) == Xvfb ]]; then
    kill "$pid" 2>/dev/null || true
  fi
}

# Makes a new prefix at $1 and waits until Wine has written all of it.
boot_prefix() {
  local prefix=$1 log=$1.boot.log
  mkdir -p "$prefix"
  if ! WINEPREFIX=$prefix "$WINE" wineboot -i </dev/null >"$log" 2>&1; then
    echo "wineboot failed for $prefix:" >&2
    cat "$log" >&2
    return 1
  fi
  WINEPREFIX=$prefix "$WINESERVER" -w
}

# A fresh prefix at $2 made from the booted, idle prefix $1. The system's
# program files (nine tenths of the prefix's 600 MB) are shared as hard links:
# Wine never writes to them. Every other file is a copy of the new prefix's
# own. (Across file systems, where links cannot go, all of it is copied.)
copy_prefix() {
  if ! cp -al "$1" "$2" 2>/dev/null; then
    rm -rf "$2"
    cp -a "$1" "$2"
    return
  fi
  local file
  find "$2" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.sys' \
    -o -iname '*.drv' -o -iname '*.nls' -o -iname '*.ocx' -o -iname '*.acm' \
    -o -iname '*.cpl' -o -iname '*.vxd' -o -iname '*.tlb' -o -iname '*.com' \
    -o -iname '*.ds' -o -iname '*.msstyles' \) -print0 |
    while IFS= read -r -d '' file; do
      cp -p "$file" "$file.unshared" && mv -f "$file.unshared" "$file"
    done
}

# Starts a wineserver for prefix $1 that stays up until it is killed, so that
# the programs run in it never start one that outlives them.
start_wineserver() {
  WINEPREFIX=$1 "$WINESERVER" -p </dev/null >/dev/null 2>&1
}

# Ends the wineserver of prefix $1 and every program still running in it.
stop_wineserver() {
  WINEPREFIX=$1 "$WINESERVER" -k >/dev/null 2>&1 || true
}

# Whether the session in folder $1 is up: its env file exists, its prefix is
# there and its Xvfb still runs.
session_is_live() {
  local folder=$1
  [[ -f $folder/env ]] || return 1
  (
    # shellcheck disable=SC1091
    source "$folder/env"
    [[ -d $WINEPREFIX && $(cat "/proc/$PELLOMAR_XVFB_PID/comm" 2>/dev/null) == Xvfb ]]
  )
}
