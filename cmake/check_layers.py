#!/usr/bin/env python3
"""Fails when a source file includes a folder above its own.

Usage: check_layers.py SRC_ROOT "LAYERS"
LAYERS lists the folders bottom to top, separated by ';'; folders that share
a layer are separated by spaces there and may not include each other. Only
platform/ and app/ (and the test programs, which are not checked here) may
include <windows.h>; platform/ only in its win32/ part.
"""
import os
import re
import sys

WIN32_HEADERS = {'windows.h', 'shlobj.h', 'objbase.h', 'shellapi.h', 'commctrl.h', 'shlwapi.h',
                 'winbase.h', 'winuser.h', 'wingdi.h', 'winnls.h', 'psapi.h', 'bcrypt.h'}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def main():
    root, layers_text = sys.argv[1], sys.argv[2]
    rank = {}
    for level, group in enumerate(layers_text.split(';')):
        for folder in group.split():
            rank[folder] = level
    problems = []
    for folder in sorted(rank):
        top = os.path.join(root, folder)
        for directory, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith(('.h', '.cpp', '.inc')):
                    continue
                path = os.path.join(directory, name)
                relative = os.path.relpath(path, root)
                with open(path, encoding='utf-8', errors='replace') as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        kind, target = match.groups()
                        where = f'{relative}:{number}'
                        if kind == '<':
                            if target.lower() in WIN32_HEADERS and not (
                                    folder == 'app' or relative.startswith('platform/win32')):
                                problems.append(f'{where}: <{target}> outside app/ and platform/win32/')
                            continue
                        used = target.split('/')[0]
                        if used not in rank or used == folder:
                            continue
                        if rank[used] > rank[folder]:
                            problems.append(f'{where}: {folder}/ includes "{target}" from a higher layer')
                        elif rank[used] == rank[folder]:
                            problems.append(f'{where}: {folder}/ includes "{target}" from a folder beside it')
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f'check_layers: {len(problems)} include(s) against the layer order', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
