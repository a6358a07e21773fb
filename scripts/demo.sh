#!/usr/bin/env bash
# A working console against the emulator in one command.
#
#   ./scripts/demo.sh
#
# Installs what is missing (scripts/setup.sh), builds kvconsole and kvemu, starts kvemu on a
# pseudo-terminal (the console's COM1) and on a loopback TCP port, and launches the console
# in a work directory whose IPSave.ini already holds 127.0.0.1:
#   - answer Yes to the start-up question: the console finds the switcher on COM1 and reads
#     its state;
#   - or answer No, open the Setup page and choose Ethernet: the console connects to
#     127.0.0.1 over TCP (KV_TCP_PORT points it at kvemu's port) and reads the state.
#
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the console runs headless
# (QT_QPA_PLATFORM=offscreen), answers the start-up question itself (KV_DEMO_AUTOCONNECT=1),
# and writes a screenshot of the connected console; the path is printed at the end.
#
# kvemu takes its control commands (fault ..., clear-faults, faults, state, reset) from the
# named pipe "control" in the work directory, so a trainer can make the switcher misbehave
# from another terminal while the console runs:
#   echo 'fault silence' > WORKDIR/control     (kvemu's answers go to WORKDIR/kvemu.out)
#   echo 'panel route 3 5' > WORKDIR/control   (someone routes at the switcher's front panel)
#
# The console follows the switcher (--follow), and kvemu's front panel changes a route by
# itself every KV_DEMO_PANEL_EVERY seconds, so a new user sees what following shows.
#
# Environment:
#   KV_BUILD_DIR   build directory (default: build/ in the repository)
#   KV_DEMO_DIR    work directory: kvemu's link and log, IPSave.ini, the screenshot
#                  (default: a new directory under /tmp, kept after the run)
#   KV_DEMO_MODEL  switcher model: 10 (8 x 8), 11, 12 or 20 (16 x 16); default 11
#   KV_DEMO_BAUD   kvemu's line rate; default 57600
#   KV_DEMO_PANEL_EVERY  seconds between kvemu's own front-panel changes; default 20,
#                  0 for none
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
# Absolute: the console is started from the work directory.
build="$(realpath -m "${KV_BUILD_DIR:-$root/build}")"
model="${KV_DEMO_MODEL:-11}"
baud="${KV_DEMO_BAUD:-57600}"
panel_every="${KV_DEMO_PANEL_EVERY:-20}"
panel_args=()
if [ "$panel_every" != "0" ]; then
    panel_args=(--panel-every "$panel_every")
fi

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${KV_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target kvconsole kvemu

work="${KV_DEMO_DIR:-$(mktemp -d /tmp/kvdemo.XXXXXX)}"
mkdir -p "$work"
work="$(cd "$work" && pwd)"

emu_pid=""
cleanup() {
    if [ -n "$emu_pid" ]; then
        kill "$emu_pid" 2>/dev/null || true
        wait "$emu_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

# Opened for reading and writing, so that kvemu never sees the end of its input when a
# trainer's echo closes the pipe again.
rm -f "$work/control"
mkfifo "$work/control"
"$build/kvemu" --pty "$work/com1" --tcp 0 --model "$model" --baud "$baud" \
    --log "$work/kvemu.log" "${panel_args[@]}" >"$work/kvemu.out" 2>&1 <>"$work/control" &
emu_pid=$!

# kvemu prints "ready" once both links are open.
for _ in $(seq 1 100); do
    grep -q '^ready' "$work/kvemu.out" 2>/dev/null && break
    kill -0 "$emu_pid" 2>/dev/null || { cat "$work/kvemu.out" >&2; exit 1; }
    sleep 0.1
done
grep -q '^ready' "$work/kvemu.out" || { echo "kvemu did not start" >&2; exit 1; }
tcp_port="$(awk '$1 == "tcp" { print $2 }' "$work/kvemu.out")"

# The address the Setup page offers for Ethernet: the text, then one zero byte.
printf '127.0.0.1\0' >"$work/IPSave.ini"

echo "kvemu: COM1 = $work/com1, TCP = 127.0.0.1:$tcp_port, log $work/kvemu.log"
echo "Trainer: echo 'fault silence' > $work/control (answers in $work/kvemu.out)"
export KV_COM1="$work/com1"
export KV_TCP_PORT="$tcp_port"
cd "$work"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running headless, answering the start-up question with Yes."
    QT_QPA_PLATFORM=offscreen KV_DEMO_AUTOCONNECT=1 KV_DEMO_SCREENSHOT="$work/console.png" \
        "$build/kvconsole" --follow
    echo "Lines the switcher received: $work/kvemu.log"
else
    "$build/kvconsole" --follow
fi
