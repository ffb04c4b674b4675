#!/usr/bin/env bash
# Builds the window and takes its screenshots under Xvfb: the empty window, three jobs listed,
# converting with progress, paused, done, the preview of a clip (first picture, played, seeked;
# drawn through SDL into the panel's X11 window), a snapshot in each of the four formats, the
# media information dialog, the main window in each of the 17 looks, and the format chooser on
# each tab with the option settings in video, audio and disc mode, in the built-in look and three
# others.
#   scripts/screenshots.sh [OUTPUT_FOLDER]     (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
out="${1:-build/screenshots}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=ON
cmake --build build --target velmora velmora_screenshot_tour
mkdir -p "$out"
# A display of its own, whatever the caller has: the pictures do not depend on the desktop.
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy \
    xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/velmora_screenshot_tour "$out"
