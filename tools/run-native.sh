#!/usr/bin/env bash
# Builds the Linux program, runs it against the default profile store and
# shows the [windows] section it left there.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-dependencies.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target pellomar msgwatch >/dev/null
build/native/pellomar
profile="${XDG_CONFIG_HOME:-$HOME/.config}/win.ini"
echo "$profile:"
# The section from its header to the next one.
awk 'tolower($0) ~ /^[ \t]*\[[ \t]*windows[ \t]*\]/ {on=1; print; next}
     /^[ \t]*\[/ {on=0} on' "$profile"
