#!/usr/bin/env bash
# Signs Windows programs in place with Authenticode (osslsigncode).
# Usage: SIGN_PFX=cert.pfx SIGN_PASSWORD=... [SIGN_TIMESTAMP_URL=http://...] \
#          scripts/sign.sh FILE...
#   SIGN_PFX            the publisher's PKCS#12 file (certificate and private key)
#   SIGN_PASSWORD       its password (read through a file descriptor, never
#                       put on a command line)
#   SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server; with it the signature
#                       stays valid after the certificate has expired
# Each program's signature carries its own description, the FileDescription
# of its version resource (src/app/resources/CMakeLists.txt); a file of
# another name is refused. Every file is checked before the first is signed;
# a file is replaced only by its complete signed copy. Exit 0 when all were
# signed.
set -uo pipefail
fail() { echo "sign: $*" >&2; exit 2; }
[ $# -gt 0 ] || fail "usage: SIGN_PFX=cert.pfx SIGN_PASSWORD=... scripts/sign.sh FILE..."
command -v osslsigncode >/dev/null || fail "osslsigncode is not installed (scripts/bootstrap.sh installs it)"
[ -n "${SIGN_PFX:-}" ] || fail "SIGN_PFX is not set: name the PKCS#12 file with the certificate"
[ -f "$SIGN_PFX" ] || fail "certificate file not found: $SIGN_PFX"
description_of() {
  case "$(basename "$1" | tr '[:upper:]' '[:lower:]')" in
    setup.exe) echo "Dictionary Setup" ;;
    distkit.exe) echo "Dictionary distribution kit" ;;
    *) return 1 ;;
  esac
}
for file in "$@"; do
  [ -f "$file" ] || fail "no such file: $file"
  [ -w "$file" ] || fail "cannot write: $file"
  description_of "$file" >/dev/null ||
    fail "no description for $file: sign.sh signs setup.exe and distkit.exe"
done
timestamp=()
[ -n "${SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$SIGN_TIMESTAMP_URL")
for file in "$@"; do
  signed=$(mktemp "$file.signing.XXXXXX") || fail "cannot make a file beside $file"
  rm -f "$signed"
  if ! osslsigncode sign -pkcs12 "$SIGN_PFX" -readpass <(printf '%s' "${SIGN_PASSWORD:-}") \
         -h sha256 -n "$(description_of "$file")" "${timestamp[@]}" -in "$file" -out "$signed" >/dev/null; then
    rm -f "$signed"
    fail "signing failed: $file"
  fi
  chmod --reference="$file" "$signed"
  mv -f "$signed" "$file" || { rm -f "$signed"; fail "cannot replace $file"; }
  echo "sign: signed $file"
done
