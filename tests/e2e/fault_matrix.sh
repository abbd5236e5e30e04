#!/usr/bin/env bash
# The command-line tool against modem-sim, natively or under wine: the
# report of every profile, the scan and the one-shot exchange; for each
# faulty device, no crash, the rows as expected, the port closed again (it
# opens at once afterwards), and no wait beyond what the read rule gives;
# for each port that cannot be opened, the cause.
# Usage: fault_matrix.sh CLI BENCH MODEM_SIM PROFILE_DIR EXPECTED_DIR [wine]
set -u
CLI=$1 BENCH=$2 MODEM_SIM=$3 PROFILES=$4 EXPECTED=$5 MODE=${6:-native}
. "$(dirname "$0")/e2e-lib.sh"

if [ "$MODE" = wine ]; then
  . "$(dirname "$0")/../wine/wine-env.sh"
  wine_start
  run() { wine "$@"; }
else
  run() { "$@"; }
fi

# port_of: the name the program uses for the current sim.
port_of() {
  if [ "$MODE" = wine ]; then
    wine_map_com_port 5 "$e2e_pty"
    echo COM5
  else
    echo "$e2e_pty"
  fi
}

# check_cause NAME TEXT: the failure's one line on standard error names
# this cause, and standard output stays empty.
check_cause() {
  if [ ! -s "$e2e_tmp/out" ] && [ "$(wc -l <"$e2e_tmp/err")" -eq 1 ] &&
     grep -qF "brenvaltor-cli: cannot open port $2" "$e2e_tmp/err"; then
    e2e_passed=$((e2e_passed + 1))
    echo "ok   $1: says why ($(cat "$e2e_tmp/err"))"
  else
    e2e_failed=$((e2e_failed + 1))
    echo "FAIL $1: expected \"cannot open port $2\", got: $(cat "$e2e_tmp/err")"
  fi
}

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

# Usage: asked for, the usage goes to standard output with status 0; bad
# usage goes to standard error with status 2; --version names the version.
# An option that is not ours is bad usage, never a port name.
for case in "--help:0:out" "-h:0:out" "report -h:0:out" ":2:err" "bogus:2:err" "report:2:err" \
  "scan --verbose:2:err" "report --verbose nowhere:2:err" "send -x nowhere AT:2:err" "scan -:2:err" \
  "send --json nowhere AT:2:err" "scan --wait:2:err" "scan --wait x:2:err" "scan --wait -1:2:err" \
  "scan --wait 1 --wait 2:2:err" "report --wait 1 nowhere:2:err" "send --wait 1 nowhere AT:2:err"; do
  IFS=: read -r args want stream <<<"$case"
  # shellcheck disable=SC2086
  run "$CLI" $args >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  status=$?
  other=$([ "$stream" = out ] && echo err || echo out)
  [ "$status" = "$want" ] && grep -q '^usage: brenvaltor-cli' "$e2e_tmp/$stream" && [ ! -s "$e2e_tmp/$other" ]
  e2e_check_status "$MODE usage '$args': exit $want, usage on std$stream only" 0 $?
done
run "$CLI" --version >"$e2e_tmp/out"
[ "$(tr -d '\r' <"$e2e_tmp/out")" = "brenvaltor-cli $(sed -n 's/^project(Brenvaltor VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")" ]
e2e_check_status "$MODE --version names the project version" 0 $?

# Every profile's whole report, and --json where it escapes (odd-replies:
# quotes, backslash and control byte) and for the LTE rows (lte-e3372).
for profile in $(e2e_report_profiles) odd-replies.json lte-e3372.json; do
  name=${profile%.json} args=report want=$EXPECTED/$profile
  [ "$name" = "$profile" ] && want=$want.txt || args="report --json"
  e2e_start_sim "$PROFILES/$name.profile"
  # shellcheck disable=SC2086
  run "$CLI" $args "$(port_of)" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $args $name: exit" 0 $?
  e2e_check "$MODE $args $name" "$want" "$e2e_tmp/out"
