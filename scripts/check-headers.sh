#!/usr/bin/env bash
# Fails when a tracked header does not compile on its own: each one is compiled alone (-fsyntax-only) in a
# translation unit of one include line, with the flags (from the build's compile_commands.json) of a source that
# includes it, directly or through other headers, so Qt and test include paths come where its users have them.
# Needs a configured build.
# Usage: scripts/check-headers.sh [build folder, default build/test] [parallel jobs, default all cores]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/test}
jobs=${2:-$(nproc)}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "check-headers: no compile_commands.json under $build (configure the build first)" >&2
    exit 1
fi

python3 - "$build/compile_commands.json" "$jobs" <<'EOF'
import concurrent.futures
import json
import os
import re
import shlex
import subprocess
import sys

root = os.getcwd()
database, jobs = sys.argv[1], int(sys.argv[2])
headers = subprocess.run(["git", "ls-files", "*.h"], capture_output=True, text=True, check=True).stdout.split()

# The compiler and its options for each project source of the build.
flagsOf = {}
for entry in json.load(open(database)):
    source = os.path.relpath(entry["file"], root)
    if source.startswith("..") or source.startswith("build"):
        continue
    words = shlex.split(entry["command"])
    while words and os.path.basename(words[0]) == "ccache":
        words = words[1:]
    kept = [words[0]]
    skip = False
    for word in words[1:]:
        if skip:
            skip = False
        elif word in ("-o", "-MF", "-MT", "-MQ"):
            skip = True
        elif word not in ("-c", "-MD", "-MMD") and word != entry["file"]:
            kept.append(word)
    flagsOf[source] = (entry["directory"], kept)

# Who includes each header, so a header is compiled with the flags of a source that uses it.
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
includers = {}
for path in subprocess.run(["git", "ls-files", "*.h", "*.cpp"], capture_output=True, text=True,
                           check=True).stdout.split():
    with open(path, encoding="utf-8") as text:
        for target in include.findall(text.read()):
            includers.setdefault(target, set()).add(path)


def includePaths(found):
    return sum(1 for word in found[1] if word.startswith("-I"))


def flags(header):
    """The flags of the sources that reach the header through includes (the one with the most include paths, so Qt
    and test paths come where any user has them), else of a source in its folder or the nearest one above, else
    the plainest source of the build."""
    seen, queue, users = {header}, [header], []
    while queue:
        for path in sorted(includers.get(queue.pop(0), ())):
            if path in flagsOf:
                users.append(flagsOf[path])
            elif path.endswith(".h") and path not in seen:
                seen.add(path)
                queue.append(path)
    if users:
        return max(users, key=includePaths)
    folder = os.path.dirname(header)
    while folder:
        near = [found for source, found in sorted(flagsOf.items()) if os.path.dirname(source) == folder]
        if near:
            return max(near, key=includePaths)
        folder = os.path.dirname(folder)
    return min((found for _, found in sorted(flagsOf.items())), key=includePaths, default=None)


def check(header):
    found = flags(header)
    if found is None:
        return header, "no compile command for its folder"
    directory, command = found
    run = subprocess.run(command + ["-fsyntax-only", "-x", "c++", "-"], input=f'#include "{header}"\n',
                         cwd=directory, capture_output=True, text=True)
    return header, run.stderr if run.returncode != 0 else None


failed = 0
with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
    for header, error in pool.map(check, headers):
        if error is not None:
            failed += 1
            print(f"check-headers: {header} does not compile on its own:\n{error}", file=sys.stderr)
if failed:
    sys.exit(f"check-headers: {failed} of {len(headers)} headers fail")
print(f"check-headers: {len(headers)} headers compile on their own")
EOF
