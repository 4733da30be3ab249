#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The command lines of both programs: --help and --version answer without a window system,
# the version is the project's, every library command is in the help, the file argument is
# described, stray arguments are refused; the library tool's manual page describes every command
# and option its help lists.
# Usage: command_line.sh VELMORA VELMORA-LIB VERSION VELMORA-LIB-MANPAGE
set -euo pipefail
velmora=$1 tool=$2 version=$3 tool_page=$4

fail() {
    echo "command_line: $*" >&2
    exit 1
}
# run STATUS COMMAND...: runs the command, keeps its output in $out, wants that exit status.
run() {
    local want=$1 status=0
    shift
    out=$("$@" 2>&1) || status=$?
    [ "$status" -eq "$want" ] || fail "'$*' ended with $status, not $want: $out"
}

# No display at all: the help must not need one.
run 0 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$velmora" --help
for text in "Usage: velmora [options] [FILE]" "--help" "--version" "*.vsession" "*.zdl"; do
    grep -qF -- "$text" <<<"$out" || fail "velmora --help does not mention $text: $out"
done
run 0 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$velmora" -v
[ "$out" = "velmora $version" ] || fail "velmora -v says '$out'"
run 1 env QT_QPA_PLATFORM=offscreen "$velmora" one.vsession extra
grep -qF 'opens one file, not "extra" as well' <<<"$out" || fail "velmora one extra says: $out"
run 1 env QT_QPA_PLATFORM=offscreen "$velmora" --frobnicate
grep -qF "frobnicate" <<<"$out" || fail "velmora --frobnicate says: $out"

run 0 "$tool" --version
[ "$out" = "velmora-lib $version" ] || fail "velmora-lib --version says '$out'"
run 0 "$tool" -h
for text in "list LIB" "extract LIB DIR" "pack OUT" "--picture <NAME=FILE.bmp>" \
    "--sound <NAME=FILE.wav>" "--version"; do
    grep -qF -- "$text" <<<"$out" || fail "velmora-lib --help does not mention $text: $out"
done
help=$out
commands=$(sed -n 's/^ *\(usage:\)\? *velmora-lib \([a-z]\+\) .*/\2/p' <<<"$help" | sort -u)
[ "$(wc -l <<<"$commands")" -ge 4 ] || fail "velmora-lib --help lists these commands: $commands"
for command in $commands; do
    grep -qE "^\.BI? $command( |$)" "$tool_page" ||
        fail "velmora-lib(1) does not describe the command $command"
done
for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    grep -qF -- "${option//-/\\-}" "$tool_page" ||
        fail "velmora-lib(1) does not describe the option $option"
done
run 2 "$tool" list LIB --sound A=a.wav
grep -qF "usage: velmora-lib" <<<"$out" || fail "velmora-lib gives no usage: $out"
echo "command_line: passed"
