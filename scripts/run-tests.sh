#!/usr/bin/env bash
# The project's test command. Installs missing packages (bootstrap.sh),
# builds everything with the mingw preset and runs every test under Wine
# (unit tests, hostile inputs, and the end-to-end tests that drive setup.exe
# on a virtual screen); then builds the portable core natively with clang,
# ASan and UBSan and runs its unit tests and the kept fuzzing inputs there;
# then runs each fuzzing harness for FUZZ_SECONDS (default 30; 0 skips).
# Screenshots of the end-to-end tests are copied to ./artifacts/.
# Usage: scripts/run-tests.sh [CTEST ARGS...]   e.g. -R e2e  or  -R text_tests
#   With CTEST ARGS only the Wine tests run (a quick selection).
# When DISPLAY is unset, a private Xvfb (1024x768x24) serves the whole run and
# is stopped at the end; the 16-bit test starts a display of its own.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
began=$(date +%s)
selection=$#

scripts/bootstrap.sh || { echo "run-tests: installing packages failed" >&2; exit 1; }

cmake --preset mingw >/dev/null || { echo "run-tests: configure failed" >&2; exit 1; }
cmake --build --preset mingw || { echo "run-tests: build failed" >&2; exit 1; }

# Screenshots of this run only.
rm -rf build/mingw/artifacts
if [ -z "${DISPLAY:-}" ]; then
  scripts/with-display.sh ctest --preset mingw "$@"
else
  ctest --preset mingw "$@"
fi
rc=$?

mkdir -p artifacts
if compgen -G "build/mingw/artifacts/*.png" >/dev/null; then
  cp -f build/mingw/artifacts/*.png artifacts/
  echo "run-tests: screenshots in artifacts/: $(cd artifacts && ls *.png | tr '\n' ' ')"
fi
if [ "$selection" -eq 0 ]; then
  scripts/run-native-tests.sh || rc=1
  if [ "${FUZZ_SECONDS:-30}" != 0 ]; then
    scripts/run-fuzzers.sh "${FUZZ_SECONDS:-30}" || rc=1
  fi
fi

echo "run-tests: $([ $rc -eq 0 ] && echo passed || echo FAILED) in $(($(date +%s) - began)) s"
exit $rc
