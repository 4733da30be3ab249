#!/usr/bin/env bash
# The desktop entry, the AppStream metainfo and the man pages pass their validators without
# a single error, warning or hint, and name one application id and the project's version.
# Usage: desktop_metadata.sh APP-ID VERSION DESKTOP METAINFO MANPAGE...
set -euo pipefail
id=$1 version=$2 desktop=$3 metainfo=$4
shift 4

[ "$(basename "$desktop")" = "$id.desktop" ] || { echo "desktop entry named $desktop" >&2; exit 1; }
grep -qx "Icon=$id" "$desktop" || { echo "the desktop entry's icon is not $id" >&2; exit 1; }
for text in "<id>$id</id>" "<project_license>GPL-3.0-or-later</project_license>" \
    "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "<release version=\"$version\"" "<content_rating type=" "Photosensitivity warning"; do
    grep -qF "$text" "$metainfo" || { echo "the metainfo lacks $text" >&2; exit 1; }
done

status=0
said=$(desktop-file-validate "$desktop" 2>&1) || status=$?
if [ "$status" -ne 0 ] || [ -n "$said" ]; then
    echo "desktop-file-validate ($status): $said" >&2
    exit 1
fi
said=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || status=$?
if [ "$status" -ne 0 ] || grep -qE '^[EW]:' <<<"$said"; then
    echo "appstreamcli validate ($status): $said" >&2
    exit 1
fi
for page in "$@"; do
    said=$(zcat -f "$page" | LC_ALL=C.UTF-8 groff -man -ww -z 2>&1) || status=$?
    if [ "$status" -ne 0 ] || [ -n "$said" ]; then
        echo "groff on $page ($status): $said" >&2
        exit 1
    fi
done
echo "desktop_metadata: passed"
