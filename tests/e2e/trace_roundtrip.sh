#!/usr/bin/env bash
# Capture and replay: for every report profile, `report --trace` against the
# simulated stick, then the same report from modem-sim replaying the trace.
# The replay must give the expected rows with IMEI and IMSI masked, and the
# trace must never hold a full IMEI or IMSI.
# Usage: trace_roundtrip.sh CLI MODEM_SIM PROFILE_DIR EXPECTED_DIR [wine]
set -u
CLI=$1 MODEM_SIM=$2 PROFILES=$3 EXPECTED=$4 MODE=${5:-native}
. "$(dirname "$0")/e2e-lib.sh"
if [ "$MODE" = wine ]; then
  . "$(dirname "$0")/../wine/wine-env.sh"
  wine_start
fi

# report TRACE_ARGS...: the CLI's report on the running sim into $e2e_tmp/out.
report() {
  if [ "$MODE" = wine ]; then
    wine_map_com_port 5 "$e2e_pty"
    wine "$CLI" report "$@" COM5 >"$e2e_tmp/out"
  else
    "$CLI" report "$@" "$e2e_pty" >"$e2e_tmp/out"
  fi
}

trace="$e2e_tmp/trace.profile"
trace_arg=$trace
[ "$MODE" = wine ] && trace_arg="Z:$trace"
for profile in $(e2e_report_profiles 2>/dev/null); do
  e2e_distinct "$PROFILES/$profile.profile" "$EXPECTED/$profile.txt"
  want="$e2e_tmp/distinct.txt"
  e2e_start_sim "$e2e_tmp/distinct.profile"
  report --trace "$trace_arg"
  e2e_check "$MODE trace $profile: the traced report" "$want" "$e2e_tmp/out"
  leaked=0
  for number in $(grep -oE '[0-9]{14,}' "$want"); do
    grep -q "$number" "$trace" && leaked=1
  done
  e2e_check_status "$MODE trace $profile: no full IMEI or IMSI" 0 $leaked
  e2e_start_sim "$trace"
  report
  e2e_mask "$want" $(e2e_kept "$trace") >"$e2e_tmp/want"
  e2e_check "$MODE replay $profile: the same report" "$e2e_tmp/want" "$e2e_tmp/out"
done

# A stick that shows its numbers in every form: no 9 digits in a row of any
# of them (beyond the digits kept) reaches a trace, as digits or as bytes,
# nibbles swapped or not, whatever the case of the command.
leaky=$e2e_tmp/leaky
e2e_start_sim "$PROFILES/leaky-numbers.profile"
: >"$leaky"
report --trace "$trace_arg" && cat "$trace" >>"$leaky"
for command in 'at+cimi' 'AT^NVRD=0' 'AT^NVRDEX=0' 'AT^ICCID?' 'AT+EGMR=1,7,"352099001761481"' 'at+cpin="1234"'; do
  if [ "$MODE" = wine ]; then
    wine "$CLI" send --trace "$trace_arg" COM5 "$command" >/dev/null
  else
    "$CLI" send --trace "$trace_arg" "$e2e_pty" "$command" >/dev/null
  fi
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
e2e_check_status "$MODE trace: no number of the leaky stick leaks, in any form" 0 $?

