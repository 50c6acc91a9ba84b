#!/usr/bin/env bash
# Pellomar.exe as a Windows process under Wine, in a fresh prefix of the
# test's own, with msgwatch.exe watching the broadcast from another process.
#
#   pellomar_under_wine.sh CASE
#
# The programs come from the environment: PELLOMAR_EXE, MSGWATCH_EXE and
# PROFILE_PROBE_EXE, built for PELLOMAR_WINE_ARCH (win32 or win64), and so
# does the device entry the program was built with, PELLOMAR_DEVICE_ENTRY;
# the run's Wine session (for a pristine prefix to copy and
# its display) from PELLOMAR_WINE_SESSION. Without a live session the test
# boots a prefix and starts a display of its own.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../cmake/wine-common.sh
source "$here/../../cmake/wine-common.sh"

readonly device_entry=${PELLOMAR_DEVICE_ENTRY:?the device entry of the build}
readonly other_printer='Other Printer,winspool,LPT1:'
readonly windows_key='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

expect_equal() {  # ACTUAL EXPECTED WHAT
  [[ $1 == "$2" ]] || fail "$3: expected [$2], got [$1]"
}

# --- a prefix of this test's own ------------------------------------------

wine_quiet_environment "${PELLOMAR_WINE_ARCH:?win32 or win64}"
work=$(mktemp -d "${TMPDIR:-/tmp}/pellomar-wine-e2e.XXXXXX")
XVFB_PID=
own_display=false
watch_pid=
cleanup() {
  [[ -n $watch_pid ]] && kill "$watch_pid" 2>/dev/null
  stop_wineserver "$WINEPREFIX"
  $own_display && stop_xvfb "$XVFB_PID"
  rm -rf "$work"
}
export WINEPREFIX=$work/prefix
trap cleanup EXIT
use_wine_tmpdir "$work/tmp"

session=${PELLOMAR_WINE_SESSION:-}
if [[ -n $session ]] && session_is_live "$session"; then
  # The session's display and pristine prefix, nothing else of it.
  # shellcheck disable=SC1091
  DISPLAY=$(source "$session/env" && echo "$DISPLAY")
  export DISPLAY
  # shellcheck disable=SC1091
  copy_prefix "$(source "$session/env" && echo "$PELLOMAR_WINE_TEMPLATE")" "$WINEPREFIX"
else
  own_display=true
  start_xvfb "$work"
  if ! boot_prefix "$WINEPREFIX"; then
    # Where Wine itself runs only under emulation, a prefix that cannot be
    # booted says nothing of Pellomar.exe: the run says so and is skipped.
    if [[ ${PELLOMAR_WINE_BOOT_FAILURE_SKIPS:-} == 1 ]]; then
      echo "SKIP: Wine could not boot a prefix here, so Pellomar.exe was not run" >&2
      exit 77
    fi
    exit 1
  fi
fi

# --- running programs -------------------------------------------------------

# Runs a program with its output in $work/NAME.out and NAME.err and its exit
# status in $work/NAME.status. Files, not pipes: Wine's helper processes
# would hold a pipe open long after the program ended.
run() {
  local name=$1
  shift
  local status=0
  "$WINE" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err" || status=$?
  echo "$status" >"$work/$name.status"
}

# A program's output line by line, without Windows' carriage returns.
output_of() {
  tr -d '\r' <"$work/$1.out"
}

profile_get() {  # SECTION KEY
  run probe "$PROFILE_PROBE_EXE" get "$1" "$2"
  expect_equal "$(cat "$work/probe.status")" 0 "profile_probe get $1 $2"
  output_of probe
}

profile_set() {  # SECTION KEY VALUE
  run probe "$PROFILE_PROBE_EXE" set "$1" "$2" "$3"
  expect_equal "$(cat "$work/probe.status")" 0 "profile_probe set $1 $2"
}

# The whole [windows] section as the registry holds it, and its Device value.
registry_section() {
  run reg reg query "$windows_key"
  output_of reg
}

registry_device() {
  run reg reg query "$windows_key" /v Device
  output_of reg | sed -n 's/^ *Device *REG_SZ *//p'
}

