#!/usr/bin/env bash
# Fails when a C++ symbol is defined strongly in more than one of the project's shared libraries: a process loading
# both would hold two copies of its code and globals. Weak and unique symbols (inline functions, templates) are
# merged by the dynamic linker and pass.
# Usage: scripts/check-odr.sh [build folder, default build/test]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/test}
shopt -s nullglob
libraries=("$build"/lib/*.so)
if [ ${#libraries[@]} -eq 0 ]; then
    echo "check-odr: no shared libraries under $build/lib" >&2
    exit 1
fi

twice=$(for library in "${libraries[@]}"; do
    nm -D --defined-only "$library" | awk -v lib="$(basename "$library")" '$2 ~ /^[TDBR]$/ && $3 ~ /^_Z/ { print $3, lib }'
done | sort | awk '
    $1 == symbol { where = where " " $2; count++; next }
    { if (count > 1) print symbol ":" where; symbol = $1; where = $2; count = 1 }
    END { if (count > 1) print symbol ":" where }')

if [ -n "$twice" ]; then
    echo "check-odr: symbols defined in more than one library:" >&2
    echo "$twice" | c++filt >&2
    exit 1
fi
echo "check-odr: ${#libraries[@]} libraries, no symbol defined twice"
