#!/usr/bin/env bash
# Builds one tool of bench/ with kvconsole and kvemu in Release, and prints the build
# directory. Shared by bench.sh and soak.sh.
#   KV_BUILD_DIR   build directory (default: build-release/ in the repository)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KV_BUILD_DIR:-$root/build-release}"

"$root/scripts/setup.sh" >&2
echo "Building $1, kvconsole and kvemu (Release) in $build ..." >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKV_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "$1" kvconsole kvemu >/dev/null
echo "$build"
