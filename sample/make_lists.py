#!/usr/bin/env python3
"""Makes the sample word lists (UTF-8 TSV: foreign word, TAB, English
translations separated by ", ") from Debian's FreeDict dictionaries in
/usr/share/dictd. The output is committed; run this again only to change the
excerpts. The dictionaries are GPL-licensed (see dist/lists/COPYING.FreeDict).

Usage: make_lists.py OUTDIR
"""
import gzip
import re
import sys

B64 = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/'

# Everyday English words: entries translated by one of them are taken, so
# that the reversed lists merge several foreign words under one headword.
BASIC = set('''
house home water fire earth air sun moon star sky sea river mountain tree
flower bird fish dog cat horse cow child woman man mother father brother
sister friend bread milk wine beer apple book letter word name day night
morning evening week month year time hour door window table chair bed room
city town village street road way car train ship boat money work school
teacher doctor king queen head hand foot eye ear mouth heart blood bone
red blue green white black yellow big small old new young good bad long
short high low hot cold warm fast slow happy sad beautiful strong weak rich
poor easy hard open close go come see eat drink sleep speak read write buy
sell give take love hate help play sing dance run walk swim fly rain snow
wind cloud ice stone gold silver iron wood glass paper salt sugar meat egg
cheese soup song game war peace law truth light dark color music picture
language country world life death dream story question answer
'''.split())

LANGUAGES = {
    # name: (dictionary, code page of the words, how many entries)
    'deu': ('freedict-deu-eng', 'cp1252', 320),
    'pol': ('freedict-pol-eng', 'cp1250', 300),
    'ell': ('freedict-ell-eng', 'cp1253', 300),
    'jpn': ('freedict-jpn-eng', 'cp932', 300),
}


def b64(text):
    value = 0
    for c in text:
        value = value * 64 + B64.index(c)
    return value


def fits(text, codepage, limit):
    try:
        return len(text.encode(codepage)) <= limit
    except UnicodeEncodeError:
        return False


def entries(dictionary):
    data = gzip.open(f'/usr/share/dictd/{dictionary}.dict.dz').read()
    seen = set()
    with open(f'/usr/share/dictd/{dictionary}.index', encoding='utf-8') as index:
        for line in index:
            parts = line.rstrip('\n').split('\t')
            if len(parts) != 3 or parts[0].startswith('00-'):
                continue
            offset, size = b64(parts[1]), b64(parts[2])
            if (offset, size) in seen:
                continue
            seen.add((offset, size))
            yield data[offset:offset + size].decode('utf-8', 'replace')


def parse(article, japanese):
    lines = article.split('\n')
    head = lines[0]
    head = re.split(r' /| <', head)[0]
    if japanese:
        head = head.split(', ')[0]
    head = head.strip()
    translations = []
    for line in lines[1:]:
        if not line or line[0] in ' \t(' or line.startswith('see:'):
            continue
        line = re.sub(r'\[[^\]]*\]\s*', '', line)
        line = re.sub(r'<[^>]*>', '', line)
        while re.search(r'\([^()]*\)', line):
            line = re.sub(r'\s*\([^()]*\)', '', line)
        for t in re.split(r'[,;]', line):
            t = re.sub(r'^\d+\.\s*', '', t.strip()).strip()
            if t and t not in translations and t[0].isalpha():
                translations.append(t)
    return head, translations


def main():
    out = sys.argv[1]
    for name, (dictionary, codepage, wanted) in LANGUAGES.items():
        rows = []
        for article in entries(dictionary):
            head, translations = parse(article, name == 'jpn')
            if not head or not head[0].isalpha() or ' ' in head or '\t' in head or not fits(head, codepage, 30):
                continue
            chosen = []
            for t in translations:
                candidate = ', '.join(chosen + [t])
                if fits(candidate, 'cp1252', 50):
                    chosen.append(t)
            if not chosen or not any(t.lower() in BASIC for t in chosen):
                continue
            rows.append((head, ', '.join(chosen)))
        step = max(1, len(rows) // wanted)
        rows = rows[::step][:wanted]
        with open(f'{out}/{name}.tsv', 'w', encoding='utf-8') as f:
            for head, translations in rows:
                f.write(f'{head}\t{translations}\n')
        print(name, len(rows))


if __name__ == '__main__':
    main()
