#!/usr/bin/env bash
# Builds everything with Clang (its fuzz entries and lock analysis included) and runs the test suite on that build.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/clang
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
