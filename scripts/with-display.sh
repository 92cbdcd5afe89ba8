#!/usr/bin/env bash
# Runs a command with its own virtual X display.
# Usage: with-display.sh [--depth BITS] [--size WxH] [--keep] COMMAND [ARGS...]
# Starts `Xvfb :N -screen 0 WxHxBITS` on the first free display number
# (default 1024x768x24), sets DISPLAY for the command, and stops the server
# when the command ends, however it ends. With --keep an existing DISPLAY is
# used as it is and no server is started.
set -uo pipefail
depth=24
size=1024x768
keep=0
while [ $# -gt 0 ]; do
  case $1 in
    --depth) depth=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: with-display.sh [--depth BITS] [--size WxH] [--keep] COMMAND [ARGS...]" >&2
  exit 2
fi
if [ "$keep" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi

xvfb_pid=
log=$(mktemp)
cleanup() {
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
    kill "$xvfb_pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$xvfb_pid" 2>/dev/null
  fi
  rm -f "$log"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A display number is free when neither its lock file nor its socket exists.
# Two scripts may race for one number: Xvfb then refuses the second, which
# moves on to the next number.
started=0
for n in $(seq 90 189); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 "${size}x${depth}" -nolisten tcp -noreset >"$log" 2>&1 &
  xvfb_pid=$!
  # Ready when the socket appears; gone when Xvfb refused the number.
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && { started=1; break; }
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ "$started" = 1 ]; then
    export DISPLAY=":$n"
    break
  fi
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
done
if [ "$started" != 1 ]; then
  echo "with-display.sh: could not start Xvfb" >&2
  cat "$log" >&2
  exit 1
fi

# A watchdog stops the server should this script itself be killed outright.
self=$$
( while kill -0 "$self" 2>/dev/null; do sleep 1; done; kill "$xvfb_pid" 2>/dev/null ) \
  </dev/null >/dev/null 2>&1 &

"$@"
