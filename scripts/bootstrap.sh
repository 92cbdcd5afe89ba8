#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
# Safe to run again; does nothing when everything is there.
# Every package a test needs is named here, even one that usually comes as
# another's Recommends (fonts-liberation with wine): a machine where Wine was
# installed with --no-install-recommends lacks it, and the drawing tests
# measure text in Liberation Sans, the metric twin of Arial.
set -euo pipefail
packages=(
  cmake ninja-build
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-tools
  googletest
  wine wine64 wine32:i386 fonts-liberation
  xvfb xdotool imagemagick x11-utils
  python3
  clang libclang-rt-dev
  osslsigncode openssl
  dict-freedict-deu-eng
)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
# 32-bit Wine runs the shipped i686 programs: it needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  need_update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ] && [ -z "${need_update:-}" ]; then exit 0; fi
echo "bootstrap: installing ${missing[*]}"
$sudo apt-get update -qq
[ ${#missing[@]} -eq 0 ] && exit 0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
