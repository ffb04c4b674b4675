#!/usr/bin/env bash
# Queue throughput: six short clips converted by one velmora-cli convert with -j 1 and with -j 2
# (files per second, median of BENCH_RUNS), and a list of BENCH_LIST_FILES tiny sound files
# converted in one batch, timing its first and its last hundred files.
#
# Environment: BENCH_RUNS (default 3; 0 skips the clips), BENCH_CLIP_SECONDS (default 10), BENCH_PROFILE (default 1),
#              BENCH_LIST_FILES (default 1000; 0 skips the list), BENCH_WORK, BENCH_BUILD,
#              BENCH_NO_BUILD=1 (as in run-file-cost-bench.sh).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/bench-setup.sh"
RUNS="${BENCH_RUNS:-3}"
CLIP_SECONDS="${BENCH_CLIP_SECONDS:-10}"
PROFILE="${BENCH_PROFILE:-1}"
LIST_FILES="${BENCH_LIST_FILES:-1000}"

bench_setup velmora-bench-source velmora-cli
export HOME="$WORK/home"
mkdir -p "$HOME" "$WORK/clips" "$WORK/out"

if ((RUNS > 0)); then
    CLIPS=()
    for n in 1 2 3 4 5 6; do
        clip="$WORK/clips/clip$n.mp4"
        [[ -s "$clip" ]] || "$BIN/velmora-bench-source" "$clip" "$CLIP_SECONDS" 640x360
        CLIPS+=("$clip")
    done

    median() {
        sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
    }

    LOAD_BEFORE="$(cut -d' ' -f1-3 /proc/loadavg)"
    : >"$WORK/j1.txt"
    : >"$WORK/j2.txt"
    for ((run = 1; run <= RUNS; ++run)); do
        if ((run % 2)); then order=(1 2); else order=(2 1); fi
        for jobs in "${order[@]}"; do
            echo "six clips, -j $jobs, run $run" >&2
            "$ROOT/bench/time-run.py" "$WORK/j$jobs.txt" "$WORK/err.txt" "$BIN/velmora-cli" convert \
                --overwrite -p "$PROFILE" -j "$jobs" -o "$WORK/out" "${CLIPS[@]}" ||
                { cat "$WORK/err.txt" >&2; exit 1; }
        done
    done
    LOAD_AFTER="$(cut -d' ' -f1-3 /proc/loadavg)"

    echo
    echo "Queue benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, median of $RUNS runs"
    echo "six ${CLIP_SECONDS} s 640x360 H.264 + AAC clips to profile $PROFILE in one convert"
    echo "load average before: $LOAD_BEFORE, after: $LOAD_AFTER"
    for jobs in 1 2; do
        w="$(awk '{ print $1 }' "$WORK/j$jobs.txt" | median)"
        c="$(awk '{ print $2 }' "$WORK/j$jobs.txt" | median)"
        r="$(awk '{ print $3 }' "$WORK/j$jobs.txt" | median)"
        eval "WALL$jobs=$w"
        awk -v j="$jobs" -v w="$w" -v c="$c" -v r="$r" 'BEGIN {
            printf "-j %s: wall %.2f s, CPU %.2f s, peak RSS %.1f MiB, %.3f files/s\n", j, w, c, r / 1024, 6 / w
        }'
    done
    awk -v a="$WALL1" -v b="$WALL2" 'BEGIN { printf "-j 2 throughput: %.2fx of -j 1\n", a / b }'
fi

if ((LIST_FILES > 0)); then
    # Copies, not links: two links to one file are one source to the batch.
    rm -rf "$WORK/list"
    mkdir -p "$WORK/list" "$WORK/list-out"
    "$BIN/velmora-bench-source" "$WORK/list/tiny.wav" 0.2 wav
    for ((n = 1; n <= LIST_FILES; ++n)); do
        cp "$WORK/list/tiny.wav" "$(printf '%s/list/f%04d.wav' "$WORK" "$n")"
    done
    rm "$WORK/list/tiny.wav"
    rm -f "$WORK/list-out"/*
    echo "list of $LIST_FILES tiny files ..." >&2
    LIST_LOAD_BEFORE="$(cut -d' ' -f1-3 /proc/loadavg)"
    start=$(date +%s.%N)
    "$BIN/velmora-cli" convert --json -p 200 -o "$WORK/list-out" "$WORK"/list/f*.wav |
        "$ROOT/bench/result-times.py" "$WORK/list-times.txt"
    end=$(date +%s.%N)
    echo "load average before: $LIST_LOAD_BEFORE, after: $(cut -d' ' -f1-3 /proc/loadavg)"
    awk -v total="$(echo "$end - $start" | bc)" -v n="$LIST_FILES" '
        { t[NR] = $1; if ($2 != "done") bad++ }
        END {
            printf "list of %d tiny WAV files to profile 200: %.2f s in all, %d results, %d not done\n",
                n, total, NR, bad
            printf "adding, until the first result: %.2f s\n", t[1]
            printf "first hundred: %.3f s (%.1f ms a file); last hundred: %.3f s (%.1f ms a file)\n",
                t[101] - t[1], (t[101] - t[1]) * 10, t[NR] - t[NR - 100], (t[NR] - t[NR - 100]) * 10
        }' "$WORK/list-times.txt"
fi
