#!/usr/bin/env bash
# Word-list benchmark: builds the reversed list of a real dictionary and of a
# synthetic million-record list, with the key sort and with the
# per-comparison qsort, checks that both give the same file, and times GNU
# sort -f on the same reversed pairs for reference; on the FreeDict list it
# also times distkit reverse (distkit.exe under Wine and the native build)
# against the installer's own build of the same list. See bench/README.md.
#
#   bench/run.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/mingw}" && pwd)
work=${2:-/tmp/wordlist-bench}
mkdir -p "$work"
cd "$work"

cmake --build "$build" --target wordlist_bench distkit >/dev/null
native_distkit=$("$root/scripts/build-native-distkit.sh" 2>/dev/null)
wine_run() { "$root/scripts/wine-run.sh" "$@"; }
seconds() { python3 -c 'import time; print(f"{time.monotonic():.3f}")'; }
# Arithmetic on those decimal seconds with awk (a fresh system has no bc).
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f\n", a - b }'; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
# duel A B: the wall-clock seconds of the commands A and B (shell
# functions), process start included, each the fastest of five runs taken
# in turns, so that a change of the machine's load hits both alike (one run
# under Wine varies by a few tenths). Prints "A B".
once() {
  local start end
  start=$(seconds)
  "$@" >/dev/null
  end=$(seconds)
  minus "$end" "$start"
}
duel() {
  local a= b= t
  for _ in 1 2 3 4 5; do
    t=$(once "$1")
    if [ -z "$a" ] || below "$t" "$a"; then a=$t; fi
    t=$(once "$2")
    if [ -z "$b" ] || below "$t" "$b"; then b=$t; fi
  done
  echo "$a $b"
}
# reverse_vs_build LABEL INSTALLER_LIST TIME_INSTALLER DISTKIT_LIST TIME_DISTKIT
reverse_vs_build() {
  local verdict=identical
  cmp -s "$2" "$4" || verdict=DIFFER
  printf '%-28s %7.3f s, installer %7.3f s, output %s%s\n' "$1" "$5" "$3" "$verdict" \
    "$(below "$3" "$5" && echo ", SLOWER than the installer")"
}

freedict=/usr/share/dictd/freedict-deu-eng
[ -s deu-eng.tsv ] || python3 "$root/bench/make_lists.py" freedict "$freedict.index" \
  "$freedict.dict.dz" deu-eng.tsv
[ -s synthetic.tsv ] || python3 "$root/bench/make_lists.py" synthetic 1000000 synthetic.tsv

# A UTF-8 locale with real collation for sort -f (C.UTF-8 orders by code point).
if [ ! -d locale/en_US.UTF-8 ]; then
  mkdir -p locale
  localedef -i en_US -f UTF-8 locale/en_US.UTF-8 2>/dev/null || rm -rf locale/en_US.UTF-8
fi

# A byte-weight sort table for the sort-table runs: letters ignore case, each
# umlaut sorts right after its base letter, the hyphen is left out.
mkdir -p tables
python3 - <<'PY'
weights = bytearray(256)
for b in range(1, 256):
    weights[b] = 2 + b * 60 // 256           # symbols, digits: 2..61 in byte order
for i, c in enumerate('abcdefghijklmnopqrstuvwxyz'):
    weights[ord(c)] = weights[ord(c.upper())] = 100 + 4 * i
for base, umlauts in (('a', 'äÄ'), ('o', 'öÖ'), ('u', 'üÜ')):
    for u in umlauts:
        weights[u.encode('cp1252')[0]] = 100 + 4 * (ord(base) - ord('a')) + 1
weights[0xDF] = weights[ord('s')] + 1         # sharp s after s
weights[ord('-')] = 1
open('tables/table.stb', 'wb').write(bytes(weights))
PY

