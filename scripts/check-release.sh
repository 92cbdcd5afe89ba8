#!/usr/bin/env bash
# Runs the README's two commands on a fresh Debian system, as a newcomer
# would: makes a minimal root file system of RELEASE with debootstrap in a
# scratch folder, clones this repository's HEAD into it, and inside it
# (chroot, as root, no DISPLAY) times `scripts/run-sample.sh` and then
# `scripts/run-tests.sh`. The scripts' own bootstrap installs everything
# else; a package it misses on a fresh system shows up here.
#
# Needs root (debootstrap, mounts, chroot); installs debootstrap when it is
# missing. Not part of run-tests.sh: it downloads a whole system and builds
# everything from nothing (the better part of an hour on two cores).
# Usage: scripts/check-release.sh [--keep] RELEASE     RELEASE: bookworm or trixie
#   --keep: leave the root file system in place afterwards (its path is
#   printed); the mounts are removed either way.
# Environment: MIRROR (default: the Debian mirror this machine's apt uses),
#   CHECK_RELEASE_DIR (where the scratch folder goes, default /var/tmp).
# Exit status 0 when both commands passed.
set -uo pipefail
keep=0
if [ "${1:-}" = --keep ]; then keep=1; shift; fi
release=${1:-}
case $release in
  bookworm|trixie) ;;
  *) echo "usage: scripts/check-release.sh [--keep] bookworm|trixie" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "check-release: needs root (debootstrap, mount, chroot)" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$repo" rev-parse HEAD) || exit 2

# The mirror of this machine's own Debian sources (one-line or deb822 form).
host_mirror() {
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
    sed -n -E 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+).*/\2/p;
               s/^[[:space:]]*URIs:[[:space:]]*//p' |
    tr ' ' '\n' | grep -E '^(https?|ftp)://[^[:space:]]*/debian/?$' | head -1
}
mirror=${MIRROR:-$(host_mirror)}
mirror=${mirror:-http://deb.debian.org/debian}

if ! command -v debootstrap >/dev/null; then
  echo "check-release: installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null; } ||
    { echo "check-release: cannot install debootstrap" >&2; exit 1; }
fi

work=$(mktemp -d "${CHECK_RELEASE_DIR:-/var/tmp}/check-release-$release.XXXXXX") || exit 1
# The logs outlive the scratch folder: build/check-release-RELEASE/.
logs=$repo/build/check-release-$release
rm -rf "$logs" && mkdir -p "$logs" || exit 1
fs=$work/root
mounted=()
# Ends what still runs inside the root file system (Xvfb, wineserver), then
# removes the mounts, innermost first, and the folder unless --keep. The
# folder is removed only when nothing is mounted below it any more.
cleanup() {
  local pid i
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$fs" ] && kill -KILL "$pid" 2>/dev/null
  done
  sleep 1
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" ||
      echo "check-release: could not unmount ${mounted[i]}" >&2
  done
  if grep -q " $fs" /proc/mounts; then
    echo "check-release: mounts remain below $fs; leaving $work" >&2
  elif [ "$keep" = 1 ]; then
    echo "check-release: root file system kept in $fs"
  else
    rm -rf --one-file-system "$work"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

mount_in() {  # mount_in TARGET MOUNT-ARGS...
  local target=$fs$1; shift
  mkdir -p "$target"
  mount "$@" "$target" || { echo "check-release: mount $* $target failed" >&2; exit 1; }
  mounted+=("$target")
}

echo "check-release: $release from $mirror into $fs (commit ${commit:0:12})"
began=$(date +%s)
if ! debootstrap --variant=minbase --include=git,ca-certificates "$release" "$fs" "$mirror" \
    >"$logs/debootstrap.log" 2>&1; then
  echo "check-release: debootstrap failed; its log:" >&2
  tail -20 "$logs/debootstrap.log" >&2
  exit 1
fi
echo "check-release: root file system made in $(($(date +%s) - began)) s"

git clone -q --no-hardlinks "$repo" "$fs/root/dictionary-setup" &&
  git -C "$fs/root/dictionary-setup" checkout -q "$commit" || exit 1

# /dev is bound without its submounts, and nothing mounted inside the root
# file system propagates back to this machine's (a tmpfs of its own on
# /dev/shm, not this machine's shared memory).
mount_in /proc --bind /proc
mount_in /sys --bind /sys
mount_in /dev --bind /dev
mount --make-rslave "$fs/dev"
mount_in /dev/pts --bind /dev/pts
mount_in /dev/shm -t tmpfs -o mode=1777,nosuid,nodev tmpfs
cp -L /etc/resolv.conf "$fs/etc/resolv.conf"

# in_root NAME COMMAND: runs COMMAND in the clone with a login's plain
# environment (no DISPLAY, no TMPDIR); its output goes to logs/NAME.log,
# shown as it grows (a file, not a pipe: Wine's services would hold a pipe
# open). Sets rc and seconds.
in_root() {
  local name=$1 command=$2 start pid
  echo "check-release: $release: $command"
  start=$(date +%s)
  : >"$logs/$name.log"
  chroot "$fs" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/dictionary-setup && $command" >"$logs/$name.log" 2>&1 </dev/null &
  pid=$!
  tail -n +1 -f --pid=$pid "$logs/$name.log" &
  wait $pid
  rc=$?
  wait
  seconds=$(($(date +%s) - start))
}
in_root sample scripts/run-sample.sh
sample_rc=$rc sample_seconds=$seconds
in_root tests scripts/run-tests.sh
tests_rc=$rc tests_seconds=$seconds

echo
echo "check-release: $release summary (commit ${commit:0:12})"
echo "  scripts/run-sample.sh  exit $sample_rc  $sample_seconds s"
echo "  scripts/run-tests.sh   exit $tests_rc  $tests_seconds s"
grep -E '^run-(tests|native-tests|fuzzers|sample): |tests passed|tests failed out of|Total Test time|^[[:space:]]+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess|Not Run|Exception)' \
  "$logs/tests.log" | sed 's/^/  /'
echo "  logs: $logs"
[ "$sample_rc" = 0 ] && [ "$tests_rc" = 0 ]
