# Shared set-up of the benchmark scripts (sourced, not run). After it: ROOT, BUILD and BIN name
# the checkout, the benchmark build folder and its programs, and WORK a folder for the files.
#   bench_setup TARGET...   builds the targets in BUILD (unless BENCH_NO_BUILD=1) and makes WORK
#                           (BENCH_WORK, else a temporary folder removed at the end).
#   bench_need_time         installs /usr/bin/time when it is missing.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BENCH_BUILD:-$ROOT/build-bench}"
BIN="$BUILD/bin"

bench_need_time() {
    if [[ ! -x /usr/bin/time ]]; then
        echo "installing time ..." >&2
        apt-get install -y time >/dev/null
    fi
}

bench_setup() {
    if [[ "${BENCH_NO_BUILD:-0}" != 1 ]]; then
        cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_BENCH=ON \
            -DVELMORA_BUILD_TESTS=OFF >/dev/null
        cmake --build "$BUILD" -j2 --target "$@" >/dev/null
    fi
    if [[ -n "${BENCH_WORK:-}" ]]; then
        WORK="$BENCH_WORK"
        mkdir -p "$WORK"
    else
        WORK="$(mktemp -d)"
        trap 'rm -rf "$WORK"' EXIT
    fi
}
