#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry, the AppStream metainfo and the man pages pass their validators without
# a single error, warning or hint, and name one application id and the project's version; the
# icons have their sizes and the scalable one looks like them; the desktop entry names the
# window class that the program's window carries under X11. The file types of sessions and
# libraries are defined, opened by the desktop entry and named in the metainfo; a library is
# taken for one by its name although it starts as an executable does. GLib loads the entry
# and shows it in the menus once the program is on PATH (DESKTOP-ENTRY: DesktopEntry.c).
# Usage: desktop_metadata.sh APP-ID VERSION DESKTOP METAINFO ICON-DIR VELMORA MIME-XML LIBRARY
#        DESKTOP-ENTRY MANPAGE...
set -euo pipefail
id=$1 version=$2 desktop=$3 metainfo=$4 icons=$5 program=$6 mime=$7 library=$8 entry=$9
shift 9
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ "$(basename "$desktop")" = "$id.desktop" ] || { echo "desktop entry named $desktop" >&2; exit 1; }
grep -qx "Icon=$id" "$desktop" || { echo "the desktop entry's icon is not $id" >&2; exit 1; }
grep -qx "StartupNotify=true" "$desktop" || { echo "the desktop entry lacks StartupNotify" >&2; exit 1; }
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
types="application/x-velmora-session application/x-velmora-library"
grep -qx 'Exec=velmora %f' "$desktop" || { echo "the desktop entry passes no file" >&2; exit 1; }
grep -qx "MimeType=$(tr ' ' ';' <<<"$types");" "$desktop" ||
    { echo "the desktop entry names other file types" >&2; exit 1; }
for type in $types; do
    grep -qF "<mediatype>$type</mediatype>" "$metainfo" ||
        { echo "the metainfo does not provide $type" >&2; exit 1; }
done
# The entry as the menus load it: with the program on PATH it is shown, starts the program
# and opens both types; without it, TryExec drops the entry, so GLib did read TryExec.
mkdir -p "$work/bin" "$work/nothing"
ln -s "$(readlink -f "$program")" "$work/bin/velmora"
said=$(PATH="$work/bin" "$entry" "$desktop" 2>&1) ||
    { echo "with velmora on PATH: $said" >&2; exit 1; }
# shellcheck disable=SC2086 # one word a type
for line in shown=1 executable=velmora $(printf 'type=%s ' $types); do
    grep -qx "$line" <<<"$said" || { echo "GLib's view of the entry lacks $line: $said" >&2; exit 1; }
done
if said=$(PATH="$work/nothing" "$entry" "$desktop" 2>&1); then
    echo "GLib loads the entry without velmora on PATH: $said" >&2
    exit 1
fi
# The file types as the desktop sees them: installed into a private data directory beside the
# system's own, then asked for through GIO.
mkdir -p "$work/share/mime/packages" "$work/files"
cp "$mime" "$work/share/mime/packages/$id.xml"
said=$(update-mime-database -V "$work/share/mime" 2>&1) ||
    { echo "update-mime-database: $said" >&2; exit 1; }
if grep -qiE 'warning|error|unknown' <<<"$said"; then
    echo "update-mime-database: $said" >&2
    exit 1
fi
cp "$library" "$work/files/mine.zdl"
cp "$library" "$work/files/mine.exe"
printf '# wind down\n0:00 14.0\n20:00 6.0\n' >"$work/files/mine.vsession"
content_type() {
    XDG_DATA_DIRS="$work/share:/usr/local/share:/usr/share" XDG_DATA_HOME="$work/home" \
        gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
for pair in mine.zdl=application/x-velmora-library mine.vsession=application/x-velmora-session; do
    file=${pair%%=*} want=${pair#*=}
    got=$(content_type "$work/files/$file")
    [ "$got" = "$want" ] || { echo "$file is taken for $got, not $want" >&2; exit 1; }
done
# The same bytes under another name are an executable: the name is what wins.
got=$(content_type "$work/files/mine.exe")
[[ "$got" == *executable* || "$got" == *msdownload* ]] ||
    { echo "the library's bytes under another name are taken for $got" >&2; exit 1; }

for page in "$@"; do
    said=$(zcat -f "$page" | LC_ALL=C.UTF-8 groff -man -ww -z 2>&1) || status=$?
    if [ "$status" -ne 0 ] || [ -n "$said" ]; then
        echo "groff on $page ($status): $said" >&2
        exit 1
    fi
done

for size in 16 24 32 48 64 128 256; do
    said=$(identify -format '%wx%h' "$icons/$size/$id.png" 2>&1) || true
    [ "$said" = "${size}x$size" ] || { echo "the $size-pixel icon: $said" >&2; exit 1; }
done
# The scalable icon, drawn by an independent renderer, differs from the painted one only
# where antialiasing does.
rsvg-convert -w 256 -h 256 -o "$work/scalable.png" "$icons/scalable/$id.svg" ||
    { echo "the scalable icon does not render" >&2; exit 1; }
difference=$(compare -metric RMSE "$work/scalable.png" "$icons/256/$id.png" null: 2>&1 || true)
echo "desktop_metadata: the scalable icon differs from the painted one by $difference"
share=$(sed -n 's/.*(\(.*\))$/\1/p' <<<"$difference")
awk -v d="$share" 'BEGIN { exit !(d != "" && d + 0 < 0.02) }' ||
    { echo "the scalable icon does not look like the painted one: $difference" >&2; exit 1; }

# The window's X11 class is the one the desktop entry names.
wm_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
class=$(XDG_CONFIG_HOME="$work" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash -c '
    "$1" >/dev/null 2>&1 &
    pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "^Velmora" | head -n1)
    xprop -id "$window" WM_CLASS
    kill -KILL "$pid"' - "$program" 2>&1 || true)
[[ "$class" == *", \"$wm_class\"" ]] ||
    { echo "the window's class is $class, the desktop entry says $wm_class" >&2; exit 1; }
echo "desktop_metadata: passed"
