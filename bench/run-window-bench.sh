#!/usr/bin/env bash
# Window responsiveness: the main window (offscreen) with BENCH_ROWS jobs converting one at a time
# and three at a time; prints the lateness of a 10 ms timer on the GUI thread (median, p99, max),
# how often the job list repaints and how much of it each paint covers, and the row updates per
# second.
#
# Environment: BENCH_ROWS (default 500), BENCH_SECONDS (measured time per case, default 10),
#              BENCH_WORK, BENCH_BUILD, BENCH_NO_BUILD=1 (as in run-file-cost-bench.sh).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/bench-setup.sh"
ROWS="${BENCH_ROWS:-500}"
SECONDS_MEASURED="${BENCH_SECONDS:-10}"

bench_setup velmora-bench-window
export HOME="$WORK/home"
mkdir -p "$HOME"

echo "Window benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for at_once in 1 3; do
    rm -rf "$WORK/case"
    SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        "$BIN/velmora-bench-window" "$WORK/case" "$ROWS" "$at_once" "$SECONDS_MEASURED"
done
