#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a build tree with cpack, unpacks it into a temporary folder
# and checks its files, its control fields and the unpacked library tool on the unpacked
# default library; lintian finds no error and no warning in it, and in a hardened build none
# of its hardening tags. Usage: deb_package.sh BUILD-DIR VERSION APP-ID hardened|plain
set -euo pipefail
build=$(readlink -f "$1") version=$2 id=$3 hardening=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "deb_package: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
deb="$work/out/velmora_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"
echo "deb_package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

dpkg-deb -x "$deb" "$work/root"
root=$work/root
for file in usr/bin/velmora usr/bin/velmora-lib usr/share/velmora/main.zdl \
    "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
    "usr/share/icons/hicolor/16x16/apps/$id.png" "usr/share/icons/hicolor/256x256/apps/$id.png" \
    "usr/share/icons/hicolor/scalable/apps/$id.svg" \
    usr/bin/velmora-render usr/share/man/man1/velmora.1.gz usr/share/man/man1/velmora-lib.1.gz \
    usr/share/man/man1/velmora-render.1.gz \
    usr/share/doc/velmora/copyright usr/share/doc/velmora/changelog.gz \
    "usr/share/mime/packages/$id.xml" usr/share/velmora/sessions/try-out.vsession; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done
sessions=$(find "$root/usr/share/velmora/sessions" -name '*.vsession' | wc -l)
[ "$sessions" -ge 10 ] || fail "the package holds $sessions sessions"
# Nothing of the build tree beyond what is installed: no tests, headers or libraries.
stray=$(cd "$root" && find . -type f | grep -vE '^\./usr/(bin/velmora[-a-z]*|share/(velmora|applications|metainfo|icons|man|mime/packages|doc/velmora)/.*)$' || true)
[ -z "$stray" ] || fail "the package holds files it should not: $stray"

# The data inside is xz-compressed.
members=$(ar t "$deb" | tr '\n' ' ')
[[ "$members" == *"data.tar.xz"* ]] || fail "the package's members are $members"

# The licence in the machine-readable form, and a changelog whose latest entry is this version.
head -n1 "$root/usr/share/doc/velmora/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not machine-readable"
grep -qx 'License: GPL-3+' "$root/usr/share/doc/velmora/copyright" || fail "the copyright file names no GPL-3+"
zcat "$root/usr/share/doc/velmora/changelog.gz" >"$work/changelog"
latest=$(dpkg-parsechangelog -l "$work/changelog" -S Version) || fail "the changelog does not parse"
[ "$latest" = "$version" ] || fail "the changelog's latest entry is $latest, not $version"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velmora ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
echo "deb_package: Depends: $depends"
for package in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libsdl2-2.0-0; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
# The X11 plugin comes with libqt6gui6; the package of other platform plugins is not needed.
grep -q qt6-qpa-plugins <<<"$depends" && fail "Depends names qt6-qpa-plugins: $depends"
[ "$(field Recommends)" = qt6-wayland ] || fail "Recommends: $(field Recommends)"

out=$("$root/usr/bin/velmora-lib" --version) || fail "the unpacked velmora-lib --version failed"
[ "$out" = "velmora-lib $version" ] || fail "the unpacked velmora-lib --version says '$out'"
out=$("$root/usr/bin/velmora-lib" list "$root/usr/share/velmora/main.zdl") ||
    fail "the unpacked velmora-lib list failed: $out"
grep -qE '^Picturez \([1-9][0-9]*\):' <<<"$out" || fail "no pictures listed: $out"
grep -qE '^Soundz \([1-9][0-9]*\):' <<<"$out" || fail "no sounds listed: $out"

# Tags that cannot apply to a package built outside the archive, each with its reason (none
# so far): tag names, one a line.
exceptions=""
said=$(lintian --display-info "$deb" 2>&1 | grep -E '^[EWI]: ' || true)
echo "deb_package: lintian: $(grep -cE '^[EW]: ' <<<"$said" || true) errors and warnings"
problems=$(awk -v skip="$exceptions" '
    BEGIN { n = split(skip, list, "\n"); for (i = 1; i <= n; i++) ok[list[i]] = 1 }
    /^[EW]: / && !($3 in ok)' <<<"$said")
[ -z "$problems" ] || fail "lintian: $problems"
if [ "$hardening" = hardened ]; then
    weak=$(grep -E '^I: [^ ]+ hardening-' <<<"$said" || true)
    [ -z "$weak" ] || fail "lintian in a hardened build: $weak"
fi
echo "deb_package: passed"
