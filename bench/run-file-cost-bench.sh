#!/usr/bin/env bash
# Per-file fixed cost: a tiny sound file and a tiny clip, each converted as a whole process
# BENCH_RUNS times by the bare reference program and by velmora-cli (task and convert), each run
# under /usr/bin/time. Prints the median wall time, CPU time (user + system), waiting time
# (wall - CPU) and peak RSS of every side and the difference to the bare program.
#
# Environment: BENCH_RUNS (default 10), BENCH_SECONDS (length of the tiny sources, default 0.2),
#              BENCH_WORK (folder for the files; default a new temp folder, removed at the end),
#              BENCH_BUILD (build folder, default <repo>/build-bench), BENCH_NO_BUILD=1 (skip build).
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/bench-setup.sh"
RUNS="${BENCH_RUNS:-10}"
LENGTH="${BENCH_SECONDS:-0.2}"

bench_need_time
bench_setup velmora-bench-bare velmora-bench-source velmora-cli
# The command-line tool reads its settings from here; keep it away from the user's own.
export HOME="$WORK/home"
mkdir -p "$HOME" "$WORK/out"

WAV="$WORK/tiny.wav"
CLIP="$WORK/tiny.mp4"
"$BIN/velmora-bench-source" "$WAV" "$LENGTH" wav
"$BIN/velmora-bench-source" "$CLIP" "$LENGTH" 320x240

NL=$'\n'
MP3_OPTIONS="f=mp3${NL}acodec=libmp3lame${NL}ab=128000"
AVI_OPTIONS="f=avi${NL}vcodec=mpeg4${NL}s=320x240${NL}b=800000${NL}acodec=libmp3lame${NL}ab=128000"

# Each side is a name and the program with its arguments, run without a shell in between.
sideCommand() {
    case "$1" in
    bare-mp3) CMD=("$BIN/velmora-bench-bare" "$WAV" "$WORK/out/bare.mp3" mp3 - 0 0 0 libmp3lame 128000) ;;
    task-mp3) CMD=("$BIN/velmora-cli" task -i "$WAV" -o "$WORK/out/task.mp3" --output-options "$MP3_OPTIONS") ;;
    convert-mp3) CMD=("$BIN/velmora-cli" convert --overwrite -p 200 -o "$WORK/out" "$WAV") ;;
    bare-avi) CMD=("$BIN/velmora-bench-bare" "$CLIP" "$WORK/out/bare.avi" avi mpeg4 320 240 800000 libmp3lame 128000) ;;
    task-avi) CMD=("$BIN/velmora-cli" task -i "$CLIP" -o "$WORK/out/task.avi" --output-options "$AVI_OPTIONS") ;;
    convert-avi) CMD=("$BIN/velmora-cli" convert --overwrite -p 1 -o "$WORK/out" "$CLIP") ;;
    esac
}
SIDES=(bare-mp3 task-mp3 convert-mp3 bare-avi task-avi convert-avi)

# One timed run of a side, appended to its file as "wall cpu rssKiB" (bench/time-run.py).
timed() {
    local side="$1"
    sideCommand "$side"
    if ! "$ROOT/bench/time-run.py" "$WORK/$side.txt" "$WORK/err.txt" "${CMD[@]}"; then
        echo "$side failed:" >&2
        cat "$WORK/err.txt" >&2
        exit 1
    fi
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

for side in "${SIDES[@]}"; do : >"$WORK/$side.txt"; done
LOAD_BEFORE="$(cut -d' ' -f1-3 /proc/loadavg)"
for ((run = 1; run <= RUNS; ++run)); do
    # The order turns from run to run so that no side always runs on a warmer cache.
    if ((run % 2)); then order=("${SIDES[@]}"); else order=($(printf '%s\n' "${SIDES[@]}" | tac)); fi
    for side in "${order[@]}"; do
        timed "$side"
    done
done
LOAD_AFTER="$(cut -d' ' -f1-3 /proc/loadavg)"

declare -A RESULT
for side in "${SIDES[@]}"; do
    for column in 1 2 3; do
        RESULT[$side,$column]="$(awk -v c=$column '{ print $c }' "$WORK/$side.txt" | median)"
    done
    RESULT[$side,4]="$(awk '{ print $1 - $2 }' "$WORK/$side.txt" | median)"
done

echo
echo "Per-file cost benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, median of $RUNS runs"
echo "sources: $LENGTH s WAV (44.1 kHz stereo 16-bit) and $LENGTH s 320x240 H.264 + AAC MP4"
echo "mp3: WAV -> MP3 128 kbit/s (convert: profile 200); avi: clip -> MPEG-4 + MP3 in AVI (convert: profile 1)"
echo "load average before: $LOAD_BEFORE, after: $LOAD_AFTER"
echo
printf '%-12s | %8s | %8s | %8s | %8s | %s\n' side "wall s" "CPU s" "wait s" "RSS MiB" \
    "above bare: wall, CPU, RSS"
for side in "${SIDES[@]}"; do
    bare="bare-${side#*-}"
    awk -v n="$side" -v w="${RESULT[$side,1]}" -v c="${RESULT[$side,2]}" -v r="${RESULT[$side,3]}" \
        -v q="${RESULT[$side,4]}" -v bw="${RESULT[$bare,1]}" -v bc="${RESULT[$bare,2]}" \
        -v br="${RESULT[$bare,3]}" 'BEGIN {
        printf "%-12s | %8.3f | %8.3f | %8.3f | %8.1f | %+.3f s, %+.3f s, %+.1f MiB\n",
            n, w, c, q, r / 1024, w - bw, c - bc, (r - br) / 1024
    }'
done
