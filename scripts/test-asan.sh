#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/
# (or $KV_ASAN_BUILD_DIR) and runs every test suite there; any sanitizer report fails it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KV_ASAN_BUILD_DIR:-$root/build-asan}"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
# Leaks are reported too; halt on the first error of either sanitizer, kvemu included.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
ctest --test-dir "$build" --output-on-failure -j2
