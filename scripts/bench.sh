#!/usr/bin/env bash
# The benchmark in one command: builds kvbench, kvconsole and kvemu in Release and prints one
# table of figures, each beside its reference measured or computed in the same run.
#
#   ./scripts/bench.sh            # about two minutes
#   ./scripts/bench.sh --quick    # fewer repetitions, for a quick look
#
# It drives the real console (offscreen) against kvemu: status reads over a pty paced at
# 57600 baud and over TCP loopback, an operator's clicks, configuration files, remote clients
# beside a silent switcher and a burst of requests, start-up and memory. Timings depend on
# the machine and its load: run it on a quiet machine.
#   KV_BUILD_DIR   build directory (default: build-release/ in the repository)
set -euo pipefail
build="$("$(dirname "$0")/release-build.sh" kvbench)"
QT_QPA_PLATFORM=offscreen "$build/bench/kvbench" "$@"
