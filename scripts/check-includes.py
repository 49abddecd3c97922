#!/usr/bin/env python3
"""Fails when a project header is included by any other spelling than its path from the repository root, or when a
header in an `internal/` folder is included from outside the module that owns that folder.
Usage: scripts/check-includes.py   (checks every tracked .h and .cpp)"""
import os
import re
import subprocess
import sys

os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
files = subprocess.run(['git', 'ls-files', '*.h', '*.cpp'], capture_output=True, text=True, check=True).stdout.split()
tracked = set(files)
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
faults = []
for path in files:
    with open(path, encoding='utf-8') as source:
        text = source.read()
    for match in include.finditer(text):
        target = match.group(1)
        line = text.count('\n', 0, match.start()) + 1
        if target not in tracked:
            faults.append(f'{path}:{line}: "{target}" is not a path from the repository root')
            continue
        if '/internal/' in target:
            owner = target.split('/internal/')[0] + '/'
            if not path.startswith(owner):
                faults.append(f'{path}:{line}: "{target}" belongs inside {owner}')
for fault in faults:
    print(fault, file=sys.stderr)
if faults:
    print(f'check-includes: {len(faults)} includes to mend', file=sys.stderr)
    sys.exit(1)
print(f'check-includes: {len(files)} files include by root paths')
