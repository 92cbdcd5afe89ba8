#!/usr/bin/env bash
# Makes (once) the Wine prefix that the tests of one build tree run in.
# Usage: wine-prefix.sh PREFIX
# The prefix is booted with its output sent to files (Wine's services inherit
# the standard handles of the first process), the window manager integration
# is turned off (no 2 s stall when a window is hidden) and the crash dialog is
# disabled so that a crash ends a test at once.
set -euo pipefail
prefix=$1
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.ready" ]; then exit 0; fi
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log=$(dirname "$prefix")/wineprefix-setup.log
{
  wineboot -i
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f || true
  wineserver -w
} >"$log" 2>&1 </dev/null
touch "$prefix/.ready"
