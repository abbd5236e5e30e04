#!/usr/bin/env bash
# Capture and replay of every report profile; a stick that shows its numbers
# in every form; then the trace file itself.
# Usage: trace_roundtrip.sh CLI MODEM_SIM PROFILE_DIR EXPECTED_DIR
set -u
CLI=$1 MODEM_SIM=$2 PROFILES=$3 EXPECTED=$4
. "$(dirname "$0")/e2e-lib.sh"

trace=$e2e_tmp/trace
for profile in $(e2e_report_profiles 2>/dev/null); do
  e2e_roundtrip "trace $profile" "$PROFILES/$profile.profile" "$EXPECTED/$profile.txt"
done

# A stick that shows its numbers in every form: no 9 digits in a row of any
# of them (beyond the digits kept) reaches a trace, as digits or as bytes,
# nibbles swapped or not, whatever the case of the command.
leaky=$e2e_tmp/leaky
e2e_start_sim "$PROFILES/leaky-numbers.profile"
: >"$leaky"
"$CLI" report --trace "$trace" "$e2e_pty" >/dev/null && cat "$trace" >>"$leaky"
for command in 'at+cimi' 'AT^NVRD=0' 'AT^NVRDEX=0' 'AT^ICCID?' 'AT+EGMR=1,7,"352099001761481"' 'at+cpin="1234"'; do
  "$CLI" send --trace "$trace" "$e2e_pty" "$command" >/dev/null
  cat "$trace" >>"$leaky"
done
python3 - "$leaky" $(e2e_kept "$trace") <<'PY'
import re, sys
text = open(sys.argv[1], encoding="latin-1").read()
imei_kept, imsi_kept = int(sys.argv[2]), int(sys.argv[3])
digits = re.sub(r"[^0-9]", "", text)
swapped = "".join(re.sub(r"[^0-9]", "", m[1] + m[0]) for m in re.findall(r"\b[0-9A-Fa-f]{2}\b", text))
leaks = []
for number, kept in (("352099001761481", imei_kept), ("250011234567890", imsi_kept), ("89701012345678901234", 0)):
    for i in range(len(number) - 8):
        if i + 9 > kept and (number[i:i + 9] in digits or number[i:i + 9] in swapped):
            leaks.append(number[i:i + 9])
if "250011"[:imsi_kept + 1] in digits: leaks.append("IMSI keeps more digits than its header says")
if re.search(r"(?i)cpin=\\?\"1234", text): leaks.append("PIN")
print("leaks:", leaks or "none")
sys.exit(1 if leaks else 0)
PY
e2e_check_status "trace: no number of the leaky stick leaks, in any form" 0 $?

# The trace file as the CLI uses it (what it may be is the unit tests'): no
# temporary file left when the write fails (a 1 KB size limit: EFBIG after the
# modem part); refused before anything goes to the stick when it cannot open.
e2e_start_sim "$PROFILES/e1550.profile"
(trap '' XFSZ; ulimit -f 1; "$CLI" report --trace "$e2e_tmp/big.profile" "$e2e_pty" >/dev/null 2>"$e2e_tmp/err")
[ $? = 1 ] && grep -q "^brenvaltor-cli: cannot write the trace $e2e_tmp/big.profile: File too large" "$e2e_tmp/err" &&
  [ ! -e "$e2e_tmp/big.profile" ] && [ -z "$(find "$e2e_tmp" -maxdepth 1 -name 'big.profile.*')" ]
e2e_ok "trace write error: exit 1, says why, leaves no file"

# A missing folder or an empty name: no call is placed.
for case in "2:--trace needs a file name:" "1:No such file or directory:$e2e_tmp/no-such-dir/t.profile"; do
  IFS=: read -r want cause target <<<"$case"
  : >"$e2e_tmp/sim.log"
  "$CLI" send --trace "$target" "$e2e_pty" 'ATD+79161234567;' >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  [ $? = "$want" ] && [ ! -s "$e2e_tmp/out" ] && [ ! -s "$e2e_tmp/sim.log" ] &&
    grep -qe "$cause" "$e2e_tmp/err"
  e2e_ok "trace into '$target': refused before any exchange ($cause)"
done

e2e_finish
