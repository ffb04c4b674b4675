#!/usr/bin/env bash
# velmora-cli's manual page and bash completion: both land in an install tree (their install
# component alone), the page renders without warnings, and both know every command and option
# that --help names, so that neither falls behind the program. The completion is also asked
# what it offers in a few places, as bash asks it.
#   manual-and-completion-test.sh BUILD_DIR VELMORA_CLI
set -euo pipefail
build_dir=$(realpath "$1")
cli=$(realpath "$2")
prefix=$(realpath "$(mktemp -d)")
trap 'rm -rf "$prefix"' EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build_dir" --prefix "$prefix" --component velmora-cli-manual >/dev/null
page=$prefix/share/man/man1/velmora-cli.1
completion=$prefix/share/bash-completion/completions/velmora-cli
for file in "$page" "$completion"; do
    [[ -s $file ]] || { echo "FAIL: ${file#"$prefix"/} is not installed" >&2; exit 1; }
done

if command -v groff >/dev/null; then
    warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 "$page" 2>&1) || true
    [[ -z $warnings ]] || fail "the manual page renders with warnings: $warnings"
fi

# What the completion offers for a command line whose last word is being completed.
# shellcheck source=/dev/null
source "$completion"
PATH=$(dirname "$cli"):$PATH
offered() {
    COMP_WORDS=(velmora-cli "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _velmora_cli
    printf '%s\n' "${COMPREPLY[@]}"
}

# The commands and options --help names: "  name   text" under Subcommands, "  -x,--name" and
# "  --name" under Options.
commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
[[ -n $commands ]] || fail "velmora-cli --help names no commands"
options_of() {
    # shellcheck disable=SC2086
    "$cli" $1 --help | sed -n '/^Options:/,/^$/p' | grep -oE '^  (-[[:alnum:]],)?--[[:alnum:]-]+' |
        tr ',' '\n' | tr -d ' '
}

for command in $commands; do
    grep -qxF -- "$command" <(offered "") || fail "the completion does not offer $command"
    grep -qE -- "^\.SS $command( |$)" "$page" || fail "the manual page has no section for $command"
done

levels=("")
for command in $commands; do
    levels+=("$command")
done
levels+=("lock set" "lock clear")
for level in "${levels[@]}"; do
    # shellcheck disable=SC2086
    words=($level)
    for option in $(options_of "$level"); do
        grep -qxF -- "$option" <(offered "${words[@]}" -) ||
            fail "the completion of \"velmora-cli $level\" does not offer $option"
        # roff writes each minus as \-.
        grep -qF -- "${option//-/\\-}" "$page" ||
            fail "the manual page does not name $option (velmora-cli $level)"
    done
done

# Values of closed lists, and a file name with a blank that stays one name.
expect() {
    local wanted=$1
    shift
    grep -qxF -- "$wanted" <(offered "$@") ||
        fail "velmora-cli $* <TAB> does not offer $wanted; it offers: $(offered "$@" | tr '\n' ' ')"
}
expect lock lo
expect convert --log-level info conv
expect debug --log-level d
expect lowest convert --priority lo
expect 400 convert -p 40
expect frame-size= convert --set fr
expect clear lock c
expect --master lock set --m
cd "$prefix"
touch "two words.mkv"
expect "two words.mkv" convert two
[[ $(offered convert --json two | wc -l) == 1 ]] || fail "a name with a blank is split"

((failures == 0)) || exit 1
echo "manual page and completion: installed, complete and consistent with --help"
