#!/usr/bin/env bash
# Installs what is missing, builds every build and runs every test this
# machine can run, then prints a summary; tools/test_all.py decides what runs.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-dependencies.sh all
exec python3 tools/test_all.py
