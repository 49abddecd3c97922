#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
talvo_install_dependencies
talvo_install_test_locale

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALVO_SANITIZE=ON
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
