#!/usr/bin/env bash
# Installs the build into a temporary prefix (cmake --install BUILD --prefix TMP), checks the
# layout and asks the installed velmora, offscreen, where it found its skins, help and sounds.
#   install-test.sh BUILD_DIR
set -euo pipefail
build_dir=$(realpath "$1")
prefix=$(realpath "$(mktemp -d)")
trap 'rm -rf "$prefix"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build_dir" --prefix "$prefix" >"$prefix.log" 2>&1 || {
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    fail "cmake --install failed"
}
rm -f "$prefix.log"

for file in bin/velmora bin/velmora-cli \
    share/applications/velmora.desktop \
    share/metainfo/org.example.velmora.metainfo.xml \
    share/icons/hicolor/scalable/apps/velmora.svg \
    share/velmora/help/index.html share/velmora/skins/msn.sui; do
    [[ -s $prefix/$file ]] || fail "$file is not installed"
done

# The rendered icons have the sizes their folders promise (PNG: width and height at byte 16).
for size in 48 256; do
    picture=$prefix/share/icons/hicolor/${size}x${size}/apps/velmora.png
    [[ -s $picture ]] || fail "the ${size} px icon is not installed"
    read -r -a header < <(od -An -tu1 -j16 -N8 "$picture")
    width=$(((header[2] << 8) | header[3]))
    height=$(((header[6] << 8) | header[7]))
    [[ $width == "$size" && $height == "$size" ]] || fail "${size} px icon is ${width}x${height}"
done

# Every page, look and sound of the build tree is installed too.
for folder in help skins sounds; do
    [[ -d $build_dir/bin/$folder ]] || continue
    for file in "$build_dir/bin/$folder"/*; do
        [[ -e $file ]] || continue
        [[ -f $prefix/share/velmora/$folder/$(basename "$file") ]] ||
            fail "$folder/$(basename "$file") of the build tree is not installed"
    done
done

# The installed program, started from elsewhere, finds its data under ../share/velmora.
report=$(cd / && QT_QPA_PLATFORM=offscreen "$prefix/bin/velmora" --data-folders 2>/dev/null) ||
    fail "the installed velmora did not start"
for name in skins help sounds; do
    line=$(grep "^$name=" <<<"$report") || fail "velmora names no $name folder: $report"
    found=${line#*=}
    [[ $found == "$prefix/share/velmora/$name" ]] ||
        fail "velmora looks for $name in $found, not in $prefix/share/velmora/$name"
    [[ -d $found ]] || fail "$found is not there"
done

"$prefix/bin/velmora-cli" --version >/dev/null || fail "the installed velmora-cli did not start"
echo "installed layout and data folders: ok"
