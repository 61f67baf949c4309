#!/usr/bin/env bash
# Builds everything and runs every test twice: a normal build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer. Any failure or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh
JOBS=${JOBS:-2}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
QT_QPA_PLATFORM=offscreen ctest --test-dir build -j "$JOBS" --output-on-failure

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKODRILL_SANITIZE=ON -DKODRILL_BUILD_BENCH=OFF
cmake --build build-asan -j "$JOBS"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan -j "$JOBS" --output-on-failure
