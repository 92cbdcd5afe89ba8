#!/usr/bin/env python3
"""Makes the source lists of the word-list benchmark as UTF-8 TSV
(word<TAB>translations), ready for `distkit list pack`.

  make_lists.py freedict INDEX DICT_DZ OUT.tsv   German word -> English translations
  make_lists.py synthetic COUNT OUT.tsv          COUNT made-up records

Every row fits the record format in code page 1252: a word of at most 30
bytes, translations of at most 50 bytes (as many as fit, joined by ", ").
"""
import gzip
import random
import re
import sys

B64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"


def b64(text):
    value = 0
    for c in text:
        value = value * 64 + B64.index(c)
    return value


def cp1252_length(text):
    try:
        return len(text.encode("cp1252"))
    except UnicodeEncodeError:
        return None


def join_fitting(items, limit=50):
    out = []
    for item in items:
        n = cp1252_length(item)
        if n is None or n == 0 or n > 30 or "\t" in item:
            continue
        candidate = ", ".join(out + [item])
        if cp1252_length(candidate) > limit:
            break
        out.append(item)
    return ", ".join(out)


ANNOTATION = re.compile(r"\[[^\]]*\]|<[^>]*>|\{[^}]*\}|\([^)]*\)")


def freedict(index_path, dict_path, out_path):
    data = gzip.open(dict_path).read()
    seen = set()
    rows = 0
    with open(index_path, encoding="utf-8") as index, open(out_path, "w", encoding="utf-8",
                                                           newline="\n") as out:
        for line in index:
            parts = line.rstrip("\n").split("\t")
            if len(parts) != 3 or parts[0].startswith("00-database") or parts[0] == "":
                continue
            offset, length = b64(parts[1]), b64(parts[2])
            if offset in seen:
                continue
            seen.add(offset)
            entry = data[offset:offset + length].decode("utf-8", "replace").split("\n")
            if len(entry) < 2:
                continue
            word = entry[0].split(" /")[0].strip()
            word = ANNOTATION.sub("", word).strip()
            n = cp1252_length(word)
            if not word or n is None or n > 30 or "\t" in word:
                continue
            senses = ANNOTATION.sub("", entry[1])
            translations = join_fitting([t.strip() for t in senses.split(",")])
            if not translations:
                continue
            out.write(f"{word}\t{translations}\n")
            rows += 1
    print(f"{out_path}: {rows} rows", file=sys.stderr)


SYLLABLES = ["ka", "be", "ri", "so", "lu", "mar", "ten", "vol", "sch", "ei", "au", "\u00e4r",
             "\u00f6l", "\u00fcb", "st", "ng", "ich", "en", "er", "ung", "-", "o", "al", "pe"]
ENGLISH = ["ing", "ed", "er", "th", "ow", "ea", "st", "re", "ly", "on", "an", "co", "pr",
           "-", "'s", "ti", "ou", "br", "sh", "ck"]


def made_up(parts, low, high, capitalise=0.3):
    word = "".join(random.choice(parts) for _ in range(random.randint(low, high)))
    if random.random() < capitalise:
        word = word[:1].upper() + word[1:]
    return word.strip("-")[:30] or "x"


def synthetic(count, out_path):
    random.seed(20240611)
    vocabulary = [made_up(ENGLISH, 2, 5) for _ in range(count // 3)]
    with open(out_path, "w", encoding="utf-8", newline="\n") as out:
        for _ in range(count):
            word = made_up(SYLLABLES, 2, 6)
            picks = [random.choice(vocabulary) for _ in range(random.randint(1, 3))]
            out.write(f"{word}\t{join_fitting(picks) or 'x'}\n")
    print(f"{out_path}: {count} rows", file=sys.stderr)


def main(argv):
    if len(argv) == 5 and argv[1] == "freedict":
        freedict(argv[2], argv[3], argv[4])
    elif len(argv) == 4 and argv[1] == "synthetic":
        synthetic(int(argv[2]), argv[3])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
