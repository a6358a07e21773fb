#!/usr/bin/env bash
# Configures the one clang tree that both the sanitizer suites and the fuzz targets build in
# (build-clang/, or $KV_CLANG_BUILD_DIR): AddressSanitizer and UndefinedBehaviorSanitizer
# everywhere, libFuzzer's coverage in the console library. Sourced by test-asan.sh and
# fuzz.sh; sets $build.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KV_CLANG_BUILD_DIR:-$root/build-clang}"
KV_WITH_CLANG=1 "$root/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKV_SANITIZE=ON -DKV_FUZZ=ON >/dev/null
