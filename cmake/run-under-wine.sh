#!/usr/bin/env bash
# Runs a program of the Windows build under Wine, with no screen: the cross
# build's CMAKE_CROSSCOMPILING_EMULATOR.
# Usage: run-under-wine.sh win32|win64 PROGRAM [ARG...]
#
# In a test run it uses the run's session (wine-session.sh), found in the
# folder `wine-session` beside the program or in $PELLOMAR_WINE_SESSION.
# Outside one (test discovery, a program run by hand) it makes a prefix and a
# display of its own for this one program and removes them afterwards.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-common.sh
source "$here/wine-common.sh"

if [[ $# -lt 2 ]]; then
  echo "usage: $0 win32|win64 PROGRAM [ARG...]" >&2
  exit 2
fi
arch=$1
program=$2
shift 2
session=${PELLOMAR_WINE_SESSION:-$(cd "$(dirname "$program")" && pwd)/wine-session}

wine_quiet_environment "$arch"
work=$(mktemp -d "${TMPDIR:-/tmp}/pellomar-wine-run.XXXXXX")
own_prefix=
XVFB_PID=
output_handed_on=false

# The program's output goes to files, handed on when it ends (or is ended):
# Wine's helper processes (services, the desktop), started along with a
# program, would otherwise hold the caller's pipes open long after it ended.
hand_on_output() {
  if ! $output_handed_on; then
    output_handed_on=true
    cat "$work/stdout" 2>/dev/null || true
    cat "$work/stderr" >&2 2>/dev/null || true
  fi
}

cleanup() {
  hand_on_output
  if [[ -n $own_prefix ]]; then
    stop_wineserver "$own_prefix"
    stop_xvfb "$XVFB_PID"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

if session_is_live "$session"; then
  # shellcheck disable=SC1091
  source "$session/env"
else
  # One program needs no pristine copy and no idle prefix to copy from.
  own_prefix=$work/prefix
  use_wine_tmpdir "$work/tmp"
  start_xvfb "$work"
  export WINEPREFIX=$own_prefix
  mkdir -p "$WINEPREFIX"
  if ! "$WINE" wineboot -i </dev/null >"$work/boot.log" 2>&1; then
    cat "$work/boot.log" >&2
    exit 1
  fi
fi

status=0
"$WINE" "$program" "$@" </dev/null >"$work/stdout" 2>"$work/stderr" || status=$?
exit "$status"
