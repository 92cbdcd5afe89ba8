#!/usr/bin/env bash
# Makes (once) the Wine prefix that the tests of one build tree run in.
# Usage: wine-prefix.sh PREFIX [TEMPLATE]
# With TEMPLATE (another prefix, made first when needed) the new prefix is a
# copy of it instead of a fresh boot: Wine's program files are hard links
# (Wine never writes them), everything else (registry, win.ini, ...) is a real
# copy. A copy takes well under a second; a boot takes about 20.
# The prefix is booted with its output sent to files (Wine's services inherit
# the standard handles of the first process), the window manager integration
# is turned off (no 2 s stall when a window is hidden) and the crash dialog is
# disabled so that a crash ends a test at once.
# A prefix remembers the Wine it was made with (.ready holds the version and
# whether 32-bit Wine was installed): one made before wine32 came cannot run
# 32-bit programs ("could not load kernel32.dll"), so a prefix that does not
# fit the Wine of today is made anew.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
prefix=$1
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
fit="$(wine --version) wine32=$([ -e /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] && echo yes || echo no)"
if [ -f "$prefix/.ready" ] && [ "$(cat "$prefix/.ready")" = "$fit" ]; then exit 0; fi
if [ -e "$prefix" ]; then
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
fi
rm -rf "$prefix"
template=${2:-}
if [ -n "$template" ] && [ "$template" != "$prefix" ]; then
  "$0" "$template"
  cp -al "$template" "$prefix"
  rm -f "$prefix/.ready"
  find "$prefix" -type f -links +1 \
    ! -iregex '.*\.\(dll\|exe\|nls\|sys\|drv\|ocx\|cpl\|acm\|tlb\|ds\|ax\|com\)' \
    -exec sh -c 'for f; do cp -p "$f" "$f.copy" && mv -f "$f.copy" "$f"; done' sh {} +
  echo "$fit" >"$prefix/.ready"
  exit 0
fi
export WINEPREFIX=$prefix
log=$(dirname "$prefix")/wineprefix-setup.log
{
  wineboot -i
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f || true
  wineserver -w
} >"$log" 2>&1 </dev/null
echo "$fit" >"$prefix/.ready"