done
python3 -c 'import json,sys; json.load(open(sys.argv[1], encoding="utf-8"))' "$e2e_tmp/out"
e2e_check_status "$MODE report --json: valid JSON" 0 $?

# Scan: modems in port order; a silent device, a missing port and (natively)
# one that another process holds are skipped, the busy and missing ones
# without delay. Under wine the scan takes COM1..COM254, all but four missing.
e2e_start_sim "$PROFILES/e1550.profile"
if [ "$MODE" = wine ]; then
  wine_clear_com_ports
  wine_map_com_port 3 "$e2e_pty"
  e2e_add_sim "$PROFILES/silent.profile"; wine_map_com_port 7 "$e2e_pty"
  e2e_add_sim "$PROFILES/echoing.profile"; wine_map_com_port 9 "$e2e_pty"
  e2e_add_sim "$PROFILES/e3372.profile"; wine_map_com_port 12 "$e2e_pty"
  ports="" holder="" silent="" limit=5000
  printf 'E1550 (COM3)\nAT+CGMM (COM9)\nE3372 (COM12)\n' >"$e2e_tmp/want"
else
  first=$e2e_pty
  e2e_add_sim "$PROFILES/silent.profile"; silent=$e2e_pty
  e2e_add_sim "$PROFILES/echoing.profile"; echoing=$e2e_pty
  e2e_add_sim "$PROFILES/e3372.profile"; busy=$e2e_pty
  e2e_add_sim "$PROFILES/no-vendor.profile"; last=$e2e_pty
  flock "$busy" sleep 30 &
  holder=$!
  sleep 0.2
  ports="$first $silent $echoing /dev/does-not-exist $busy $last" limit=3500
  printf 'E1550 (%s)\nAT+CGMM (%s)\nM21-4 (%s)\n' "$first" "$echoing" "$last" >"$e2e_tmp/want"
fi
start=$(date +%s%N)
# shellcheck disable=SC2086
run "$CLI" scan $ports >"$e2e_tmp/out"
e2e_check_status "$MODE scan: exit" 0 $?
elapsed=$(ms_since "$start")
[ -n "$holder" ] && kill "$holder" 2>/dev/null && wait "$holder" 2>/dev/null
e2e_check "$MODE scan: entries in port order" "$e2e_tmp/want" "$e2e_tmp/out"
# Three answering modems and one silent device (two 1 s waits).
[ "$elapsed" -lt "$limit" ]
e2e_check_status "$MODE scan: missing and busy ports cost no wait (${elapsed} ms)" 0 $?
[ "$MODE" = wine ] && wine_clear_com_ports
run "$CLI" scan ${ports:+/dev/does-not-exist "$silent"} >"$e2e_tmp/out" 2>"$e2e_tmp/err"
e2e_check_status "$MODE scan finding nothing: exit" 1 $?
e2e_check_status "$MODE scan finding nothing: no output" 0 "$(wc -c <"$e2e_tmp/out")"
named=${ports:+/dev/does-not-exist, $silent}
head -n 1 "$e2e_tmp/err" | tr -d '\r' >"$e2e_tmp/first"
echo "brenvaltor-cli: no modem answered on: ${named:-COM1 to COM254}" >"$e2e_tmp/want"
e2e_check "$MODE scan finding nothing: says so on standard error" "$e2e_tmp/want" "$e2e_tmp/first"
if [ "$MODE" = wine ]; then
  # Wine shows no USB device of the vendor: the SetupAPI reader finds none.
  echo "brenvaltor-cli: no modem stick found: is it plugged in?" >"$e2e_tmp/want"
  grep -v '^brenvaltor-cli: no modem answered' "$e2e_tmp/err" | tr -d '\r' >"$e2e_tmp/got"
  e2e_check "$MODE scan finding nothing: no modem stick found" "$e2e_tmp/want" "$e2e_tmp/got"
