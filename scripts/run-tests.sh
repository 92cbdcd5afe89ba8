#!/usr/bin/env bash
# The project's test command. Installs missing packages (bootstrap.sh),
# builds everything with the mingw preset and runs every test under Wine
# (unit tests, hostile inputs, and the end-to-end tests that drive setup.exe
# on a virtual screen), two at a time; meanwhile it builds the portable core
# natively with clang, ASan and UBSan, runs its unit tests, the kept fuzzing
# inputs and distkit's Linux comparison there, and builds the fuzzing
# harnesses; then runs each fuzzing harness for FUZZ_SECONDS (default 30;
# 0 skips), two at a time.
# Screenshots of the end-to-end tests are copied to ./artifacts/.
# Usage: scripts/run-tests.sh [--quick] [CTEST ARGS...]   e.g. -R e2e  or  -R text_tests
#   --quick: the unit and hostile tests of every layer, Wine and native, without
#   the end-to-end tests, distkit's Linux comparison, the kept fuzzing inputs
#   and fuzzing (for the edit-build-test loop; the full run before a commit).
#   With CTEST ARGS only the Wine tests run (a quick selection).
# When DISPLAY is unset, a private Xvfb (1024x768x24) serves the whole run and
# is stopped at the end; the 16-bit test starts a display of its own.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
began=$(date +%s)
quick=0
if [ "${1:-}" = --quick ]; then quick=1; shift; fi
selection=$#

scripts/bootstrap.sh || { echo "run-tests: installing packages failed" >&2; exit 1; }

cmake --preset mingw >/dev/null || { echo "run-tests: configure failed" >&2; exit 1; }
cmake --build --preset mingw || { echo "run-tests: build failed" >&2; exit 1; }

# The native side runs beside the Wine tests, which mostly wait on Wine and
# the screen: the sanitizer build (at a lower priority, so that the Wine
# tests keep their pace), then its tests beside the fuzzing build. The two
# compilers never run at the same time: two builds at once took a third
# more processor time here than one after the other.
native_pid=
native_args=()
[ $quick = 1 ] && native_args=(-E fuzz_replay -LE integration)
mkdir -p build
rm -f build/native-tests.log build/native-tests.rc
if [ "$selection" -eq 0 ]; then
  {
    (cd native && cmake --preset native-asan) && nice -n 10 cmake --build build/native-asan -j2 && {
      if [ $quick = 0 ] && [ "${FUZZ_SECONDS:-30}" != 0 ]; then
        { (cd native && cmake --preset native-fuzz) && nice -n 10 cmake --build build/native-fuzz -j2; } &
      fi
      scripts/run-native-tests.sh "${native_args[@]}" >build/native-tests.log 2>&1
      echo $? >build/native-tests.rc
      wait
    }
  } >build/native-builds.log 2>&1 &
  native_pid=$!
fi

ctest_args=(--preset mingw -j2)
[ $quick = 1 ] && ctest_args+=(-LE 'e2e|integration')
# Screenshots of this run only.
rm -rf build/mingw/artifacts
if [ -z "${DISPLAY:-}" ]; then
  scripts/with-display.sh ctest "${ctest_args[@]}" "$@"
else
  ctest "${ctest_args[@]}" "$@"
fi
rc=$?

mkdir -p artifacts
if compgen -G "build/mingw/artifacts/*.png" >/dev/null; then
  cp -f build/mingw/artifacts/*.png artifacts/
  echo "run-tests: screenshots in artifacts/: $(cd artifacts && ls *.png | tr '\n' ' ')"
fi
if [ "$selection" -eq 0 ]; then
  if ! wait "$native_pid"; then
    echo "run-tests: a native build failed; its log:" >&2
    tail -40 build/native-builds.log >&2
  fi
  if [ -f build/native-tests.rc ]; then
    cat build/native-tests.log
    [ "$(cat build/native-tests.rc)" = 0 ] || rc=1
  else
    # The sanitizer build failed: once more here, where its errors show.
    scripts/run-native-tests.sh "${native_args[@]}" || rc=1
  fi
  if [ $quick = 0 ] && [ "${FUZZ_SECONDS:-30}" != 0 ]; then
    scripts/run-fuzzers.sh "${FUZZ_SECONDS:-30}" || rc=1
  fi
fi

echo "run-tests: $([ $rc -eq 0 ] && echo passed || echo FAILED) in $(($(date +%s) - began)) s"
exit $rc
