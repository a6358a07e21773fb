#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ (or $KV_FUZZ_BUILD_DIR) and runs
# each for $KV_FUZZ_SECONDS (60) seconds, starting from its seed corpus in fuzz/corpus/.
# New inputs go to a scratch corpus in the build directory; a crash stops with its input
# saved under build-fuzz/crashes/<target>/ (make it a regression test, then fix it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KV_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${KV_FUZZ_SECONDS:-60}"
KV_WITH_CLANG=1 "$root/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKV_FUZZ=ON -DKV_TESTS=OFF >/dev/null
targets=(fuzz_status_reply fuzz_serial_reply fuzz_config_file)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
for target in "${targets[@]}"; do
    name="${target#fuzz_}"
    work="$build/fuzz-work/$name"
    crashes="$build/crashes/$name"
    mkdir -p "$work" "$crashes"
    log="$build/$target.log"
    echo "== $target: ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -max_len=6000 -timeout=10 \
        -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$crashes/" \
        "$work" "$root/fuzz/corpus/$name" >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "$target failed; its input is in $crashes" >&2
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
done