else
  # The same device named twice (a link and its target) is probed once and
  # listed under the name given first.
  e2e_start_sim "$PROFILES/e1550.profile"
  ln -s "$e2e_pty" "$e2e_tmp/modem"
  for order in "$e2e_tmp/modem $e2e_pty" "$e2e_pty $e2e_tmp/modem"; do
    : >"$e2e_tmp/sim.log"
    # shellcheck disable=SC2086
    "$CLI" scan $order >"$e2e_tmp/out"
    printf 'E1550 (%s)\n' "${order%% *}" >"$e2e_tmp/want"
    e2e_check "scan: one device by two names, listed under the first" "$e2e_tmp/want" "$e2e_tmp/out"
    [ "$(tr '\r' . <"$e2e_tmp/sim.log")" = "ATE0.AT+CGMM." ]
    e2e_check_status "scan: one device by two names, probed once" 0 $?
  done
fi

# A stick that sends a report before every answer still lists its model.
e2e_start_sim "$PROFILES/e1550-reports.profile"
port=$(port_of)
run "$CLI" scan ${ports:+"$port"} >"$e2e_tmp/out"
echo "E1550 ($port)" >"$e2e_tmp/want"
e2e_check "$MODE scan: a stick with unsolicited reports" "$e2e_tmp/want" "$e2e_tmp/out"

# The one-shot exchange: the stick powers up with its echo on, so the reply
# starts with the echo; AT goes out as 41 54 0D. A command too long for the
# line is refused, as is a port "--" lets start with '-'.
e2e_start_sim "$PROFILES/e1550.profile"
port=$(port_of)
run "$CLI" send "$port" AT >"$e2e_tmp/out"
e2e_check_status "$MODE send AT: exit" 0 $?
printf 'AT\r\r\nOK\r\n' >"$e2e_tmp/want"
e2e_check "$MODE send AT: raw reply" "$e2e_tmp/want" "$e2e_tmp/out"
printf 'AT\r' >"$e2e_tmp/want"
e2e_check "$MODE send AT: bytes on the line" "$e2e_tmp/want" "$e2e_tmp/sim.log"
run "$CLI" send "$port" "AT$(printf 'A%.0s' $(seq 300))" >/dev/null 2>"$e2e_tmp/err"
e2e_check_status "$MODE send a 302-character command: refused" 2 $?
e2e_check_status "$MODE send a 302-character command: names the limit" 1 "$(grep -c 'longer than 254' "$e2e_tmp/err")"
if [ "$MODE" = native ]; then
  ln -s "$e2e_pty" "$e2e_tmp/-modem"
  (cd "$e2e_tmp" && "$CLI" send -- -modem AT >"$e2e_tmp/out" 2>"$e2e_tmp/err")
  e2e_check_status "send -- -modem: a port whose name starts with '-'" 0 $?
  printf 'AT\r\r\nOK\r\n' >"$e2e_tmp/want"
  e2e_check "send -- -modem: its reply" "$e2e_tmp/want" "$e2e_tmp/out"
  # A path too long for the buffers is refused whole, never cut to a path
  # that may name another device.
  long=/dev/$(printf 'x%.0s' $(seq 300))
  for args in "report $long" "scan $long" "send $long AT"; do
    # shellcheck disable=SC2086
    "$CLI" $args >"$e2e_tmp/out" 2>"$e2e_tmp/err"
    status=$?
    [ "$status" = 2 ] && grep -q 'port name may be at most 255 characters; this one has 305' "$e2e_tmp/err"
    e2e_check_status "${args%% *} with a 305-character path: refused (exit $status)" 0 $?
  done
fi

# Report-level faults: the rows match the expected file; afterwards the
# port opens again at once (nothing left it open).
for fault in $e2e_fault_profiles; do
  e2e_start_sim "$PROFILES/$fault.profile"
  port=$(port_of)
  run "$CLI" report "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $fault: report exits 0" 0 $?
  e2e_check "$MODE $fault: rows" "$EXPECTED/$fault.txt" "$e2e_tmp/out"
  run "$CLI" send "$port" AT >/dev/null 2>&1
  e2e_check_status "$MODE $fault: the port opens again right after" 0 $?
