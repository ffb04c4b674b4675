#!/usr/bin/env bash
# Queue throughput: six short clips, then two long ones, each set converted by one velmora-cli
# convert with -j 1 and with -j 2 (files per second, median of BENCH_RUNS); then a list of
# BENCH_LIST_FILES tiny sound files converted in one batch, timing its first and its last hundred.
#
# Environment: BENCH_RUNS (default 3; 0 skips the clips), BENCH_CLIP_SECONDS (default 10),
#              BENCH_LONG_SECONDS (default 60; 0 skips the long clips), BENCH_PROFILE (default 1),
#              BENCH_LIST_FILES (default 1000; 0 skips the list), BENCH_WORK, BENCH_BUILD,
#              BENCH_NO_BUILD=1 (as in run-file-cost-bench.sh).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/bench-setup.sh"
RUNS="${BENCH_RUNS:-3}"
CLIP_SECONDS="${BENCH_CLIP_SECONDS:-10}"
PROFILE="${BENCH_PROFILE:-1}"
LIST_FILES="${BENCH_LIST_FILES:-1000}"
LONG_SECONDS="${BENCH_LONG_SECONDS:-60}"

bench_setup velmora-bench-source velmora-cli
export HOME="$WORK/home"
mkdir -p "$HOME" "$WORK/clips" "$WORK/out"

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# compare_jobs NAME COUNT SECONDS: COUNT clips of SECONDS converted by one convert with -j 1 and
# with -j 2, RUNS times each (alternating), and the medians.
compare_jobs() {
    local name="$1" count="$2" seconds="$3" clips=() n run jobs w c r
    for ((n = 1; n <= count; ++n)); do
        local clip="$WORK/clips/$name$n.mp4"
        [[ -s "$clip" ]] || "$BIN/velmora-bench-source" "$clip" "$seconds" 640x360
        clips+=("$clip")
    done
    local load_before
    load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
    : >"$WORK/$name-j1.txt"
    : >"$WORK/$name-j2.txt"
    for ((run = 1; run <= RUNS; ++run)); do
        local order=(1 2)
        ((run % 2)) || order=(2 1)
        for jobs in "${order[@]}"; do
            echo "$count $name clips, -j $jobs, run $run" >&2
            "$ROOT/bench/time-run.py" "$WORK/$name-j$jobs.txt" "$WORK/err.txt" "$BIN/velmora-cli" \
                convert --overwrite -p "$PROFILE" -j "$jobs" -o "$WORK/out" "${clips[@]}" ||
                { cat "$WORK/err.txt" >&2; exit 1; }
        done
    done

    echo
    echo "Queue benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, median of $RUNS runs"
    echo "$count ${seconds} s 640x360 H.264 + AAC clips to profile $PROFILE in one convert"
    echo "load average before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)"
    local wall1 wall2
    for jobs in 1 2; do
        w="$(awk '{ print $1 }' "$WORK/$name-j$jobs.txt" | median)"
        c="$(awk '{ print $2 }' "$WORK/$name-j$jobs.txt" | median)"
        r="$(awk '{ print $3 }' "$WORK/$name-j$jobs.txt" | median)"
        if ((jobs == 1)); then wall1="$w"; else wall2="$w"; fi
        awk -v j="$jobs" -v w="$w" -v c="$c" -v r="$r" -v n="$count" 'BEGIN {
            printf "-j %s: wall %.2f s, CPU %.2f s, peak RSS %.1f MiB, %.3f files/s\n", j, w, c, r / 1024, n / w
        }'
    done
    awk -v a="$wall1" -v b="$wall2" 'BEGIN { printf "-j 2 throughput: %.2fx of -j 1\n", a / b }'
}

if ((RUNS > 0)); then
    compare_jobs short 6 "$CLIP_SECONDS"
    if ((LONG_SECONDS > 0)); then
        compare_jobs long 2 "$LONG_SECONDS"
    fi
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
