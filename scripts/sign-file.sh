#!/usr/bin/env bash
# Signs a Windows image (exe, dll, sys) or a Windows Installer package in place with Authenticode
# (osslsigncode, SHA-256) and checks the signature it made:
#   sign-file.sh SETTINGS FILE
# SETTINGS: a shell file the build writes, setting cert, key, timestamp and trust. cert and key:
# PEM or DER files; key empty when cert is a PKCS#12 (.pfx) file holding both. The key's password,
# if any, is read from the file named by $VELT_SIGN_PASS_FILE. timestamp: an RFC 3161 server, or
# empty for no timestamp. trust "test": cert is the build's throwaway self-signed certificate, and
# the signature must verify with it as the only root. Otherwise the chain is for Windows to judge;
# here the digest the signature holds must equal the file's own.
# A file that comes signed already (a real driver, signed for Windows' kernel) keeps its
# signature: a second one of ours would replace it. Its digest is checked all the same.
# Exits non-zero, leaving FILE as it was, when signing or the check fails.
set -eu
cert="" key="" timestamp="" trust=""
# shellcheck source=/dev/null
. "$1"
file=$2

# whole REPORT: the digest a signature holds equals the one computed over the file. An image's
# report names it "message digest", a package's "DigitalSignature".
whole() {
    local kind="message digest" current calculated
    grep -q "^Current DigitalSignature" <<<"$1" && kind=DigitalSignature
    current=$(sed -n "s/^Current $kind *: *\([0-9A-F]*\).*/\1/p" <<<"$1")
    calculated=$(sed -n "s/^Calculated $kind *: *\([0-9A-F]*\).*/\1/p" <<<"$1")
    [ -n "$current" ] && [ "$current" = "$calculated" ]
}
refuse() {
    echo "sign-file: $1:" >&2
    echo "$2" >&2
    exit 1
}

report=$(osslsigncode verify -in "$file" 2>&1) || true
if grep -q "^Current \(message digest\|DigitalSignature\)" <<<"$report"; then
    whole "$report" || refuse "$file is signed, but its signature does not match it" "$report"
    echo "sign-file: $file is signed already; its signature is kept"
    exit 0
fi

signing=(-h sha256 -n Veltarion)
if [ -n "$key" ]; then
    signing+=(-certs "$cert" -key "$key")
else
    signing+=(-pkcs12 "$cert")
fi
[ -n "${VELT_SIGN_PASS_FILE:-}" ] && signing+=(-readpass "$VELT_SIGN_PASS_FILE")
[ -n "$timestamp" ] && signing+=(-ts "$timestamp")
signed="$file.signing"
rm -f "$signed"
trap 'rm -f "$signed"' EXIT
osslsigncode sign "${signing[@]}" -in "$file" -out "$signed" >/dev/null
verifying=()
[ "$trust" = test ] && verifying=(-CAfile "$cert")
report=$(osslsigncode verify "${verifying[@]}" -in "$signed" 2>&1) && verified=1 || verified=0
if ! whole "$report" || { [ "$trust" = test ] && [ $verified = 0 ]; }; then
    refuse "the signature made for $file does not verify" "$report"
fi
chmod --reference="$file" "$signed"
mv -f "$signed" "$file"