done

# Unplugged after three commands: the report ends at once with what came
# (two commands in a row go unanswered), and the vanished port no longer
# opens.
e2e_start_sim "$PROFILES/unplug.profile"
port=$(port_of)
start=$(date +%s%N)
run "$CLI" report "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
status=$?
elapsed=$(ms_since "$start")
e2e_check_status "$MODE unplugged mid-query: report exits 1" 1 $status
e2e_check "$MODE unplugged mid-query: rows of the first commands only" "$EXPECTED/unplug.txt" "$e2e_tmp/out"
grep -q "^brenvaltor-cli: no answer to AT+CGMI; the modem stopped answering" "$e2e_tmp/err"
e2e_check_status "$MODE unplugged mid-query: says which command got no answer" 0 $?
[ "$elapsed" -lt 5000 ]
e2e_check_status "$MODE unplugged mid-query: no long wait (${elapsed} ms)" 0 $?
run "$CLI" send "$port" AT >/dev/null 2>&1
e2e_check_status "$MODE unplugged mid-query: the vanished port does not open" 1 $?

# A stick whose firmware hangs after six answers: the report ends within
# 5 s (an unanswered command and the line check after it, 2 s each), with
# the rows of the six
# answers, the command that got no answer on standard error and exit
# status 1; --json the same. The port is free again right after.
for form in text json; do
  e2e_start_sim "$PROFILES/hang.profile"
  port=$(port_of)
  args=$([ "$form" = json ] && echo "report --json" || echo report)
  start=$(date +%s%N)
  # shellcheck disable=SC2086
  run "$CLI" $args "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  status=$?
  elapsed=$(ms_since "$start")
  e2e_check_status "$MODE hung stick ($form): report exits 1" 1 $status
  if [ "$form" = text ]; then
    e2e_check "$MODE hung stick: rows of the first six commands" "$EXPECTED/hang.txt" "$e2e_tmp/out"
  else
    python3 -c 'import json,sys; rows=json.load(open(sys.argv[1], encoding="utf-8"))["rows"]
want=[l.rstrip("\n").split(": ",1)[1] for l in open(sys.argv[2], encoding="utf-8")]
sys.exit([r["value"] for r in rows] != want)' "$e2e_tmp/out" "$EXPECTED/hang.txt"
    e2e_check_status "$MODE hung stick (json): the same rows" 0 $?
  fi
  [ "$(tr -d '\r' <"$e2e_tmp/err")" = "brenvaltor-cli: no answer to AT+CIMI; the modem stopped answering" ]
  e2e_check_status "$MODE hung stick ($form): says which command got no answer" 0 $?
  # About 4.1 s after the last answer; the six answers before it take up to
  # a second under a sanitizer or wine.
  [ "$elapsed" -lt 6000 ]
  e2e_check_status "$MODE hung stick ($form): ends within 5 s of its last answer (${elapsed} ms in all)" 0 $?
done
grep -q "^ATE0.ATI.AT^FHVER.AT+CGMI.AT+CGMM.AT+CGMR.AT+CIMI.AT+CSQ.$" <(tr '\r' '.' <"$e2e_tmp/sim.log")
e2e_check_status "$MODE hung stick: nothing sent after the unanswered line check" 0 $?

# Late and babbling sticks: an IMSI 2.5 s or 3.5 s late goes into its own
# row (the line is checked before the next command), every row exact; an
# answer that never ends (a digit every 40 ms, reports a byte at a time)
# ends the query within 10 s, with the rows before it, exit 1 and the
# command named.
babble="AT+CIMI got no proper answer; the modem is not answering properly"
for case in "e1550-late-imsi:e1550:0:" "e1550-later-imsi:e1550:0:" "dribble:hang:1:$babble" \
  "reports-dribble:hang:1:$babble"; do
  IFS=: read -r profile rows want message <<<"$case"
  e2e_start_sim "$PROFILES/$profile.profile"
  start=$(date +%s%N)
  run "$CLI" report "$(port_of)" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  status=$?
  elapsed=$(ms_since "$start")
  e2e_check_status "$MODE $profile: report exits $want" "$want" $status
  e2e_check "$MODE $profile: rows" "$EXPECTED/$rows.txt" "$e2e_tmp/out"
  [ "$(tr -d '\r' <"$e2e_tmp/err")" = "${message:+brenvaltor-cli: $message}" ] && [ "$elapsed" -lt 10000 ]
  e2e_check_status "$MODE $profile: ${message:-no message}, within 10 s (${elapsed} ms)" 0 $?
