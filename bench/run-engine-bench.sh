#!/usr/bin/env bash
# Engine benchmark: the bare reference program and the engine on the same two jobs, each timed
# with /usr/bin/time; prints wall time, CPU time (user + system) and peak RSS of both and their
# ratios, median of BENCH_RUNS runs.
#
# Environment: BENCH_SECONDS (source length, default 10), BENCH_RUNS (default 3),
#              BENCH_WORK (folder for the clips; default a new temp folder, removed at the end),
#              BENCH_BUILD (build folder, default <repo>/build-bench), BENCH_NO_BUILD=1 (skip build).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/bench-setup.sh"
SECONDS_LONG="${BENCH_SECONDS:-10}"
RUNS="${BENCH_RUNS:-3}"

bench_need_time

bench_setup velmora-bench-bare velmora-bench-engine velmora-bench-source velmora-cli
# The same job through the command-line tool (its raw task command).
cp "$ROOT/bench/cli-job.sh" "$BIN/velmora-bench-cli"

SOURCE="$WORK/source-1080p.mp4"
echo "making a ${SECONDS_LONG} s 1920x1080 H.264+AAC source ..." >&2
"$BIN/velmora-bench-source" "$SOURCE" "$SECONDS_LONG"

# Case arguments after INPUT OUTPUT: container, video encoder, width, height, video bit rate,
# audio encoder, audio bit rate[, video preset ("-": none)[, size limit in bytes]].
CASE_A=(avi mpeg4 720 480 1200000 libmp3lame 128000)
CASE_B=(matroska libx264 1920 1080 2000000 aac 128000 libx264-default)
# (c): the job of (b) into MP4 with a size limit ("fs") that cuts it at about three quarters of
# the source (2.13 Mbit/s for 0.75 of its length), so the limit's bookkeeping runs through most
# of the job; the bare program simply stops reading once the packets it muxed reach the limit.
LIMIT_C=$((SECONDS_LONG * 200000))
CASE_C=(mp4 libx264 1920 1080 2000000 aac 128000 libx264-default "$LIMIT_C")

# One timed run: prints "wall cpu rssKiB".
timed() {
    local program="$1" output="$2"
    shift 2
    local times="$WORK/time.txt"
    if ! /usr/bin/time -o "$times" -f "%e %U %S %M" "$BIN/$program" "$SOURCE" "$output" "$@"; then
        echo "$program failed" >&2
        exit 1
    fi
    awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$times"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

LOAD_BEFORE="$(cut -d' ' -f1-3 /proc/loadavg)"
declare -A RESULT
for name in a b c; do
    case $name in
    a) args=("${CASE_A[@]}") ext=avi ;;
    b) args=("${CASE_B[@]}") ext=mkv ;;
    c) args=("${CASE_C[@]}") ext=mp4 ;;
    esac
    : >"$WORK/bare-$name.txt"
    : >"$WORK/engine-$name.txt"
    : >"$WORK/cli-$name.txt"
    for ((run = 1; run <= RUNS; ++run)); do
        # The order alternates so that neither side always runs on a warmer cache.
        if ((run % 2)); then order=(bare engine cli); else order=(cli engine bare); fi
        for side in "${order[@]}"; do
            echo "case ($name) run $run: $side" >&2
            timed "velmora-bench-$side" "$WORK/$side-$name.$ext" "${args[@]}" >>"$WORK/$side-$name.txt"
        done
    done
    for side in bare engine cli; do
        RESULT[$side,$name,size]="$(stat -c %s "$WORK/$side-$name.$ext")"
        for column in 1 2 3; do
            RESULT[$side,$name,$column]="$(awk -v c=$column '{ print $c }' "$WORK/$side-$name.txt" | median)"
        done
    done
done
LOAD_AFTER="$(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "Engine benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, median of $RUNS runs"
echo "source: ${SECONDS_LONG} s 1920x1080 25 fps H.264 + AAC 44.1 kHz stereo"
echo "load average before: $LOAD_BEFORE, after: $LOAD_AFTER"
echo "(a) 720x480 MPEG-4 1200 kbit/s + MP3 128 kbit/s, AVI"
echo "(b) 1920x1080 H.264 libx264-default 2000 kbit/s + AAC 128 kbit/s, Matroska"
echo "(c) as (b) into MP4, size limit $LIMIT_C bytes"
echo
printf '%-4s | %-22s | %-22s | %-22s | %s\n' case "wall s (bare/engine)" "CPU s (bare/engine)" \
    "peak RSS MiB (b/e)" "wall ratio, CPU ratio, RSS diff"
for name in a b c; do
    bw=${RESULT[bare,$name,1]} ew=${RESULT[engine,$name,1]}
    bc=${RESULT[bare,$name,2]} ec=${RESULT[engine,$name,2]}
    br=${RESULT[bare,$name,3]} er=${RESULT[engine,$name,3]}
    awk -v n="($name)" -v bw="$bw" -v ew="$ew" -v bc="$bc" -v ec="$ec" -v br="$br" -v er="$er" 'BEGIN {
        wr = ew / bw; cr = ec / bc; rd = (er - br) / 1024;
        verdict = (wr <= 1.10 && cr <= 1.10 && rd <= 64) ? "within target" : "OUTSIDE target";
        printf "%-4s | %9.2f / %-10.2f | %9.2f / %-10.2f | %9.1f / %-10.1f | %.3fx, %.3fx, %+.1f MiB  %s\n",
            n, bw, ew, bc, ec, br / 1024, er / 1024, wr, cr, rd, verdict
    }'
done
echo
echo "The same jobs through velmora-cli task, against the bare program:"
for name in a b c; do
    bw=${RESULT[bare,$name,1]} cw=${RESULT[cli,$name,1]}
    bc=${RESULT[bare,$name,2]} cc=${RESULT[cli,$name,2]}
    br=${RESULT[bare,$name,3]} cr=${RESULT[cli,$name,3]}
    awk -v n="($name)" -v bw="$bw" -v cw="$cw" -v bc="$bc" -v cc="$cc" -v br="$br" -v cr="$cr" 'BEGIN {
        printf "%-4s | wall %.2f / %.2f s (%.3fx) | CPU %.2f / %.2f s (%.3fx) | RSS %.1f / %.1f MiB (%+.1f)\n",
            n, bw, cw, cw / bw, bc, cc, cc / bc, br / 1024, cr / 1024, (cr - br) / 1024
    }'
done
echo
echo "Output sizes in bytes (bare / engine / cli):"
for name in a b c; do
    echo "($name) ${RESULT[bare,$name,size]} / ${RESULT[engine,$name,size]} / ${RESULT[cli,$name,size]}"
done
