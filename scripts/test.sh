#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the tests of the threaded parts (sound, timing, sessions)
# with ThreadSanitizer (clang) in build/tsan and runs them, then builds everything with ASan and
# UBSan in build/asan and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
CC=clang CXX=clang++ cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMORA_TSAN=ON -DVELMORA_TESTS=ON
cmake --build build/tsan --target test_sound test_timing test_session
(cd build/tsan && ctest --output-on-failure -j2)
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_TESTS=ON \
  -DVELMORA_WERROR=ON
cmake --build build/asan
cd build/asan
ctest --output-on-failure -j2
