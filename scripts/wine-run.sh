#!/usr/bin/env bash
# Runs a Windows program under Wine, in the Wine prefix of the build tree the
# program belongs to (BUILD/wineprefix), unless WINEPREFIX is already set.
# Output goes through files: Wine's background services keep whatever handles
# the first process had, and a pipe they hold would never close.
set -uo pipefail
exe=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
source "$here/wine-env.sh"
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$exe")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" = / ] && dir=$(cd "$(dirname "$exe")" && pwd)
  export WINEPREFIX=$dir/wineprefix
fi
# WINE_PREFIX_TEMPLATE: a prefix to copy when WINEPREFIX does not exist yet.
"$here/wine-prefix.sh" "$WINEPREFIX" ${WINE_PREFIX_TEMPLATE:+"$WINE_PREFIX_TEMPLATE"}
# WINE_SERVER_WAIT=1: first wait until the prefix's Wine server has ended, so
# that the program starts a fresh one on this run's display (a server left
# running by a program on another display, or on none, would keep its desktop
# there).
if [ "${WINE_SERVER_WAIT:-}" = 1 ]; then wineserver -w; fi
wine "$exe" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null
rc=$?
cat "$tmp/out"
cat "$tmp/err" >&2
exit $rc
