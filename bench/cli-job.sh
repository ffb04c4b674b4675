#!/usr/bin/env bash
# The benchmark job through velmora-cli's raw task command, with the arguments of the engine
# driver: INPUT OUTPUT container vcodec width height vbitrate acodec abitrate [preset [sizelimit]].
set -euo pipefail
input="$1" output="$2" container="$3" vcodec="$4" width="$5" height="$6" vbitrate="$7"
acodec="$8" abitrate="$9" preset="${10:-}" sizelimit="${11:-}"
options="f=$container
vcodec=$vcodec
s=${width}x$height
b=$vbitrate
acodec=$acodec
ab=$abitrate"
if [[ -n "$preset" && "$preset" != - ]]; then
    options+="
vpre=$preset"
fi
if [[ -n "$sizelimit" ]]; then
    options+="
fs=$sizelimit"
fi
exec "$(dirname "$0")/velmora-cli" task -i "$input" -o "$output" --output-options "$options" >/dev/null
