#!/usr/bin/env python3
"""Fails when a source or test file includes a folder above its own.

Usage: check_layers.py SRC_ROOT "LAYERS" [TESTS_ROOT]
LAYERS lists the folders bottom to top, separated by ';'; folders that share
a layer are separated by spaces there and may not include each other. Only
platform/ and app/ may include <windows.h>; platform/ only in its win32/
part.

With TESTS_ROOT the tests are checked by the same order. An include names a
folder by its first part ("wordlist/records.h", "wordlist/list_helpers.h"):
the source folder and the test folder of that name are one layer, so a test
helper is used under the rules of its folder.
  - tests/X (X a source folder) may include X, the folders below X and
    support/, and its own headers without a folder ("list_helpers.h");
    nothing from a folder above X, beside X, or from a top-level test folder.
  - tests/support is shared by the tests of every layer: it may include only
    platform/, base/ and text/ (and support/ itself).
  - The top-level test folders (TOP_LEVEL: hostile/, which drives several
    layers at once, and e2e/, which drives the built programs) may include
    anything.
  - Any other folder of tests/ that holds C++ files is reported, so that a
    new one gets its place here first.
Test files may include <windows.h>: the Windows-only ones are left out of
the native build by name (native/CMakeLists.txt).
"""
import os
import re
import sys

WIN32_HEADERS = {'windows.h', 'shlobj.h', 'objbase.h', 'shellapi.h', 'commctrl.h', 'shlwapi.h',
                 'winbase.h', 'winuser.h', 'wingdi.h', 'winnls.h', 'psapi.h', 'bcrypt.h'}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = ('.h', '.cpp', '.inc')

# Test folders above every layer.
TOP_LEVEL = {'hostile', 'e2e'}
# The shared test support and the highest source folder it may include.
SUPPORT = 'support'
SUPPORT_CEILING = 'text'


def includes(path):
    """(line number, '<' or '"', target) of every #include of a file."""
    with open(path, encoding='utf-8', errors='replace') as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if match:
                yield number, match.group(1), match.group(2)


def files_of(top):
    for directory, _, files in os.walk(top):
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield os.path.join(directory, name)


def check_sources(root, rank, problems):
    for folder in sorted(rank):
        for path in files_of(os.path.join(root, folder)):
            relative = os.path.relpath(path, root)
            for number, kind, target in includes(path):
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


def check_tests(tests_root, rank, problems):
    top = max(rank.values()) + 1
    for folder in sorted(os.listdir(tests_root)):
        if not os.path.isdir(os.path.join(tests_root, folder)) or folder in TOP_LEVEL:
            continue
        paths = list(files_of(os.path.join(tests_root, folder)))
        if folder != SUPPORT and folder not in rank:
            if paths:
                problems.append(f'tests/{folder}/: neither a source folder\'s tests nor a '
                                'top-level test folder (cmake/check_layers.py)')
            continue
        for path in paths:
            relative = 'tests/' + os.path.relpath(path, tests_root)
            for number, kind, target in includes(path):
                if kind == '<' or '/' not in target:
                    continue
                used = target.split('/')[0]
                if used in (folder, SUPPORT) or (used not in rank and used not in TOP_LEVEL):
                    continue
                where = f'{relative}:{number}: tests/{folder}/ includes "{target}"'
                if used in TOP_LEVEL:
                    problems.append(f'{where} from a top-level test folder')
                elif folder == SUPPORT:
                    if rank[used] > rank[SUPPORT_CEILING]:
                        problems.append(f'{where}, above {SUPPORT_CEILING}/ '
                                        '(the support of every layer)')
                elif rank[used] > rank[folder]:
                    problems.append(f'{where} from a higher layer')
                elif rank[used] == rank[folder]:
                    problems.append(f'{where} from a folder beside it')


def main():
    root, layers_text = sys.argv[1], sys.argv[2]
    tests_root = sys.argv[3] if len(sys.argv) > 3 else None
    rank = {}
    for level, group in enumerate(layers_text.split(';')):
        for folder in group.split():
            rank[folder] = level
    problems = []
    check_sources(root, rank, problems)
    if tests_root:
        check_tests(tests_root, rank, problems)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f'check_layers: {len(problems)} include(s) against the layer order', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
