#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The renderer runs without the window: it loads no Qt Widgets library and holds none of the
# main window's code.
set -eu
renderer=$1
if ldd "$renderer" | grep -i widgets; then
  echo "velmora-render loads a widgets library" >&2
  exit 1
fi
if nm -C "$renderer" | grep -m3 'TMainForm::'; then
  echo "velmora-render holds the main window's code" >&2
  exit 1
fi
ldd "$renderer" | grep -q libQt6Core # the check above looked at a real program
echo "velmora-render: no widgets, no main window"
