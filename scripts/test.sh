#!/usr/bin/env bash
# Builds everything and runs every test twice: a normal build (the compiler the package is built
# with), then a build with AddressSanitizer and UndefinedBehaviorSanitizer. The sanitizer build
# uses clang where it is installed: it compiles that build about twice as fast as g++.
# Any failure or sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/packages.sh
JOBS=${JOBS:-2}
SANITIZE_CXX=$(command -v clang++ || command -v c++)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
QT_QPA_PLATFORM=offscreen ctest --test-dir build -j "$JOBS" --output-on-failure

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKODRILL_SANITIZE=ON -DKODRILL_BUILD_BENCH=OFF \
      -DCMAKE_CXX_COMPILER="$SANITIZE_CXX"
cmake --build build-asan -j "$JOBS"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan -j "$JOBS" --output-on-failure
