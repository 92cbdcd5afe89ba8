#!/usr/bin/env python3
"""Writes upcase_table.inc: the simple upper-case form of every UTF-16 unit,
the rule by which NTFS holds two names as one (its $UpCase table: one unit
for one unit, surrogates as they are).

The table is a sorted list of runs {first, last, step, delta}: every unit c
in first..last with (c - first) % step == 0 has the upper-case form
c + delta (mod 0x10000); every other unit is its own upper-case form.

Usage: make_upcase_table.py [UnicodeData.txt] > upcase_table.inc
The default input is Debian's unicode-data package
(/usr/share/unicode/UnicodeData.txt). The build uses the committed table;
run this again only to move to a newer Unicode.
"""
import bisect
import re
import sys


def upper_forms(path):
    """Unit -> its simple upper-case form, for the units that have one."""
    forms = {}
    first = None
    with open(path, encoding='utf-8') as data:
        for line in data:
            fields = line.rstrip('\n').split(';')
            code = int(fields[0], 16)
            if fields[1].endswith(', First>'):
                first = code
                continue
            if code > 0xFFFF or 0xD800 <= code <= 0xDFFF:
                continue
            # Ranges (<..., Last>) hold no cased letters.
            if fields[12] and int(fields[12], 16) <= 0xFFFF:
                forms[code] = int(fields[12], 16)
    return forms


def runs(forms):
    """The units with a form, as runs of equal delta and step 1 or 2."""
    out = []
    units = sorted(forms)
    i = 0
    while i < len(units):
        first = units[i]
        delta = (forms[first] - first) % 0x10000
        step = 1
        last = first
        if i + 1 < len(units) and (forms[units[i + 1]] - units[i + 1]) % 0x10000 == delta:
            step = units[i + 1] - first
            if step not in (1, 2):
                step = 1
        j = i + 1
        while j < len(units):
            nxt = units[j]
            if nxt != last + step or (forms[nxt] - nxt) % 0x10000 != delta:
                break
            # A run of step 2 never passes over a unit with a form of its own.
            if step == 2 and nxt - 1 in forms:
                break
            last = nxt
            j += 1
        out.append((first, last, step if last > first else 1, delta))
        i = j
    return out


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else '/usr/share/unicode/UnicodeData.txt'
    forms = upper_forms(path)
    table = runs(forms)
    # Every unit mapped by the table as by the data, and no other, looked up
    # as upperCaseName looks it up: the last run that starts at or before it.
    starts = [run[0] for run in table]
    for c in range(0x10000):
        got = c
        at = bisect.bisect_right(starts, c) - 1
        if at >= 0:
            first, last, step, delta = table[at]
            if c <= last and (c - first) % step == 0:
                got = (c + delta) % 0x10000
        assert got == forms.get(c, c), hex(c)
    version = ''
    try:
        with open(re.sub(r'UnicodeData\.txt$', 'ReadMe.txt', path), encoding='utf-8') as readme:
            for line in readme:
                if line.startswith('# Date:'):
                    version = ' of ' + line[len('# Date:'):].strip()
                    break
    except OSError:
        pass
    print('// Written by make_upcase_table.py from UnicodeData.txt%s; do not edit.' % version)
    print('// {first, last, step, delta}: see make_upcase_table.py. %d runs for %d units.'
          % (len(table), len(forms)))
    for first, last, step, delta in table:
        print('{0x%04X, 0x%04X, %d, 0x%04X},' % (first, last, step, delta))


if __name__ == '__main__':
    main()
