#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every shipped translation is complete and current: lupdate run over the sources finds no text
# that its .ts file lacks and none that it holds but the sources no longer use, and no message
# is left unfinished.
# Usage: up_to_date.sh LUPDATE SOURCE-DIR TS-FILE...
set -euo pipefail
lupdate=$1 sources=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
for ts in "$@"; do
    name=$(basename "$ts")
    cp "$ts" "$work/$name"
    "$lupdate" -silent -locations none -source-language en -no-obsolete \
        "$sources/src" "$sources/tools" -ts "$work/$name" >/dev/null 2>&1
    if ! diff -u "$ts" "$work/$name" >"$work/$name.diff"; then
        echo "$name is not up to date with the sources; run the update-translations target" \
             "and translate what it marks unfinished:" >&2
        grep -E '^[-+] *<source>' "$work/$name.diff" >&2 || cat "$work/$name.diff" >&2
        status=1
    fi
    unfinished=$(grep -c 'type="unfinished"' "$ts" || true)
    if [ "$unfinished" -ne 0 ]; then
        echo "$name has $unfinished unfinished message(s):" >&2
        grep -B2 'type="unfinished"' "$ts" | grep '<source>' >&2 || true
        status=1
    fi
    total=$(grep -c '<message' "$ts")
    [ "$total" -gt 0 ] || { echo "$name holds no message" >&2; status=1; }
    echo "$name: $total messages, $((total - unfinished)) translated, $unfinished unfinished"
done
exit "$status"