start_watch() {
  : >"$work/watch.out"
  "$WINE" "$MSGWATCH_EXE" </dev/null >"$work/watch.out" 2>"$work/watch.err" &
  watch_pid=$!
  local tries
  for ((tries = 0; tries < 600; tries++)); do
    grep -q '^ready' "$work/watch.out" && return 0
    kill -0 "$watch_pid" 2>/dev/null || break
    sleep 0.05
  done
  cat "$work/watch.err" >&2
  fail "msgwatch.exe did not get ready"
}

# The section-change broadcasts msgwatch has printed so far: those naming
# "windows" in any form, and those exactly as Pellomar.exe sends them. (Wine
# may send its own WM_SETTINGCHANGE, the same message, for other settings.)
# The sender waits until each is handled, so they are all there once
# Pellomar.exe has ended.
broadcasts_naming_windows() {
  tr -d '\r' <"$work/watch.out" |
    grep -c '^WM_WININICHANGE .*lParam="windows"$' || true
}

exact_broadcasts() {
  tr -d '\r' <"$work/watch.out" |
    grep -cx 'WM_WININICHANGE wParam=0 lParam="windows"' || true
}

stop_watch() {
  [[ -n $watch_pid ]] || return 0
  kill -INT "$watch_pid"
  wait "$watch_pid" || true
  watch_pid=
}

# One run of the program: it ends by itself, successfully, printing nothing.
run_pellomar() {
  run pellomar "$PELLOMAR_EXE" "$@"
  expect_equal "$(cat "$work/pellomar.status")" 0 "Pellomar.exe's exit status"
  expect_equal "$(cat "$work/pellomar.out")" "" "Pellomar.exe's standard output"
  expect_equal "$(cat "$work/pellomar.err")" "" "Pellomar.exe's standard error"
}

expect_device_entry() {
  expect_equal "$(profile_get windows Device)" "$device_entry" \
    "Device through GetProfileStringA"
  expect_equal "$(registry_device)" "$device_entry" "Device in the registry"
}

expect_broadcasts() {  # COUNT
  expect_equal "$(broadcasts_naming_windows)" "$1" \
    "WM_WININICHANGE broadcasts naming \"windows\""
  expect_equal "$(exact_broadcasts)" "$1" \
    "of them, broadcasts with wParam 0 and \"windows\""
}

# --- the cases --------------------------------------------------------------

case ${1:-} in
  replaces_another_printer)
    profile_set windows Device "$other_printer"
    expect_equal "$(registry_device)" "$other_printer" "Device before the run"
    start_watch
    run_pellomar
    expect_device_entry
    expect_broadcasts 1
    ;;
  creates_a_missing_section)
    run reg reg query "$windows_key"
    [[ $(cat "$work/reg.status") != 0 ]] ||
      fail "a fresh prefix already has a [windows] section: $(output_of reg)"
    expect_equal "$(profile_get windows Device)" "" "Device before the run"
    start_watch
    run_pellomar
    expect_device_entry
    expect_broadcasts 1
    ;;
  second_run_only_broadcasts_again)
    profile_set windows Device "$other_printer"
    start_watch
    run_pellomar
    expect_broadcasts 1
    after_one=$(registry_section)
    run_pellomar
    expect_broadcasts 2
    expect_equal "$(registry_section)" "$after_one" "[windows] after a second run"
    expect_device_entry
    ;;
  arguments_change_nothing)
    profile_set windows Device "$other_printer"
    start_watch
    run_pellomar "/?" --help "$other_printer" windows Device "" "/d:LPT1:"
    expect_device_entry
    expect_broadcasts 1
    ;;
  runs_alone_in_a_fresh_prefix)
    # Pellomar.exe is the only program run: where every Wine process costs
    # the better part of a minute (under i386 emulation), the entry is read
    # back from the registry file below rather than by further programs.
    run_pellomar
    ;;
  *)
    echo "usage: $0 replaces_another_printer | creates_a_missing_section |" \
      "second_run_only_broadcasts_again | arguments_change_nothing |" \
      "runs_alone_in_a_fresh_prefix" >&2
    exit 2
    ;;
esac

# What Wine keeps on disk once its server has written everything and ended.
stop_watch
"$WINESERVER" -w
# The registry file writes a backslash and a double quote with a backslash.
registry_text=${device_entry//\\/\\\\}
registry_text=${registry_text//\"/\\\"}
grep -qF "\"Device\"=\"$registry_text\"" "$WINEPREFIX/user.reg" ||
  fail "the prefix's user.reg does not hold the device entry"
echo "PASS: $1"
