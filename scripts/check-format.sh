#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the repository's .clang-format makes of it. The version is pinned:
# another clang-format major lays some constructs out differently.
# Usage: scripts/check-format.sh [file...]   (default: every tracked .h and .cpp)
set -euo pipefail
cd "$(dirname "$0")/.."

expected="Debian clang-format version 14."
if ! clang-format --version | grep -q "^$expected"; then
    echo "check-format: needs $expected* (Debian package clang-format), found: $(clang-format --version)" >&2
    exit 1
fi

if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files '*.h' '*.cpp')
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "check-format: run clang-format -i on the files above" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
