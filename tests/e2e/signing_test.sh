#!/usr/bin/env bash
# scripts/sign.sh with a throw-away self-signed certificate made by openssl:
# refusals change nothing, a signed setup.exe verifies, and the signed
# setup.exe still installs the sample (the sample end-to-end test, run on it).
# Usage: signing_test.sh E2E_TESTS_EXE SETUP_EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
e2e=$1 setup=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
ok() { passed=$((passed + 1)); }
bad() { failed=$((failed + 1)); echo "FAILED: $*" >&2; }

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -subj "/CN=Dictionary Test Publisher" -days 2 2>/dev/null &&
  openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" \
    -passout pass:throwaway 2>/dev/null || { echo "cannot make a certificate" >&2; exit 1; }
cp "$setup" "$work/setup.exe"
cp "$setup" "$work/other.exe"
before=$(sha256sum <"$work/setup.exe")

# Refusals: name, environment, files, the message expected; setup.exe stays as it was.
while IFS='|' read -r name env files expected; do
  out=$(env -u SIGN_PFX SIGN_PASSWORD=throwaway $env "$scripts/sign.sh" $files 2>&1)
  rc=$?
  if [ $rc -ne 0 ] && grep -qF "$expected" <<<"$out" && [ "$(sha256sum <"$work/setup.exe")" = "$before" ]; then
    ok
  else
    bad "$name: exit $rc, \"$out\" (expected \"$expected\", setup.exe unchanged)"
  fi
done <<EOF2
no certificate named||$work/setup.exe|SIGN_PFX is not set
certificate missing|SIGN_PFX=$work/none.pfx|$work/setup.exe|certificate file not found
a file missing|SIGN_PFX=$work/cert.pfx|$work/setup.exe $work/none.exe|no such file: $work/none.exe
wrong password|SIGN_PFX=$work/cert.pfx SIGN_PASSWORD=wrong|$work/setup.exe|signing failed
a program without a description of its own|SIGN_PFX=$work/cert.pfx|$work/setup.exe $work/other.exe|no description for $work/other.exe
EOF2

# Each program with its own description (distkit.exe: setup.exe under that name).
cp "$setup" "$work/distkit.exe"
verified() { osslsigncode verify -CAfile "$work/cert.pem" -in "$work/$1" 2>&1 | grep -qF "description: $2"; }
if SIGN_PFX=$work/cert.pfx SIGN_PASSWORD=throwaway "$scripts/sign.sh" "$work/setup.exe" "$work/distkit.exe" >/dev/null &&
   osslsigncode verify -CAfile "$work/cert.pem" -in "$work/setup.exe" 2>&1 | grep -q "Signature verification: ok" &&
   verified setup.exe "Dictionary Setup" && verified distkit.exe "Dictionary distribution kit"; then
  ok
else
  bad "signing with the throw-away certificate, or verifying each program's description"
fi

if SETUP_EXE=$work/setup.exe "$scripts/with-display.sh" --keep "$scripts/wine-run.sh" "$e2e" \
     --gtest_filter=SampleE2E.WholeInstallationOfTheSampleDistribution >"$work/e2e.log" 2>&1 &&
   grep -q "1 test from 1 test suite ran" "$work/e2e.log"; then
  ok
else
  cat "$work/e2e.log" >&2
  bad "the signed setup.exe did not install the sample"
fi
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
