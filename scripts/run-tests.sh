#!/usr/bin/env bash
# The project's test command: builds everything with the mingw preset, then
# runs every test under Wine (unit tests and the end-to-end tests that drive
# setup.exe on a virtual screen). Screenshots of the end-to-end tests are
# copied to ./artifacts/.
# Usage: scripts/run-tests.sh [CTEST ARGS...]   e.g. -R e2e  or  -R text_tests
# When DISPLAY is unset, a private Xvfb (1024x768x24) serves the whole run and
# is stopped at the end; the 16-bit test starts a display of its own.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
began=$(date +%s)

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
echo "run-tests: $([ $rc -eq 0 ] && echo passed || echo FAILED) in $(($(date +%s) - began)) s"
exit $rc
