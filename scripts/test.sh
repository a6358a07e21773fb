#!/usr/bin/env bash
# The README's test command: installs what is missing, builds, and runs every test suite.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
ctest --test-dir "${KV_BUILD_DIR:-$root/build}" --output-on-failure -j4