done

# Slow sticks: every answer 1.5 s after the command still gives all rows;
# a stick with its echo on and a report at once, answering 150 ms later,
# gives all rows on every fresh start.
e2e_start_sim "$PROFILES/e1550-late.profile"
run "$CLI" report "$(port_of)" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
e2e_check_status "$MODE answers after 1.5 s: report exits 0" 0 $?
e2e_check "$MODE answers after 1.5 s: all rows" "$EXPECTED/e1550.txt" "$e2e_tmp/out"
for fresh in 1 2 3 4 5; do
  e2e_start_sim "$PROFILES/e1550-echo-slow.profile"
  run "$CLI" report "$(port_of)" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check "$MODE echo on, a report at once, answers 150 ms later: all rows (fresh start $fresh)" \
    "$EXPECTED/e1550.txt" "$e2e_tmp/out"
done

# A model answer that begins within the scan's 1 s wait and goes on past
# it is read whole, as the query reads it: the scan lists it. The
# terminal's 2 s wait gets all of it too.
e2e_start_sim "$PROFILES/straddle.profile"
port=$(port_of)
run "$CLI" scan "$port" >"$e2e_tmp/out"
[ "$(head -n 1 "$e2e_tmp/out" | tr -d '\r')" = "S0S1S2S3S4S5S6S7S8S9SASBSCSDSE ($port)" ]
e2e_check_status "$MODE answer going on past the scan's wait: listed" 0 $?
run "$CLI" send "$port" AT+CGMM >"$e2e_tmp/out"
printf '\r\nS0S1S2S3S4S5S6S7S8S9SASBSCSDSE\r\n\r\nOK\r\n' >"$e2e_tmp/want"
e2e_check "$MODE the same answer within the terminal's wait: whole" "$e2e_tmp/want" "$e2e_tmp/out"

# A silent device: the one-shot exchange gives up after 2 s, the scan after
# two 1 s waits, and neither lists or prints anything.
e2e_start_sim "$PROFILES/silent.profile"
port=$(port_of)
start=$(date +%s%N)
run "$CLI" send "$port" AT >"$e2e_tmp/out"
e2e_check_status "$MODE silent: send exits 0" 0 $?
elapsed=$(ms_since "$start")
[ ! -s "$e2e_tmp/out" ] && [ "$elapsed" -ge 2000 ] && [ "$elapsed" -lt 5000 ]
e2e_check_status "$MODE silent: no reply after about 2 s (${elapsed} ms)" 0 $?
run "$CLI" scan "$port" >"$e2e_tmp/out"
[ ! -s "$e2e_tmp/out" ]
e2e_check_status "$MODE silent: the scan lists nothing" 0 $?

# A port that another process holds: every command fails at once. Under
# wine this cannot be staged: wine does not refuse a second open of a COM
# port (the Windows serial driver does), so the case runs natively only.
if [ "$MODE" = native ]; then
e2e_start_sim "$PROFILES/e1550.profile"
port=$(port_of)
run "$BENCH" hold "$port" 4000 >"$e2e_tmp/hold" 2>&1 &
holder=$!
for _ in $(seq 100); do grep -q holding "$e2e_tmp/hold" && break; sleep 0.05; done
start=$(date +%s%N)
run "$CLI" report "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
status=$?
elapsed=$(ms_since "$start")
e2e_check_status "$MODE busy port: report exits 1" 1 $status
[ "$elapsed" -lt 1500 ]
e2e_check_status "$MODE busy port: fails at once (${elapsed} ms)" 0 $?
check_cause "$MODE busy port" "$port: in use by another program (ModemManager often holds"
run "$CLI" scan "$port" >"$e2e_tmp/out"
[ ! -s "$e2e_tmp/out" ]
e2e_check_status "$MODE busy port: the scan skips it" 0 $?
wait $holder
run "$CLI" send "$port" AT >/dev/null 2>&1
e2e_check_status "$MODE busy port: free again once the holder closed it" 0 $?
fi

