#!/usr/bin/env python3
"""Lists the longest function bodies in C++ sources, counted from the first line of the signature to the closing
brace (blank and comment lines included). Lambdas and local classes count toward the function that holds them.
Usage: scripts/function-lengths.py [--top N] [--limit N] [--no-tests] [PATH...]   (default PATH: talvodesk)
With --limit, exits 1 when a function has N lines or more."""
import argparse
import os
import re
import subprocess
import sys

QUALIFIERS = re.compile(r'^(\s|const\b|noexcept\b|override\b|final\b|mutable\b|volatile\b|&|->.*|requires\b.*)*$')


def blank(text):
    """Comments, string and character literals and preprocessor lines become spaces; newlines stay."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == '#':
            while i < n and text[i] != '\n':
                if text[i] == '\\' and i + 1 < n and text[i + 1] == '\n':
                    out.append(' \n')
                    i += 2
                    continue
                out.append(' ')
                i += 1
            continue
        if c == '\n':
            line_start = True
            out.append(c)
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith('//', i):
            while i < n and text[i] != '\n':
                out.append(' ')
                i += 1
            continue
        if text.startswith('/*', i):
            end = text.find('*/', i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r'[^\n]', ' ', text[i:end]))
            i = end
            continue
        raw = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', text[i:i + 24])
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == '_')):
            end = text.find(')' + raw.group(1) + '"', i)
            end = n if end < 0 else end + len(raw.group(1)) + 2
            out.append(re.sub(r'[^\n]', ' ', text[i:end]))
            i = end
            continue
        if c == '"' or (c == "'" and not is_digit_separator(text, i)):
            j = i + 1
            while j < n and text[j] != c and text[j] != '\n':
                j += 2 if text[j] == '\\' else 1
            out.append(' ' * (min(j + 1, n) - i))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return ''.join(out)


def is_digit_separator(text, i):
    j = i
    while j > 0 and (text[j - 1].isalnum() or text[j - 1] in "_'."):
        j -= 1
    return j < i and text[j].isdigit()


def strip_template(header):
    """Drops leading `template <...>` clauses."""
    while True:
        match = re.match(r'\s*template\s*<', header)
        if not match:
            return header
        depth, i = 1, match.end()
        while i < len(header) and depth:
            depth += {'<': 1, '>': -1}.get(header[i], 0)
            i += 1
        header = header[i:]


def top_level_close(header):
    """Index after the `)` that closes the first top-level `(`, or -1 (also when parentheses are unbalanced)."""
    start = header.find('(')
    if start < 0:
        return -1
    depth = 0
    for i in range(start, len(header)):
        depth += {'(': 1, ')': -1}.get(header[i], 0)
        if depth == 0:
            return i + 1
    return -1


def classify(header):
    """'scope' (namespace, class), 'function', 'initializer' (a brace inside a constructor's init list) or 'other'."""
    header = re.sub(r'\b(public|private|protected)\s*:(?!:)', ' ', header)
    body = strip_template(header)
    before_paren = body.split('(', 1)[0]
    if re.search(r'\benum\b', before_paren):
        return 'other'
    if re.search(r'\b(namespace|class|struct|union)\b', before_paren) or re.match(r'\s*extern\s*$', body):
        return 'scope'
    if body.count('(') != body.count(')'):
        return 'other'
    named = re.sub(r'\boperator\s*(\(\s*\)|[^\s(]+)', 'operator', body)
    close = top_level_close(named)
    if close < 0 or '=' in named[:named.find('(')] or re.match(r'\s*return\b', named):
        return 'other'
    rest = named[close:]
    init = re.search(r'(?<!:):(?!:)', rest)
    if init:
        tail = rest.rstrip()
        return 'initializer' if tail and (tail[-1].isalnum() or tail[-1] in '_>') else 'function'
    return 'function' if QUALIFIERS.match(rest) else 'other'


def name_of(header):
    body = ' '.join(strip_template(header).split())
    named = re.sub(r'\boperator\s*(\(\s*\)|[^\s(]+)', lambda m: 'operator' + m.group(1).replace(' ', ''), body)
    match = re.search(r'([~\w:]+(?:operator\S*?)?)\s*\(', named)
    if not match:
        return body[:60]
    if re.match(r'[A-Z_]+$', match.group(1)):  # a test macro: keep its arguments
        close = top_level_close(named[match.start():])
        return named[match.start():match.start() + close]
    return match.group(1)


def functions(path):
    with open(path, encoding='utf-8') as source:
        text = blank(source.read())
    found = []
    stack = []  # kinds of the open braces
    header_start = 0
    opened_at = []
    i = 0
    for i, c in enumerate(text):
        inside = stack and stack[-1] in ('function', 'initializer', 'other', 'nested')
        if c == '{':
            if inside:
                stack.append('nested' if stack[-1] != 'other' else 'other')
                opened_at.append(i)
                continue
            kind = classify(text[header_start:i])
            stack.append(kind)
            opened_at.append(header_start if kind == 'function' else i)
            if kind == 'scope':
                header_start = i + 1
        elif c == '}':
            if not stack:
                continue
            kind = stack.pop()
            start = opened_at.pop()
            if stack and stack[-1] in ('function', 'initializer', 'other', 'nested'):
                continue
            if kind == 'function':
                header = text[start:text.find('{', start)]
                first = start + len(header) - len(header.lstrip())
                first_line = text.count('\n', 0, first) + 1
                last_line = text.count('\n', 0, i) + 1
                found.append((last_line - first_line + 1, path, first_line, name_of(header)))
            if kind in ('function', 'scope'):
                header_start = i + 1
        elif c == ';' and not inside:
            header_start = i + 1
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('paths', nargs='*', default=['talvodesk'])
    parser.add_argument('--top', type=int, default=10)
    parser.add_argument('--limit', type=int)
    parser.add_argument('--no-tests', action='store_true', help='skip files in tests/ folders')
    options = parser.parse_args()
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
    files = subprocess.run(['git', 'ls-files', '--', *options.paths], capture_output=True, text=True,
                           check=True).stdout.split()
    files = [f for f in files if f.endswith(('.cpp', '.h')) and not (options.no_tests and '/tests/' in f)]
    found = sorted((f for path in files for f in functions(path)), key=lambda f: (-f[0], f[1], f[2]))
    for lines, path, line, name in found[:options.top]:
        print(f'{lines:5}  {path}:{line}  {name}')
    print(f'function-lengths: {len(found)} functions in {len(files)} files')
    if options.limit is not None:
        over = [f for f in found if f[0] >= options.limit]
        if over:
            print(f'function-lengths: {len(over)} functions of {options.limit} lines or more', file=sys.stderr)
            sys.exit(1)


if __name__ == '__main__':
    main()
