#!/usr/bin/env bash
# The soak in one command: builds kvsoak, kvconsole and kvemu in Release, then runs kvconsole
# (offscreen, --connect serial, --follow, --control-port) against kvemu on a paced pty for
# SECONDS (default 300) under four random clients, front-panel changes and silent or slow
# switcher windows, and prints its invariants, each PASS or FAIL. Not part of CI.
#
#   ./scripts/soak.sh                 # five minutes
#   ./scripts/soak.sh 60 --seed 42    # one minute, the same random run again
#   ./scripts/soak.sh 300 --keep      # keep the work folder (kvemu's log, the route log)
#   KV_BUILD_DIR   build directory (default: build-release/ in the repository)
set -euo pipefail
build="$("$(dirname "$0")/release-build.sh" kvsoak)"
"$build/bench/kvsoak" "$@"
