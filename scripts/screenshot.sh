#!/usr/bin/env bash
# Pictures of the console without a display, one of every page: builds what is needed and
# saves into docs/
#   switching.png        the main window (735 x 529 client area) on the Video Switching page,
#                        connected to kvemu, with settled routes (lime), the selected output
#                        and its input (yellow) and pending routes (red);
#   progress.png         the progress window halfway through a status read;
#   labeling.png, grouping.png, sequencing.png, setup.png, about.png   the other pages;
#   labeled-switching.png  six-character labels on the Video Switching page and the presets;
#   preset-preview.png   a preset previewed on the Video Switching page;
#   remote-control.png   the Remote Control dialog with clients and locks;
#   remote-locks.png     the Video Switching page with two outputs locked by a client.
# It runs a suite's screenshot function (skipped in ordinary test runs) with
# KV_SCREENSHOT=FILE, on the offscreen platform; fonts come from fonts-dejavu-core.
#   KV_BUILD_DIR   build directory (default: build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# Absolute: the suites change their working directory.
build="$(realpath -m "${KV_BUILD_DIR:-$root/build}")"
mkdir -p "$root/docs"

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target kvemu tst_routing

export QT_QPA_PLATFORM=offscreen
export KV_EMU="$build/kvemu"
export KV_SCREENSHOT="$root/docs/switching.png"
"$build/tests/tst_routing" screenshot
echo "Written: $KV_SCREENSHOT"

# The Labeling page (8 x 8 switcher, some labels typed) and the Setup page.
cmake --build "$build" -j2 --target tst_labels tst_setup
KV_SCREENSHOT="$root/docs/labeling.png" "$build/tests/tst_labels" screenshot
KV_SCREENSHOT="$root/docs/setup.png" "$build/tests/tst_setup" screenshot
echo "Written: $root/docs/labeling.png $root/docs/labeled-switching.png $root/docs/setup.png"

# The Grouping page (three groups, group 1 chosen), the Sequencing page (a run on air, the
# preset panel choosing a recall) and a previewed preset on the Video Switching page.
cmake --build "$build" -j2 --target tst_grouping tst_sequencing tst_presets
KV_SCREENSHOT="$root/docs/grouping.png" "$build/tests/tst_grouping" screenshot
KV_SCREENSHOT="$root/docs/sequencing.png" "$build/tests/tst_sequencing" screenshot
KV_SCREENSHOT="$root/docs/preset-preview.png" "$build/tests/tst_presets" screenshot
echo "Written: $root/docs/grouping.png $root/docs/sequencing.png $root/docs/preset-preview.png"

# The About page of a console that found kvemu on COM1 at start-up.
cmake --build "$build" -j2 --target tst_startup
shots="$(mktemp -d)"
KV_SCREENSHOT_DIR="$shots" "$build/tests/tst_startup" screenshots
cp "$shots/about-page.png" "$root/docs/about.png"
rm -rf "$shots"
echo "Written: $root/docs/about.png"

# The Route Log window after a few changes, and the Video Switching page with two
# protected outputs (padlocks) kept through a Clear All Routing.
cmake --build "$build" -j2 --target tst_routejournal
KV_SCREENSHOT="$root/docs/route-log.png" "$build/tests/tst_routejournal" screenshot
echo "Written: $root/docs/route-log.png $root/docs/protect.png"

# The Remote Control dialog with two clients and two locks, the status bar's note, and the
# Video Switching page with those locks.
cmake --build "$build" -j2 --target tst_remote_setup
KV_SCREENSHOT="$root/docs/remote-control.png" "$build/tests/tst_remote_setup" screenshot
echo "Written: $root/docs/remote-control.png $root/docs/remote-status.png $root/docs/remote-locks.png"
# Following the switcher: one output changed at the front panel (amber), one holding a
# temporary route made there (violet), the lamp in the status bar.
cmake --build "$build" -j2 --target tst_follow
KV_SCREENSHOT="$root/docs/follow.png" "$build/tests/tst_follow" screenshot
echo "Written: $root/docs/follow.png"