# The trace file: written whole beside its target, owner-only, a link at
# the target replaced and what it pointed at untouched; a trace that cannot
# be written fails the run; one --trace only.
if [ "$MODE" = native ]; then
  e2e_start_sim "$PROFILES/e1550.profile"
  echo "keep me" >"$e2e_tmp/link-target"
  ln -s "$e2e_tmp/link-target" "$e2e_tmp/link.profile"
  "$CLI" report --trace "$e2e_tmp/link.profile" "$e2e_pty" >/dev/null
  e2e_check_status "trace file: report exits 0" 0 $?
  [ ! -L "$e2e_tmp/link.profile" ] && [ "$(cat "$e2e_tmp/link-target")" = "keep me" ] &&
    grep -q '^> AT+CGSN' "$e2e_tmp/link.profile"
  e2e_check_status "trace file: the link is replaced, its target untouched" 0 $?
  e2e_check_status "trace file: mode 0600" 600 "$(stat -c %a "$e2e_tmp/link.profile")"
  [ -z "$(find "$e2e_tmp" -maxdepth 1 -name 'link.profile.*')" ]
  e2e_check_status "trace file: no temporary file left" 0 $?

  # A 1 KB file size limit makes the write fail (EFBIG) after the modem
  # part has succeeded.
  (trap '' XFSZ; ulimit -f 1; "$CLI" report --trace "$e2e_tmp/big.profile" "$e2e_pty" >/dev/null 2>"$e2e_tmp/err")
  e2e_check_status "trace write error: exit" 1 $?
  grep -q "^brenvaltor-cli: cannot write the trace $e2e_tmp/big.profile: File too large" "$e2e_tmp/err" &&
    [ ! -e "$e2e_tmp/big.profile" ] && [ -z "$(find "$e2e_tmp" -maxdepth 1 -name 'big.profile.*')" ]
  e2e_check_status "trace write error: says why, leaves no file" 0 $?

  "$CLI" send --trace "$e2e_tmp/no-such-dir/t.profile" "$e2e_pty" AT >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "trace in a missing folder: exit" 1 $?
  grep -q "cannot write the trace $e2e_tmp/no-such-dir/t.profile: No such file or directory" "$e2e_tmp/err" &&
    [ ! -s "$e2e_tmp/out" ]
  e2e_check_status "trace in a missing folder: says why before any exchange" 0 $?

  # What is not a regular file is never replaced: a folder or an empty name
  # is refused before anything goes to the stick (no call is placed); a
  # device (the test's own node, never the system's) and a FIFO are written
  # straight into.
  mkdir "$e2e_tmp/folder"
  for target in "$e2e_tmp/folder" ""; do
    "$CLI" send --trace "$target" "$e2e_pty" 'ATD+79161234567;' >"$e2e_tmp/out" 2>"$e2e_tmp/err"
    [ $? -ne 0 ] && [ ! -s "$e2e_tmp/out" ] && [ -d "$e2e_tmp/folder" ] && [ -s "$e2e_tmp/err" ]
    e2e_check_status "trace into '$target': refused before any exchange" 0 $?
  done
  if [ "$(id -u)" = 0 ]; then
    mknod "$e2e_tmp/full" c 1 7
    "$CLI" send --trace "$e2e_tmp/full" "$e2e_pty" AT >/dev/null 2>"$e2e_tmp/err"
    e2e_check_status "trace into a full device: exit" 1 $?
    grep -q "cannot write the trace $e2e_tmp/full: No space left on device" "$e2e_tmp/err" && [ -c "$e2e_tmp/full" ]
    e2e_check_status "trace into a full device: says why, stays a device" 0 $?
  fi
  mkfifo "$e2e_tmp/fifo"
  cat "$e2e_tmp/fifo" >"$e2e_tmp/from-fifo" &
  "$CLI" send --trace "$e2e_tmp/fifo" "$e2e_pty" AT >/dev/null
  e2e_check_status "trace into a FIFO: exit" 0 $?
  wait $!
  [ -p "$e2e_tmp/fifo" ] && grep -q '^> AT$' "$e2e_tmp/from-fifo"
  e2e_check_status "trace into a FIFO: written straight, stays a FIFO" 0 $?

  "$CLI" report --trace "$e2e_tmp/a.profile" --trace "$e2e_tmp/b.profile" "$e2e_pty" >/dev/null 2>"$e2e_tmp/err"
  e2e_check_status "two --trace: usage error" 2 $?
  [ ! -e "$e2e_tmp/a.profile" ] && [ ! -e "$e2e_tmp/b.profile" ]
  e2e_check_status "two --trace: no file written" 0 $?
fi

[ "$MODE" = wine ] && wine_clear_com_ports
e2e_finish
