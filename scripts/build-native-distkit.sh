#!/usr/bin/env bash
# Builds distkit for Linux: build/native-tools/distkit, a release build
# (-O2, no sanitizers) of src/distkit over the POSIX platform layer
# (native/tools/CMakeLists.txt). It writes the same bytes as distkit.exe,
# except that "reverse --locale NAME" refuses any locale but "C" (the
# collation of a Windows locale exists only on Windows). Needs clang (or
# another C++20 compiler as CXX), CMake and Ninja.
# Usage: scripts/build-native-distkit.sh   (prints the program's path)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native-tools
compiler=${CXX:-$(command -v clang++ || command -v c++)}
ccompiler=${CC:-$(command -v clang || command -v cc)}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root/native/tools" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_C_COMPILER="$ccompiler" >/dev/null
fi
cmake --build "$build" -j2 --target distkit >&2
echo "$build/distkit"
