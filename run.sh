#!/usr/bin/env bash
# Builds a Release, installs it into build/release/prefix, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
talvo_install_dependencies

build=build/release
prefix="$PWD/$build/prefix"
# A user starting the program needs neither the tests nor the benchmarks.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVO_BUILD_TESTS=OFF -DTALVO_BUILD_BENCHMARKS=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix"
cmake --build "$build" -j "$(nproc)"
cmake --install "$build" > /dev/null
echo "Installed into $prefix"
if [ -x "$prefix/bin/talvodesk" ]; then
    exec "$prefix/bin/talvodesk" "$@"
fi
echo "The training program is not built yet; the libraries and tools are installed under $prefix."