for list in deu-eng synthetic; do
  echo "=== $list"
  wine_run "$build/distkit.exe" list pack "$list.tsv" "$list.lst" --word-cp 1252 --trans-cp 1252
  common=(--list-cp 1252 --home-cp 1252 --locale english)
  wine_run "$build/bench/wordlist_bench.exe" "$list.lst" "$list.keys.lst" "${common[@]}" \
    --method keys --pairs "$list.pairs.lst" | tee "$list.keys.txt"
  echo "--- per-comparison baseline"
  wine_run "$build/bench/wordlist_bench.exe" "$list.lst" "$list.cmp.lst" "${common[@]}" \
    --method compare | tee "$list.cmp.txt"
  if cmp -s "$list.keys.lst" "$list.cmp.lst"; then
    echo "outputs           identical"
  else
    echo "outputs           DIFFER"
  fi
  if [ "$list" = deu-eng ]; then
    echo "--- sort table (tables/table.stb)"
    table=(--list-cp 1252 --home-cp 1252 --locale table)
    wine_run "$build/bench/wordlist_bench.exe" "$list.lst" "$list.tkeys.lst" "${table[@]}" \
      --method keys | tee "$list.tkeys.txt"
    echo "--- sort table, per-comparison baseline"
    wine_run "$build/bench/wordlist_bench.exe" "$list.lst" "$list.tcmp.lst" "${table[@]}" \
      --method compare | tee "$list.tcmp.txt"
    if cmp -s "$list.tkeys.lst" "$list.tcmp.lst"; then
      echo "outputs (table)   identical"
    else
      echo "outputs (table)   DIFFER"
    fi
    echo "--- distkit reverse against the installer's build (wall clock, best of 5 in turns, process start included)"
    installer_english() { wine_run "$build/bench/wordlist_bench.exe" deu-eng.lst deu-eng.keys.lst "${common[@]}"; }
    installer_table() { wine_run "$build/bench/wordlist_bench.exe" deu-eng.lst deu-eng.tkeys.lst "${table[@]}"; }
    distkit_english() { wine_run "$build/distkit.exe" reverse deu-eng.lst deu-eng.dk.lst \
      --list-cp 1252 --home-cp 1252 --locale english; }
    distkit_table() { wine_run "$build/distkit.exe" reverse deu-eng.lst deu-eng.dkt.lst \
      --list-cp 1252 --home-cp 1252 --table tables/table.stb; }
    native_table() { "$native_distkit" reverse deu-eng.lst deu-eng.dkn.lst \
      --list-cp 1252 --home-cp 1252 --table tables/table.stb; }
    read -r t d < <(duel installer_english distkit_english)
    reverse_vs_build "distkit.exe, locale english" deu-eng.keys.lst "$t" deu-eng.dk.lst "$d"
    read -r t d < <(duel installer_table distkit_table)
    reverse_vs_build "distkit.exe, sort table" deu-eng.tkeys.lst "$t" deu-eng.dkt.lst "$d"
    read -r t d < <(duel installer_table native_table)
    reverse_vs_build "native distkit, sort table" deu-eng.tkeys.lst "$t" deu-eng.dkn.lst "$d"
  fi
  wine_run "$build/distkit.exe" list unpack "$list.pairs.lst" --word-cp 1252 --trans-cp 1252 \
    >"$list.pairs.tsv"
  for loc in C.UTF-8 en_US.UTF-8; do
    [ "$loc" = en_US.UTF-8 ] && [ ! -d locale/en_US.UTF-8 ] && continue
    locpath=()
    [ "$loc" = en_US.UTF-8 ] && locpath=(LOCPATH="$work/locale")
    start=$(seconds)
    env "${locpath[@]}" LC_ALL=$loc sort -f "$list.pairs.tsv" >"$list.sorted.$loc.tsv"
    end=$(seconds)
    printf 'sort -f %-11s %8.3f s (%s lines)\n' "$loc" "$(minus "$end" "$start")" \
      "$(wc -l <"$list.pairs.tsv")"
  done
done
