#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Velmora needs, only those missing.
#   scripts/setup.sh run   what building and running the program needs
#   scripts/setup.sh       that and everything the tests, benchmarks, fuzz targets and the
#                          Debian package need (the default, so older callers get everything)
set -euo pipefail

# Building and running: compiler, build tools, Qt (its GUI library brings the X11 platform
# plugin), Qt's translation tools and the toolkit's own translations, SDL for sound, libsndfile
# for the renderer's files, libespeak-ng (with its voices) for the spoken cues, one font for the
# labels, and what paces the picture by the display's frames: the X Present extension's client
# library, and the Wayland client library, the presentation-time protocol and Qt's private GUI
# headers for the compositor's feedback.
run_packages=(
  build-essential cmake ninja-build pkg-config
  libxcb1-dev libxcb-randr0-dev
  qt6-base-dev qt6-l10n-tools qt6-translations-l10n libsdl2-dev libsndfile1-dev libespeak-ng-dev
  fonts-dejavu-core libxcb-present-dev libwayland-dev wayland-protocols qt6-base-private-dev
)

# Tests, benchmarks, fuzz targets, the files made by independent tools, X11 and Wayland
# servers, the desktop metadata validators and GLib (to load the desktop entry as the menus
# do), an independent SVG renderer for the scalable icon, the Debian package with lintian, and
# the accessibility bus with a client of it.
test_packages=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-apps x11-utils libx11-dev
  weston qt6-wayland
  imagemagick sox icoutils binutils-mingw-w64-i686
  pulseaudio pulseaudio-utils
  pipewire pipewire-pulse wireplumber dbus-daemon
  dpkg-dev file desktop-file-utils appstream groff-base librsvg2-bin lintian
  shared-mime-info libglib2.0-bin libglib2.0-dev
  at-spi2-core python3-pyatspi
)

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
