#!/usr/bin/env bash
# The Wine session of one test run: `start FOLDER ARCH` (win32 or win64) boots a prefix of the run's
# own in a temporary folder, starts one Xvfb for every test, and writes
# FOLDER/env for the tests to use; `stop FOLDER` ends and removes all of it.
#
# The run's programs share one prefix. A pristine copy of it stays beside it,
# from which a test that needs a profile nobody else touches makes its own.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-common.sh
source "$here/wine-common.sh"

usage() {
  echo "usage: $0 start FOLDER win32|win64 | stop FOLDER" >&2
  exit 2
}

stop() {
  local folder=$1
  [[ -f $folder/env ]] || return 0
  (
    # shellcheck disable=SC1091
    source "$folder/env"
    stop_wineserver "$WINEPREFIX"
    stop_xvfb "$PELLOMAR_XVFB_PID"
    # Only ever a folder that start made.
    if [[ $PELLOMAR_WINE_ROOT == */pellomar-wine.* ]]; then
      rm -rf "$PELLOMAR_WINE_ROOT"
    fi
  )
  rm -f "$folder/env"
}

start() {
  local folder=$1
  mkdir -p "$folder"
  stop "$folder"  # whatever an interrupted run left behind
  wine_quiet_environment "$2"
  local root
  root=$(mktemp -d "${TMPDIR:-/tmp}/pellomar-wine.XXXXXX")
  # An error from here on leaves nothing running.
  XVFB_PID=
  trap 'stop_wineserver "$root/template"; stop_wineserver "$root/prefix"
        stop_xvfb "$XVFB_PID"; rm -rf "$root"' ERR
  use_wine_tmpdir "$root/tmp"
  start_xvfb "$root"
  boot_prefix "$root/template"
  copy_prefix "$root/template" "$root/prefix"
  start_wineserver "$root/prefix"
  trap - ERR
  {
    printf 'export WINEPREFIX=%q\n' "$root/prefix"
    printf 'export DISPLAY=%q\n' "$DISPLAY"
    printf 'export TMPDIR=%q\n' "$TMPDIR"
    printf 'PELLOMAR_WINE_ROOT=%q\n' "$root"
    printf 'PELLOMAR_WINE_TEMPLATE=%q\n' "$root/template"
    printf 'PELLOMAR_XVFB_PID=%q\n' "$XVFB_PID"
  } >"$folder/env.new"
  mv "$folder/env.new" "$folder/env"
  echo "Wine session: prefix $root/prefix, display $DISPLAY"
}

case $1:$# in
  start:3) start "$2" "$3" ;;
  stop:2) stop "$2" ;;
  *) usage ;;
esac
