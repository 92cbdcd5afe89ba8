#!/usr/bin/env bash
# Native test run of the portable core on Linux: configures and builds
# build/native-asan with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# (native/CMakeLists.txt), then runs the unit tests of the portable folders
# and the replay of the kept fuzzing inputs. Any sanitizer report fails the
# run. Needs clang and libclang-rt-dev (the clang runtime with the sanitizers).
# Usage: scripts/run-native-tests.sh [CTEST ARGS...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
began=$(date +%s)

(cd "$root/native" && cmake --preset native-asan) >/dev/null || {
  echo "run-native-tests: configure failed" >&2; exit 1; }
cmake --build "$root/build/native-asan" -j2 || { echo "run-native-tests: build failed" >&2; exit 1; }

# Scratch files in memory when the system offers it: the product commits
# every file it writes to disk, which on a disk makes the runs wait.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$root/build/native-asan" -j2 --output-on-failure --timeout 600 "$@"
rc=$?
echo "run-native-tests: $([ $rc -eq 0 ] && echo passed || echo FAILED) in $(($(date +%s) - began)) s"
exit $rc
