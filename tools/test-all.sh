#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the Linux
# build, the same under AddressSanitizer and UndefinedBehaviorSanitizer, the
# fuzz harnesses for a short bounded time, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-dependencies.sh all
for preset in native win32 sanitize fuzz; do
  echo "=== $preset ==="
  cmake --workflow --preset "$preset"
done
