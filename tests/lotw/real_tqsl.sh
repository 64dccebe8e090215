#!/usr/bin/env bash
# vezolog lotw-upload against the real tqsl of Debian's trustedqsl package, under Xvfb with a
# throw-away HOME: a station location in TQSL's station data and a certificate chain made here
# with openssl (a root, a CA, and a callsign certificate with TQSL's callsign, QSO-date-range and
# DXCC extensions), imported with tqsl -i.
#
# TQSL 2.6.5 takes the root and the CA of a self-made chain but not the callsign certificate:
# from a PKCS#12 file it refuses it ("Cert type mismatch" in its trace), and from a .tq6 it
# wants the private key in its own key store, which only its certificate request fills. So
# when no callsign certificate is loaded, this test checks what the real tqsl then does (it
# ends with 8 and "Signing aborted", which must mark nothing) and the unknown location (10);
# signing with 0 and the duplicates' 8 are covered by the stand-in in tst_tqsl_upload. Should
# a TQSL take the chain, the signing runs below check them against the real program too.
set -u
vezolog=$(realpath "$1")
source_data=$(realpath "$2")
for tool in tqsl Xvfb openssl timeout; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

export HOME=$work/home
mkdir -p "$HOME/.tqsl"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "SKIPPED: Xvfb did not start"; exit 77; }
export DISPLAY=:$(cat "$work/display")

# --- the certificate chain ------------------------------------------------------------------
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 30 \
  -subj "/O=Test Root/CN=Test Root CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout ca.key -out ca.csr \
  -subj "/O=Test/OU=Logbook/CN=Test Production CA" 2>/dev/null
cat > ext.cnf <<'X'
[ca]
basicConstraints=critical,CA:TRUE
keyUsage=critical,keyCertSign,cRLSign
[user]
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature
1.3.6.1.4.1.12348.1.1=ASN1:UTF8String:JA1ZZZ
1.3.6.1.4.1.12348.1.2=ASN1:UTF8String:1945-11-01
1.3.6.1.4.1.12348.1.3=ASN1:UTF8String:2099-12-31
1.3.6.1.4.1.12348.1.4=ASN1:UTF8String:339
X
openssl x509 -req -in ca.csr -CA root.pem -CAkey root.key -CAcreateserial -out ca.pem \
  -days 30 -extfile ext.cnf -extensions ca 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout user.key -out user.csr \
  -subj "/CN=Test Operator/emailAddress=test@example.invalid" 2>/dev/null
openssl x509 -req -in user.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out user.pem \
  -days 30 -extfile ext.cnf -extensions user 2>/dev/null
openssl pkcs12 -export -inkey user.key -in user.pem -certfile <(cat ca.pem root.pem) \
  -out user.p12 -passout pass: || { fail "openssl could not make the chain"; exit 1; }
{
  echo '<?xml version="1.0" ?>'
  echo '<tqsldata><tqslcerts><rootcert>'; cat root.pem
  echo '</rootcert><cacert>'; cat ca.pem
  echo '</cacert><usercert>'; cat user.pem
  echo '</usercert></tqslcerts></tqsldata>'
} > chain.tq6

cat > "$HOME/.tqsl/station_data" <<'X'
<StationDataFile>
  <StationData name="Home">
    <CALL>JA1ZZZ</CALL>
    <DXCC>339</DXCC>
    <GRIDSQUARE>PM95</GRIDSQUARE>
    <CQZ>25</CQZ>
    <ITUZ>45</ITUZ>
  </StationData>
</StationDataFile>
X

# tqsl -i stays open after an import even with -q; the time limit ends it.
for file in chain.tq6 user.p12; do
  timeout 15 tqsl -i "$work/$file" -q >"$work/import.txt" 2>&1
  sed 's/^/  tqsl -i '"$file"': /' "$work/import.txt"
done
[ -s "$HOME/.tqsl/certs/root" ] || fail "tqsl did not import the self-made root"

# --- a log with two contacts ----------------------------------------------------------------
data=$work/Data
mkdir -p "$data"
cp "$source_data/PreFix.CFG" "$data/"
: > "$data/JA1ZZZ.DAT"
printf '%s\n' 'test <EOH>' \
  '<CALL:4>W1AW <QSO_DATE:8>20240102 <TIME_ON:4>0130 <FREQ:5>7.074 <MODE:3>FT8 <EOR>' \
  '<CALL:5>K1ABC <QSO_DATE:8>20240103 <TIME_ON:4>0230 <FREQ:6>14.025 <MODE:2>CW <EOR>' \
  > "$work/in.adi"
"$vezolog" import-adif "$data" JA1ZZZ "$work/in.adi" 2>/dev/null || fail "import-adif"
sent=$data/JA1ZZZ_LoTW.txt

# expect STATUS TEXT -- ARGS: runs lotw-upload, checks its exit status and that its output
# holds TEXT.
expect() {
  local status=$1 text=$2
  shift 3
  "$vezolog" lotw-upload "$data" JA1ZZZ --time-limit 60 "$@" >"$work/out.txt" 2>&1
  local got=$?
  sed 's/^/  | /' "$work/out.txt"
  [ "$got" -eq "$status" ] || fail "lotw-upload $* ended with $got, not $status"
  grep -qF -- "$text" "$work/out.txt" || fail "lotw-upload $* did not say: $text"
}

echo "unknown station location:"
expect 1 "「Nowhere」が TQSL にない" -- --location Nowhere --sign-only "$work/signed.tq8"
grep -q "The selected station location could not be found" "$work/out.txt" ||
  fail "TQSL's own line is not shown"
grep -q "Command Syntax Error(10)" "$work/out.txt" || fail "TQSL did not end with 10"
[ -e "$sent" ] && fail "an unknown location marked contacts as sent"

if [ -s "$HOME/.tqsl/certs/user" ]; then
  echo "signing to a file:"
  expect 0 "2 件の交信に署名し" -- --location Home --sign-only "$work/signed.tq8"
  [ -s "$work/signed.tq8" ] || fail "no signed file"
  grep -q "W1AW" "$sent" && grep -q "K1ABC" "$sent" || fail "the signed contacts are not marked"
  echo "the same contacts again:"
  rm -f "$sent"
  expect 0 "新しく送る交信はありませんでした" -- --location Home --sign-only "$work/again.tq8"
  grep -q "K1ABC" "$sent" || fail "duplicates are not marked"
else
  echo "NOTE: TQSL did not load the self-made callsign certificate (see the top of this script);"
  echo "      checking what the real tqsl does without one."
  expect 1 "TQSL が署名を中止しました" -- --location Home --sign-only "$work/signed.tq8"
  grep -q "No QSOs written(8)" "$work/out.txt" || fail "TQSL did not end with 8"
  [ -e "$sent" ] && fail "a run that signed nothing marked contacts as sent"
fi

[ "$failures" -eq 0 ] && echo "PASS" && exit 0
exit 1
