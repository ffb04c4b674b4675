#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite.
#   VELMORA_SANITIZER=asan|tsan  builds in build-asan / build-tsan with that sanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build_dir=build
cmake_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=ON)
case "${VELMORA_SANITIZER:-}" in
    asan) build_dir=build-asan; cmake_flags=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_ASAN=ON -DVELMORA_BUILD_TESTS=ON) ;;
    tsan) build_dir=build-tsan; cmake_flags=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_TSAN=ON -DVELMORA_BUILD_TESTS=ON) ;;
    "") ;;
    *) echo "unknown VELMORA_SANITIZER: ${VELMORA_SANITIZER}" >&2; exit 2 ;;
esac
if [[ "${CI:-}" == "true" ]]; then
    cmake_flags+=(-DVELMORA_WERROR=ON)
fi

export QT_QPA_PLATFORM=offscreen SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-2}"
export TSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/tsan.supp:halt_on_error=1"
cmake -S . -B "$build_dir" -G Ninja "${cmake_flags[@]}"
# VELMORA_BUILD_TARGETS: build only these targets (space separated); default everything.
cmake --build "$build_dir" ${VELMORA_BUILD_TARGETS:+--target ${VELMORA_BUILD_TARGETS}}
ctest --test-dir "$build_dir" --output-on-failure ${VELMORA_CTEST_ARGS:-}
