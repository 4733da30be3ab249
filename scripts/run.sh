#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building and running needs, builds the Release program without the tests and
# starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF
cmake --build build/run
exec build/run/velmora
