#!/usr/bin/env bash
# distkit on Linux writes the same bytes as distkit.exe under Wine: strings
# and list pack/unpack of the sample distribution's sources (FreeDict
# excerpts in code pages 1252, 1250, 1253 and 932), reverse by a sort table
# and by the "C" order (binary and --tsv), check's findings, and build of the
# sample (file by file; a rebuild over a folder link, which must keep the
# link's target whole; a refused build into the sources' folder), and every
# command through folder links of the user's own in SOURCE and OUT. The test
# suite passes the sanitizer build's distkit as NATIVE_DISTKIT; without it
# the release build of scripts/build-native-distkit.sh is built and used.
#   tests/distkit/native_bytes.sh DISTKIT_EXE [NATIVE_DISTKIT]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
if [ -n "${2:-}" ]; then
  native=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
else
  native=$("$root/scripts/build-native-distkit.sh") || { echo "native distkit: build failed"; exit 1; }
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
dist=$root/sample/dist
failures=0

wine_kit() { "$root/scripts/wine-run.sh" "$exe" "$@"; }
# same NAME NATIVE_FILE WINDOWS_FILE
same() {
  if cmp -s "$2" "$3" && [ -s "$2" ]; then
    echo "same     $1"
  else
    echo "DIFFERENT or empty: $1 ($(wc -c <"$2") / $(wc -c <"$3") bytes)"
    failures=$((failures + 1))
  fi
}
# both NAME OUT ARGS... (OUT relative; {} in ARGS stands for it): runs the
# command both ways, each writing its own OUT, and compares.
both() {
  local name=$1 out=$2; shift 2
  local n=() w=()
  for a in "$@"; do n+=("${a//\{\}/n-$out}"); w+=("${a//\{\}/w-$out}"); done
  "$native" "${n[@]}" >"n-$out.stdout" 2>"n-$out.stderr" || echo "native $name: exit $?"
  wine_kit "${w[@]}" >"w-$out.stdout" 2>"w-$out.stderr" || echo "wine $name: exit $?"
  [ -e "n-$out" ] || { mv "n-$out.stdout" "n-$out"; mv "w-$out.stdout" "w-$out"; }
  same "$name" "n-$out" "w-$out"
}

for language in english nederlands; do
  both "strings pack $language" $language.str strings pack "$dist/strings/$language.txt" {}
  both "strings unpack $language" $language.txt strings unpack n-$language.str
