#!/usr/bin/env bash
# Builds the libFuzzer targets in the clang tree (build-clang/, or $KV_CLANG_BUILD_DIR) and runs
# them side by side for $KV_FUZZ_SECONDS (60) seconds, each from its seed corpus in
# fuzz/corpus/: four targets on two cores get about 30 seconds of processor time each.
# New inputs go to a scratch corpus in the build directory; a crash stops with its input
# saved under build-clang/crashes/<target>/ (make it a regression test, then fix it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/clang-tree.sh"
seconds="${KV_FUZZ_SECONDS:-60}"
targets=(fuzz_status_reply fuzz_serial_reply fuzz_config_file fuzz_remote_blocks)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
pids=()
for target in "${targets[@]}"; do
    name="${target#fuzz_}"
    mkdir -p "$build/fuzz-work/$name" "$build/crashes/$name"
    echo "== $target: ${seconds}s"
    "$build/fuzz/$target" -max_total_time="$seconds" -max_len=6000 -timeout=10 \
        -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/crashes/$name/" \
        "$build/fuzz-work/$name" "$root/fuzz/corpus/$name" >"$build/$target.log" 2>&1 &
    pids+=($!)
done
failed=0
for i in "${!targets[@]}"; do
    target="${targets[$i]}"
    if wait "${pids[$i]}"; then
        echo "== $target"
        grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$target.log" || true
    else
        tail -n 60 "$build/$target.log" >&2
        echo "$target failed; its input is in $build/crashes/${target#fuzz_}" >&2
        failed=1
    fi
done
exit "$failed"