# A port that does not open says why: one cause per kind of failure, exit
# status 1, nothing on standard output. Under wine the names are COM ports
# whose links lead nowhere or to a plain file.
: >"$e2e_tmp/regular-file"
if [ "$MODE" = wine ]; then
  wine_clear_com_ports
  missing=COM9 regular=COM10
  wine_map_com_port 10 "$e2e_tmp/regular-file"
else
  missing=/dev/brenvaltor-no-such-port regular=$e2e_tmp/regular-file
fi
for case in "missing device:report:$missing:no such device" "regular file:send:$regular:not a serial port"; do
  IFS=: read -r what verb name cause <<<"$case"
  # shellcheck disable=SC2046
  run "$CLI" "$verb" "$name" $([ "$verb" = send ] && echo AT) >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $what: $verb exits 1" 1 $?
  check_cause "$MODE $what" "$name: $cause"
done
# No permission: the modem's pty (root's, mode 600) opened as nobody.
if [ "$MODE" = native ] && [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  e2e_start_sim "$PROFILES/e1550.profile"
  setpriv --reuid=65534 --regid=65534 --clear-groups "$CLI" send "$e2e_pty" AT >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE no permission: send exits 1" 1 $?
  check_cause "$MODE no permission" "$e2e_pty: permission denied (add your user to the dialout group, then log in again)"
  # A regular file nobody may read is not a serial port, not a dialout
  # matter (in a folder nobody can pass through, as the test's own is not).
  open_dir=$(mktemp -d)
  chmod 755 "$open_dir"
  : >"$open_dir/unreadable"
  chmod 600 "$open_dir/unreadable"
  setpriv --reuid=65534 --regid=65534 --clear-groups "$CLI" send "$open_dir/unreadable" AT >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE unreadable regular file: send exits 1" 1 $?
  check_cause "$MODE unreadable regular file" "$open_dir/unreadable: not a serial port"
  rm -rf "$open_dir"
fi

# The line as it was found: as an unprivileged user, two reports in a row
# both work (exclusive use is cleared at the close), and stty shows the same
# line settings before and after.
if [ "$MODE" = native ] && [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  e2e_start_sim "$PROFILES/e1550.profile"
  chown 65534 "$e2e_pty"
  stty -F "$e2e_pty" 38400 min 1 crtscts
  before=$(stty -F "$e2e_pty" -g)
  for run_number in 1 2; do
    setpriv --reuid=65534 --regid=65534 --clear-groups "$CLI" report "$e2e_pty" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
    e2e_check_status "$MODE unprivileged report $run_number in a row: exit" 0 $?
    e2e_check "$MODE unprivileged report $run_number in a row: rows" "$EXPECTED/e1550.txt" "$e2e_tmp/out"
  done
  [ "$(stty -F "$e2e_pty" -g)" = "$before" ]
  e2e_check_status "$MODE the line settings are the same after the reports" 0 $?
fi

# A 300-character model name: the scan entry is cut to 255 characters and
# keeps its port.
e2e_start_sim "$PROFILES/long-model.profile"
port=$(port_of)
run "$CLI" scan "$port" >"$e2e_tmp/out"
entry=$(head -n 1 "$e2e_tmp/out")
[ "${#entry}" -eq 255 ] && [ "${entry% (*}" != "$entry" ] && [ "${entry##* (}" = "$port)" ]
e2e_check_status "$MODE 300-character model: entry of 255 characters ending in ($port)" 0 $?

[ "$MODE" = wine ] && wine_clear_com_ports
e2e_finish
