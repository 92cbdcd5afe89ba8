#!/usr/bin/env bash
# Builds the installer, distkit and the sample distribution (not the tests)
# and runs the installer on the sample distribution.
#
# With a display (DISPLAY set) the installer opens there and you use it as a
# user would. Without one it runs on a virtual screen (Xvfb): the script waits
# for the window, presses Start as a user would (a mouse click), waits for the
# closing text and saves screenshots to artifacts/sample-*.png.
#
# Wine runs in a prefix of its own (build/mingw/sample-prefix), so nothing is
# installed into your own Wine setup; delete that folder to start afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/bootstrap.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target setup distkit sample_dist

dist=$root/build/mingw/sample-dist
export WINEPREFIX=$root/build/mingw/sample-prefix
source scripts/wine-env.sh
scripts/wine-prefix.sh "$WINEPREFIX"

if [ -n "${DISPLAY:-}" ]; then
  cd "$dist"
  wine "$root/build/mingw/setup.exe"
  exit $?
fi

mkdir -p "$root/artifacts"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

pixel() {  # pixel X Y -> "r,g,b" of the screen
  import -window root -crop "1x1+$1+$2" -depth 8 rgb:- 2>/dev/null | od -An -tu1 | tr -s ' ' ',' | sed 's/^,//; s/,$//'
}
wait_for() {  # wait_for SECONDS COMMAND...
  local limit=$1; shift
  for _ in $(seq $((limit * 5))); do "$@" && return 0; sleep 0.2; done
  return 1
}
screen_is_blue() { [ "$(pixel 5 5)" = "0,0,200" ]; }

(cd "$dist" && exec wine "$root/build/mingw/setup.exe") >"$root/artifacts/sample-run.log" 2>&1 &
setup=$!
if ! wait_for 60 screen_is_blue; then
  echo "run-sample: the installer's window did not appear" >&2
  exit 1
fi
sleep 1
import -window root "$root/artifacts/sample-start.png"
echo "run-sample: window up; pressing Start"
xdotool mousemove 170 220 click 1

# The proposed folder is under the program-files folder that Windows gives a
# 32-bit program: "Program Files (x86)" on 64-bit Windows (and Wine).
installed=
done_installing() {
  local d
  for d in "$WINEPREFIX/drive_c/Program Files (x86)/Dictionary" "$WINEPREFIX/drive_c/Program Files/Dictionary"; do
    if [ ! -e "$d/language.cf" ] && [ -e "$d/dict.ini" ]; then installed=$d; return 0; fi
  done
  return 1
}
if ! wait_for 300 done_installing; then
  echo "run-sample: the installation did not finish" >&2
  import -window root "$root/artifacts/sample-stuck.png"
  exit 1
fi
sleep 2
import -window root "$root/artifacts/sample-done.png"
echo "run-sample: installed into $installed"
echo "--- dict.ini"; tr -d '\r' <"$installed/dict.ini"
# Close the closing-text box with Enter, as a user would.
xdotool key Return
for _ in $(seq 50); do kill -0 $setup 2>/dev/null || break; sleep 0.2; done
wait $setup && rc=0 || rc=$?
echo "run-sample: setup.exe exited with $rc; screenshots in artifacts/"
exit $rc
