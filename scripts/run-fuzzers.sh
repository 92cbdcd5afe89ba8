#!/usr/bin/env bash
# Builds the libFuzzer harnesses (native clang build, ASan + UBSan) and runs
# each for SECONDS (default 30), FUZZ_JOBS (default 2, one per core) at a time.
# Usage: scripts/run-fuzzers.sh [SECONDS] [HARNESS...]
#   HARNESS: strings script config wordlist registry (default: all)
# New inputs go to build/native-fuzz/corpus/<harness> (the committed seeds in
# fuzz/corpus/<harness> are only read). A crash leaves its input in
# build/native-fuzz/crashes/<harness>/ and makes the script fail: fix the
# product, then copy the input to fuzz/regression/<harness>/ so that
# scripts/run-native-tests.sh replays it from then on.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(strings script config wordlist registry closing_text)

(cd "$root/native" && cmake --preset native-fuzz) >/dev/null || { echo "run-fuzzers: configure failed" >&2; exit 1; }
cmake --build "$root/build/native-fuzz" -j2 >/dev/null || {
  echo "run-fuzzers: build failed" >&2; cmake --build "$root/build/native-fuzz" -j1 2>&1 | tail -30; exit 1; }

# Scratch files in memory when the system offers it: the product commits
# every file it writes to disk, which on a disk makes the runs wait.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
out="$root/build/native-fuzz"
jobs=${FUZZ_JOBS:-2}
# fuzz_one HARNESS: runs it, then reports; exit status 1 on a crash.
fuzz_one() {
  local h=$1 exe="$out/${1}_fuzz" dict=()
  [ -x "$exe" ] || { echo "run-fuzzers: no harness $h" >&2; return 1; }
  mkdir -p "$out/corpus/$h" "$out/crashes/$h"
  [ -f "$root/fuzz/dict/$h.dict" ] && dict=(-dict="$root/fuzz/dict/$h.dict")
  if ! "$exe" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=16384 \
      -print_final_stats=1 -artifact_prefix="$out/crashes/$h/" "${dict[@]}" \
      "$out/corpus/$h" "$root/fuzz/corpus/$h" >"$out/$h.log" 2>&1; then
    { echo "run-fuzzers: $h FAILED, see $out/$h.log and $out/crashes/$h/"
      grep -m5 -E "ERROR|runtime error|SUMMARY" "$out/$h.log"; } >&2
    return 1
  fi
  echo "run-fuzzers: $h for ${seconds} s: $(grep -E "stat::number_of_executed_units" "$out/$h.log" | tail -1)"
}
# A harness starts as soon as any running one has ended.
failed=0
running=0
for h in "${harnesses[@]}"; do
  if [ $running -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  fuzz_one "$h" &
  running=$((running + 1))
done
while [ $running -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit $failed
