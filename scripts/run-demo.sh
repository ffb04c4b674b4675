#!/usr/bin/env bash
# Sets up, builds and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=OFF
cmake --build build --target velmora-cli
# Makes the built-in sample clip and converts it to an MKV, an AVI and an MP3 file in build/demo.
build/bin/velmora-cli demo -o build/demo