done
for entry in deu:1252 pol:1250 ell:1253 jpn:932; do
  name=${entry%:*} cp=${entry#*:}
  both "list pack $name" $name.wl list pack "$dist/lists/$name.tsv" {} --word-cp $cp --trans-cp 1252
  both "list unpack $name" $name.tsv list unpack n-$name.wl --word-cp $cp --trans-cp 1252
done

# A sort table: case ignored, umlauts after their letters, the hyphen left
# out, other bytes in byte order.
python3 - <<'PY'
w = bytearray(256)
for b in range(1, 256):
    w[b] = 2 + b * 60 // 256
for i, c in enumerate('abcdefghijklmnopqrstuvwxyz'):
    w[ord(c)] = w[ord(c.upper())] = 100 + 4 * i
for base, umlauts in (('a', 'äÄ'), ('o', 'öÖ'), ('u', 'üÜ')):
    for u in umlauts:
        w[u.encode('cp1252')[0]] = 100 + 4 * (ord(base) - ord('a')) + 1
w[ord('-')] = 1
open('order.stb', 'wb').write(bytes(w))
PY
for entry in deu:1252 jpn:932; do
  name=${entry%:*} cp=${entry#*:}
  common=(n-$name.wl {} --list-cp $cp --home-cp 1252)
  both "reverse $name, table" eng-$name.table.wl reverse "${common[@]}" --table order.stb
  both "reverse $name, C" eng-$name.c.wl reverse "${common[@]}" --locale C
  both "reverse $name, table, --tsv" eng-$name.table.tsv reverse "${common[@]}" --table order.stb --tsv
  # --tsv is the text form of the binary result.
  "$native" list unpack n-eng-$name.table.wl --word-cp 1252 --trans-cp $cp >unpacked.tsv
  same "reverse $name --tsv = list unpack of the list" n-eng-$name.table.tsv unpacked.tsv
done
if cmp -s n-eng-deu.table.wl n-eng-deu.c.wl; then
  echo "the table did not change the order"; failures=$((failures + 1))
fi

# check: the same findings, in the same words, on a folder with a flaw (a
# list that is not a whole number of records).
mkdir -p setup/lists
cp "$dist/install.inf" "$dist/language.in_" "$dist/language.cf" "$dist/closing.txt" \
  "$dist/readme.txt" "$dist/lists/COPYING.FreeDict" setup/
cp n-english.str setup/english.str
cp n-nederlands.str setup/nederlands.str
for name in deu pol ell jpn; do cp n-$name.wl setup/lists/$name.wl; done
printf 'x' >>setup/lists/pol.wl
(cd setup && "$native" check . >../n-check.txt 2>../n-check.err); native_rc=$?
(cd setup && wine_kit check . >../w-check.txt 2>../w-check.err); wine_rc=$?
# Reports are written in text mode there.
tr -d '\r' <w-check.txt >w-check.norm
tr -d '\r' <w-check.err >w-check.err.norm
if [ $native_rc -eq 1 ] && [ $wine_rc -eq 1 ] && grep -q pol.wl n-check.txt; then
  same "check (exit 1, pol.wl named)" n-check.txt w-check.norm
  same "check's summary" n-check.err w-check.err.norm
else
  echo "check: exit $native_rc natively, $wine_rc under Wine"; cat n-check.txt w-check.txt
  failures=$((failures + 1))
fi

# Natively a named Windows locale is refused, with nothing left at OUT.
"$native" reverse n-deu.wl refused.wl --list-cp 1252 --home-cp 1252 --locale english 2>refused.txt
rc=$?
if [ $rc -eq 2 ] && [ ! -e refused.wl ] && grep -q "cannot be reproduced" refused.txt &&
  [ -z "$(ls | grep '~distkit')" ]; then
  echo "same     refusal of --locale english natively (exit 2, nothing written)"
else
  echo "native --locale english: exit $rc"; ls; failures=$((failures + 1))
fi

# build: the sample with both tools, compared file by file.
# same_tree NAME NATIVE_DIR WINDOWS_DIR
same_tree() {
  local files
  files=$( { (cd "$2" && find . -type f); (cd "$3" && find . -type f); } | sort | uniq -u)
  if [ -n "$files" ]; then
    echo "DIFFERENT file lists: $1: $files"; failures=$((failures + 1)); return
  fi
  local count=0 f
  while IFS= read -r f; do
    cmp -s "$2/$f" "$3/$f" || { echo "DIFFERENT: $1: $f"; failures=$((failures + 1)); return; }
    count=$((count + 1))
  done < <(cd "$2" && find . -type f | sort)
  echo "same     $1 ($count files)"
}
"$native" build "$root/sample/distribution.ini" n-sample >n-build.txt 2>&1 || { echo "native build: exit $?"; cat n-build.txt; }
wine_kit build "$root/sample/distribution.ini" w-sample >w-build.txt 2>&1 || { echo "wine build: exit $?"; cat w-build.txt; }
same_tree "build of the sample" n-sample w-sample

# A link to a folder inside a built folder: a rebuild removes the link as a
# link and the folder it points to keeps every file. Natively with a
# symbolic link; under Wine with the same Unix link, which distkit.exe sees
# as a reparse point (Wine cannot make one itself, nor remove one: the old
# copy with the link stays beside, reported).
mkdir -p target && echo keep >target/keep.txt && mkdir target/sub && echo deep >target/sub/deep.txt
snapshot() { (cd target && find . | sort && cat keep.txt sub/deep.txt); }
before=$(snapshot)
for side in n w; do
  ln -s "$work/target" $side-sample/link
  if [ $side = n ]; then "$native" build "$root/sample/distribution.ini" n-sample >n-relink.txt 2>&1
  else wine_kit build "$root/sample/distribution.ini" w-sample >w-relink.txt 2>&1; fi
  rc=$?
  if [ $rc -eq 0 ] && [ "$(snapshot)" = "$before" ] && [ ! -e $side-sample/link ]; then
    echo "same     rebuild over a folder link ($side): target whole, link gone from the new folder"
  else
    echo "rebuild over a folder link ($side): exit $rc"; cat $side-relink.txt; ls -la $side-sample target
    failures=$((failures + 1))
  fi
done
# The old copies are moved into side folders of build's own, ~distkit-*.old.
[ -z "$(ls -d ./~distkit-*/n-sample 2>/dev/null)" ] || { echo "native: old copy left beside"; failures=$((failures + 1)); }
kept=$(ls -d ./~distkit-*/w-sample 2>/dev/null | head -1)
if [ -n "$kept" ] && [ -L "$kept/link" ]; then
  echo "         (Wine: the old copy stays at $kept, its link could not be removed: $(grep -c 'remove it yourself' w-relink.txt) note)"
  rm -rf "$(dirname "$kept")"
fi
same_tree "rebuild of the sample" n-sample w-sample

# A refused build changes nothing: into the sample's own folder (a copy).
cp -r "$root/sample" sample-copy
for side in n w; do
  if [ $side = n ]; then "$native" build sample-copy/distribution.ini sample-copy/dist >$side-refused.txt 2>&1
  else wine_kit build sample-copy/distribution.ini sample-copy/dist >$side-refused.txt 2>&1; fi
  rc=$?
  if [ $rc -eq 2 ] && diff -r "$root/sample" sample-copy >/dev/null && grep -q 'a source of this build' $side-refused.txt; then
    echo "same     refusal to build into the sources' folder ($side: exit 2, nothing changed)"
  else
    echo "build into the sources' folder ($side): exit $rc"; cat $side-refused.txt; failures=$((failures + 1))
  fi
done

# Paths the user types are the user's own: every command reads SOURCE
# through a link to a folder and writes OUT through another, both ways; each
# result lands in the link's target, the same bytes natively and under Wine.
# A row: NAME|ARGS (S: the source link, O: the out link)|RESULT (in OUT's
# target; "-" for check, whose report is its result).
mkdir -p src-real && cp -r "$root/sample" src-real/sample && cp -r n-sample src-real/setup
cp "$dist/strings/english.txt" "$dist/lists/deu.tsv" src-real/ && cp n-deu.wl src-real/deu.wl
ln -s src-real src
while IFS='|' read -r name args result; do
  for side in n w; do
    mkdir -p out-real-$side && ln -sfn out-real-$side out-$side
    read -ra a <<<"${args//O\//out-$side/}"
    a=("${a[@]//S\//src/}")
    if [ $side = n ]; then "$native" "${a[@]}" >$side-linked.txt 2>$side-linked.err </dev/null
    else wine_kit "${a[@]}" >$side-linked.txt 2>$side-linked.err; fi
    rc=$?
    if [ $rc -ne 0 ] || [ ! -L out-$side ] || [ ! -L src ] ||
      { [ "$result" != - ] && [ ! -s out-real-$side/$result ]; }; then
      echo "through links: $name ($side): exit $rc"; cat $side-linked.*; failures=$((failures + 1))
    fi
  done
  if [ "$result" = - ]; then
    tr -d '\r' <w-linked.err >w-linked.norm
    same "$name through links" n-linked.err w-linked.norm
  else
    same_tree "$name through links" out-real-n out-real-w
  fi
done <<'ROWS'
strings pack|strings pack S/english.txt O/english.str|english.str
list pack|list pack S/deu.tsv O/deu.wl --word-cp 1252 --trans-cp 1252|deu.wl
reverse|reverse S/deu.wl O/eng-deu.wl --list-cp 1252 --home-cp 1252 --locale C|eng-deu.wl
build|build S/sample/distribution.ini O/built|built/install.inf
check|check S/setup|-
ROWS

# An OUT that is a link to a file of the user's: the file it names is
# replaced and the link stays (natively: Wine shows a Unix link to a file as
# the file itself).
mkdir -p file-real
while IFS='|' read -r name args; do
  : >file-real/$name && ln -sfn file-real/$name out-$name
  read -ra a <<<"${args//O/out-$name}"
  "$native" "${a[@]}" >file-linked.txt 2>&1 </dev/null
  rc=$?
  if [ $rc -ne 0 ] || [ ! -L out-$name ] || [ ! -s file-real/$name ]; then
    echo "OUT a link to a file: $name: exit $rc"; cat file-linked.txt; ls -la out-$name file-real
    failures=$((failures + 1))
  fi
done <<'ROWS'
strings|strings pack src/english.txt O
list|list pack src/deu.tsv O --word-cp 1252 --trans-cp 1252
reverse|reverse src/deu.wl O --list-cp 1252 --home-cp 1252 --locale C
ROWS

[ $failures -eq 0 ] && echo "native and Windows distkit agree" || echo "$failures difference(s)"
exit $((failures > 0))
