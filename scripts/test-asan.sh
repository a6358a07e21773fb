#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in the clang tree
# (build-clang/, or $KV_CLANG_BUILD_DIR) and runs every test suite there; any sanitizer report
# fails it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/clang-tree.sh"
cmake --build "$build" -j"$(nproc)"
# Leaks are reported too; halt on the first error of either sanitizer, kvemu included.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
ctest --test-dir "$build" --output-on-failure -j3
