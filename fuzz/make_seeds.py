#!/usr/bin/env python3
"""Writes the seed corpus of the fuzzing harnesses (fuzz/corpus/<harness>/)
from the sample distribution (sample/dist) and a few hand-made files.
Run from anywhere: fuzz/make_seeds.py. The files are committed; rerun only
when the sample or the formats change."""
import os
import pathlib

root = pathlib.Path(__file__).resolve().parent.parent
dist = root / "sample" / "dist"
corpus = root / "fuzz" / "corpus"


def put(harness, name, data):
    folder = corpus / harness
    folder.mkdir(parents=True, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("cp1252")
    (folder / name).write_bytes(data)


# Strings files, plain (the harness scrambles them): key=value\0 ... \0.
def strings_file(source_lines, codepage="cp1252", extra=()):
    entries = []
    for line in list(source_lines) + list(extra):
        line = line.rstrip("\r\n")
        if not line or line.startswith("#") or "=" not in line:
            continue
        key, value = line.split("=", 1)
        entries.append(key.encode("ascii") + b"=" + value.encode(codepage) + b"\0")
    return b"".join(entries) + b"\0"


english = (dist / "strings" / "english.txt").read_text(encoding="utf-8").splitlines()
dutch = (dist / "strings" / "nederlands.txt").read_text(encoding="utf-8").splitlines()
put("strings", "english", strings_file(english))
put("strings", "nederlands", strings_file(dutch))
fonts = [l for l in english if not l.startswith("ForeignFonts=")]
put("strings", "fonts", strings_file(fonts, extra=["ForeignFonts=3", "Font600=Arial",
                                                    "Font601=MS Gothic", "Font602=Tahoma"]))
japanese = [l for l in english if not l.startswith("CharactersetCode=")]
put("strings", "japanese", strings_file(
    japanese, "cp932", extra=["CharactersetCode=128", "Install_Start=\u958b\u59cb"]))
put("strings", "missing-keys", b"CharactersetCode=0\0Install_Start=Go\0\0")

# Install scripts.
put("script", "sample.inf", (dist / "install.inf").read_bytes())
put("script", "copies.inf",
    "title Setup\r\ndir C:\\Dictionary\r\nsubdir Data\r\nmkdir docs\r\nmkdir docs\\deep\r\n"
    "copy readme.txt docs\\readme.txt\r\nxcopy *.txt docs\r\nxcopy *.STR\r\n"
    "sndcopy lists lists\r\nsndcopy nothere x\r\nsetini Volume=5\r\nsetini =x\r\n"
    "avidelay 250\r\nicongroup Dictionary\r\niconname Dictionary readme\r\n"
    "iconexe docs\\readme.txt\r\ndisplay closing.txt\r\nmkwlist\r\n")
put("script", "long-lines.inf",
    "title " + "T" * 120 + "\n" + "copy " + "a" * 60 + " " + "b" * 60 + "\n#" + "c" * 200 +
    "\nDEBUG\nwbarg /lang english\n")
put("script", "escapes.inf",
    "dir Z:\\etc\ncopy ..\\..\\..\\etc\\passwd ..\\..\\stolen\nmkdir ..\\..\\..\\outside\n"
    "xcopy ..\\* up\nsndcopy .. ..\\..\nicongroup ..\\..\\..\\group\niconname x\n")

# Language configuration files (lists a.wl, b.wl, c.wl are made by the harness).
put("config", "three.cf",
    "# languages\r\neng-deu.wl,deu,0,German\r\na.wl\r\neng-deu.wl\r\n\r\n"
    "eng-jpn.wl,jpn,128,Japanese\r\nb.wl\r\neng-jpn.wl\r\n\r\n"
    "eng-fra.wl,fra,0,French\r\nc.wl\r\neng-fra.wl\r\n")
sample_cf = (dist / "language.cf").read_text()
put("config", "sample.cf", sample_cf.replace("deu.wl\n", "a.wl\n").replace("pol.wl\n", "c.wl\n")
    .replace("ell.wl\n", "a.wl\n").replace("jpn.wl\n", "b.wl\n"))
put("config", "incomplete.cf", "eng-deu.wl,deu,0\na.wl\nout.wl\n")
put("config", "names-missing.cf", "eng-deu.wl,deu,0,German\na.wl\n")
put("config", "missing-list.cf", "x.wl,x,204,Russian\nnothere.wl\nout.wl\n")


# Word lists: 84-byte records, word (31 bytes) and translations (51 bytes).
def record(word, translations):
    w = word[:30].ljust(31, b"\0")
    t = translations[:50].ljust(51, b"\0")
    return w + t + b"\0\0"


for name, codepage in (("deu", "cp1252"), ("pol", "cp1250"), ("ell", "cp1253"), ("jpn", "cp932")):
    rows = (dist / "lists" / (name + ".tsv")).read_text(encoding="utf-8").splitlines()[:40]
    data = b""
    for row in rows:
        word, translations = row.split("\t", 1)
        data += record(word.encode(codepage, "replace"), translations.encode("cp1252", "replace"))
    put("wordlist", name + ".wl", data)
put("wordlist", "edge.wl",
    record(b"x" * 30, b"a" * 50) + record(b"", b"empty word") + record(b"w", b"") +
    record(b"\x82", b",,,,") + record(b"co-op", b" Co-op, coop,co-op ") + b"\x41" * 40)

# dict.ini files.
skeleton = ("Install_IniLine01\n\n[Addnew]\nInstall_IniLine03\n\n[Selected]\neng-deu.wl\n\n"
            "[Language]\n{}\n# --- EOF --------------------------------------------------------\n")
put("registry", "one.ini", skeleton.format("eng-deu.wl,deu,0,German\n"))
put("registry", "three.ini", skeleton.format(
    "eng-pol.wl,pol,238,Polish\n\neng-deu.wl,deu,0,German\n\neng-ell.wl,ell,161,Greek\n"))
put("registry", "crlf.ini", skeleton.format("eng-fra.wl,fra,0,French\n").replace("\n", "\r\n"))
put("registry", "two-sections.ini",
    "[Language]\nb,b,0,Beta\n[Other]\nx=1\n[Language]\na,a,0,Alpha\n" + "z" * 400 + "\n")
put("registry", "empty.ini", b"")
