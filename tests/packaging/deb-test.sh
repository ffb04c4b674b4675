#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) from a complete build and checks its control fields
# and contents with dpkg-deb. Installing it with apt needs a clean machine and is not done here.
#   deb-test.sh BUILD_DIR
set -euo pipefail
build_dir=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log" >&2
    fail "cpack -G DEB failed"
}
debs=("$out"/velmora_*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || fail "no single velmora_*.deb in $out"
deb=${debs[0]}
dpkg-deb -I "$deb"

[[ $(dpkg-deb -f "$deb" Package) == velmora ]] || fail "the package is not named velmora"

# A field as one package name per line, without version constraints.
names() {
    dpkg-deb -f "$deb" "$1" | tr ',' '\n' | sed -e 's/(.*)//' -e 's/^ *//' -e 's/ *$//'
}
depends=$(names Depends)
# Loaded at run time (FFmpeg 5.1 with the extra encoders, SDL2, Qt's SVG plugins) and linked (Qt 6).
for package in libavcodec-extra59 libavformat59 libavfilter8 libavutil57 libswscale6 \
    libswresample4 libsdl2-2.0-0 libqt6svg6 libqt6widgets6 libqt6network6 libqt6dbus6 libc6; do
    grep -qx "$package" <<<"$depends" || fail "Depends lacks $package: $depends"
done
grep -qx fonts-noto-cjk <<<"$(names Recommends)" || fail "Recommends lacks a CJK font"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/velmora ./usr/bin/velmora-cli ./usr/share/applications/velmora.desktop \
    ./usr/share/metainfo/org.example.velmora.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/velmora.svg \
    ./usr/share/icons/hicolor/48x48/apps/velmora.png \
    ./usr/share/icons/hicolor/256x256/apps/velmora.png \
    ./usr/share/velmora/help/index.html ./usr/share/velmora/skins/msn.sui ./usr/share/velmora/sounds/; do
    grep -qx -- "$path" <<<"$contents" || fail "the package lacks $path"
done
# Nothing of the media libraries is shipped: they are the system's.
if grep -E 'libav|libsw|SDL' <<<"$contents"; then
    fail "the package ships media libraries"
fi
# Only the two programs go to bin.
[[ $(grep -c '^\./usr/bin/.' <<<"$contents") == 2 ]] || fail "other programs in usr/bin"
echo "package $(basename "$deb"): ok"
