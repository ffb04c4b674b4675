#!/usr/bin/env bash
# Sets up, builds and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=OFF
cmake --build build --target velmora-cli velmora
# Makes the built-in sample clip and converts it to an MKV, an AVI and an MP3 file in build/demo.
build/bin/velmora-cli demo -o build/demo
# With a display, the window opens too, with the sample clip listed for profile 400 (MKV).
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" && "${QT_QPA_PLATFORM:-}" != "offscreen" ]]; then
    nohup build/bin/velmora --profile 400 build/demo/sample/velmora-sample.mkv >/dev/null 2>&1 &
    echo "The window is open with the sample clip listed: 转换 converts it."
else
    echo "No display: the window (build/bin/velmora) was built but not opened."
fi
