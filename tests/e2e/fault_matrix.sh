#!/usr/bin/env bash
# The command-line tool against modem-sim, natively or under wine: the
# report of every profile, the scan and the one-shot exchange; for each
# faulty device, no crash, the rows as expected, the port closed again (it
# opens at once afterwards), and no wait beyond what the read rule gives;
# for each port that cannot be opened, the cause. Under wine the cases come
# in two halves (HALF 1: reports, scan, exchange; HALF 2: the faulty
# devices), so that two tests run them side by side; natively all run.
# Usage: fault_matrix.sh CLI BENCH MODEM_SIM PROFILE_DIR EXPECTED_DIR [wine [HALF]]
set -u
CLI=$1 BENCH=$2 MODEM_SIM=$3 PROFILES=$4 EXPECTED=$5 MODE=${6:-native} HALF=${7:-}
. "$(dirname "$0")/e2e-lib.sh"

if [ "$MODE" = wine ]; then
  . "$(dirname "$0")/../wine/wine-env.sh"
  wine_start
  run() { wine "$@"; }
else
  run() { "$@"; }
fi
half() { [ -z "$HALF" ] || [ "$HALF" = "$1" ]; }
native() { [ "$MODE" = native ]; }

# start_sim PROFILE: the only sim; $port is the name the program uses for it.
start_sim() {
  e2e_start_sim "$PROFILES/$1.profile"
  port=$e2e_pty
  if ! native; then
    wine_map_com_port 5 "$e2e_pty"
    port=COM5
  fi
}

# check_cause NAME TEXT: the failure's one line on standard error names
# this cause, and standard output stays empty.
check_cause() {
  [ ! -s "$e2e_tmp/out" ] && [ "$(wc -l <"$e2e_tmp/err")" -eq 1 ] &&
    grep -qF "brenvaltor-cli: cannot open port $2" "$e2e_tmp/err"
  e2e_ok "$1: says \"cannot open port $2\""
}

# Usage: asked for, the usage goes to standard output with status 0; bad
# usage goes to standard error with status 2; --version names the version.
# An option that is not ours is bad usage, never a port name. The parsing
# is the same on both platforms: natively only.
native && for case in "--help:0:out" "-h:0:out" "report -h:0:out" ":2:err" "bogus:2:err" "report:2:err" \
  "scan --verbose:2:err" "report --verbose nowhere:2:err" "send -x nowhere AT:2:err" "scan -:2:err" \
  "send --json nowhere AT:2:err" "scan --wait:2:err" "scan --wait x:2:err" "scan --wait -1:2:err" \
  "scan --wait 1 --wait 2:2:err" "report --wait 1 nowhere:2:err" "send --wait 1 nowhere AT:2:err"; do
  IFS=: read -r args want stream <<<"$case"
  # shellcheck disable=SC2086
  "$CLI" $args >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  status=$?
  other=$([ "$stream" = out ] && echo err || echo out)
  [ "$status" = "$want" ] && grep -q '^usage: brenvaltor-cli' "$e2e_tmp/$stream" && [ ! -s "$e2e_tmp/$other" ]
  e2e_ok "usage '$args': exit $want, usage on std$stream only"
done
if native; then
  [ "$("$CLI" --version)" = "brenvaltor-cli $(sed -n 's/^project(Brenvaltor VERSION \([0-9.]*\).*/\1/p' \
    "$(dirname "$0")/../../CMakeLists.txt")" ]
  e2e_ok "--version names the project version"
  "$CLI" send nowhere "AT$(printf 'A%.0s' $(seq 300))" 2>"$e2e_tmp/err"
  [ $? = 2 ] && grep -q 'longer than 254' "$e2e_tmp/err"
  e2e_ok "send a 302-character command: refused, names the limit"
fi

# Every profile's whole report, and --json where it escapes (odd-replies:
# quotes, backslash and control byte) and for the LTE rows (lte-e3372);
# the expected files are valid JSON, so the output is too.
half 1 && for profile in $(e2e_report_profiles) odd-replies.json lte-e3372.json; do
  name=${profile%.json} args=report want=$EXPECTED/$profile
  [ "$name" = "$profile" ] && want=$want.txt || args="report --json"
  start_sim "$name"
  # shellcheck disable=SC2086
  run "$CLI" $args "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $args $name: exit" 0 $?
  e2e_check "$MODE $args $name" "$want" "$e2e_tmp/out"
done

# Scan: modems in port order; a silent device, a missing port and (natively)
# one that another process holds are skipped, the busy and missing ones
# without delay. Under wine the scan takes COM1..COM254, all but four missing.
if half 1; then
  start_sim e1550
  if native; then
    first=$e2e_pty
    e2e_add_sim "$PROFILES/silent.profile"; silent=$e2e_pty
    e2e_add_sim "$PROFILES/echoing.profile"; echoing=$e2e_pty
    e2e_add_sim "$PROFILES/e3372.profile"; busy=$e2e_pty
    e2e_add_sim "$PROFILES/no-vendor.profile"; last=$e2e_pty
    flock "$busy" sleep 30 &
    holder=$!
    until ! flock -n "$busy" true; do sleep 0.02; done
    ports="$first $silent $echoing /dev/does-not-exist $busy $last" limit=3500
    printf 'E1550 (%s)\nAT+CGMM (%s)\nM21-4 (%s)\n' "$first" "$echoing" "$last" >"$e2e_tmp/want"
  else
    wine_clear_com_ports
    wine_map_com_port 3 "$e2e_pty"
    e2e_add_sim "$PROFILES/silent.profile"; wine_map_com_port 7 "$e2e_pty"
    e2e_add_sim "$PROFILES/echoing.profile"; wine_map_com_port 9 "$e2e_pty"
    e2e_add_sim "$PROFILES/e3372.profile"; wine_map_com_port 12 "$e2e_pty"
    ports="" holder="" silent="" limit=5000
    printf 'E1550 (COM3)\nAT+CGMM (COM9)\nE3372 (COM12)\n' >"$e2e_tmp/want"
  fi
  # shellcheck disable=SC2086
  e2e_timed run "$CLI" scan $ports >"$e2e_tmp/out"
  e2e_check_status "$MODE scan: exit" 0 $status
  [ -n "$holder" ] && kill "$holder" 2>/dev/null && wait "$holder" 2>/dev/null
  e2e_check "$MODE scan: entries in port order" "$e2e_tmp/want" "$e2e_tmp/out"
  # Three answering modems and one silent device (two 1 s waits).
  [ "$elapsed" -lt "$limit" ]
  e2e_ok "$MODE scan: missing and busy ports cost no wait (${elapsed} ms)"
  native || wine_clear_com_ports
  run "$CLI" scan ${ports:+/dev/does-not-exist "$silent"} >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE scan finding nothing: exit" 1 $?
  named=${ports:+/dev/does-not-exist, $silent}
  # Wine shows no USB device of the vendor: the SetupAPI reader finds none.
  [ ! -s "$e2e_tmp/out" ] && [ "$(head -n 1 "$e2e_tmp/err" | tr -d '\r')" = \
    "brenvaltor-cli: no modem answered on: ${named:-COM1 to COM254}" ] &&
    { native || [ "$(sed 1d "$e2e_tmp/err" | tr -d '\r')" = "brenvaltor-cli: no modem stick found: is it plugged in?" ]; }
  e2e_ok "$MODE scan finding nothing: says so on standard error only"

  # The same device named twice (a link and its target) is probed once and
  # listed under the name given first.
  if native; then
    start_sim e1550
    ln -s "$e2e_pty" "$e2e_tmp/modem"
    for order in "$e2e_tmp/modem $e2e_pty" "$e2e_pty $e2e_tmp/modem"; do
      : >"$e2e_tmp/sim.log"
      # shellcheck disable=SC2086
      [ "$("$CLI" scan $order)" = "E1550 (${order%% *})" ] && [ "$(tr '\r' . <"$e2e_tmp/sim.log")" = "ATE0.AT+CGMM." ]
      e2e_ok "scan: one device by two names, probed once, listed under the first"
    done
  fi

  # A stick that sends a report before every answer still lists its model.
  start_sim e1550-reports
  [ "$(run "$CLI" scan ${ports:+"$port"} 2>/dev/null | tr -d '\r')" = "E1550 ($port)" ]
  e2e_ok "$MODE scan: a stick with unsolicited reports"

  # The one-shot exchange: the stick powers up with its echo on, so the
  # reply starts with the echo; AT goes out as 41 54 0D. A port "--" lets
  # start with '-' works natively.
  start_sim e1550
  name=$port
  native && ln -s "$e2e_pty" "$e2e_tmp/-modem" && name=-modem
  (cd "$e2e_tmp" && run "$CLI" send -- "$name" AT >"$e2e_tmp/out")
  e2e_check_status "$MODE send -- $name AT: exit" 0 $?
  printf 'AT\r\r\nOK\r\n' >"$e2e_tmp/want"
  e2e_check "$MODE send AT: raw reply" "$e2e_tmp/want" "$e2e_tmp/out"
  printf 'AT\r' >"$e2e_tmp/want"
  e2e_check "$MODE send AT: bytes on the line" "$e2e_tmp/want" "$e2e_tmp/sim.log"
fi

# A path too long for the buffers is refused whole, never cut to a path
# that may name another device.
long=/dev/$(printf 'x%.0s' $(seq 300))
native && for args in "report $long" "scan $long" "send $long AT"; do
  # shellcheck disable=SC2086
  "$CLI" $args >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  [ $? = 2 ] && grep -q 'port name may be at most 255 characters; this one has 305' "$e2e_tmp/err"
  e2e_ok "${args%% *} with a 305-character path: refused"
done

# Report-level faults: the rows match the expected file; afterwards the
# port opens again at once (nothing left it open).
half 2 && for fault in $e2e_fault_profiles; do
  start_sim "$fault"
  run "$CLI" report "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $fault: report exits 0" 0 $?
  e2e_check "$MODE $fault: rows" "$EXPECTED/$fault.txt" "$e2e_tmp/out"
  run "$CLI" send "$port" AT >/dev/null 2>&1
  e2e_check_status "$MODE $fault: the port opens again right after" 0 $?
done

# Sticks that stop answering, late and babbling sticks. Unplugged after
# three commands: the report ends at once with what came (two commands in
# a row go unanswered), and the vanished port no longer opens. Firmware
# that hangs after six answers: the report ends about 4.1 s after its last
# answer (an unanswered command and the line check after it, 2 s each); the
# answers before it take up to a second under a sanitizer or wine, so the
# whole report gets 6 s. An IMSI 2.5 s or 3.5 s
# late goes into its own row (the line is checked before the next
# command), every row exact; an answer that never ends (a digit every
# 40 ms, reports a byte at a time) ends the query within 10 s, with the
# rows before it, exit 1 and the command named.
stopped="the modem stopped answering"
babble="AT+CIMI got no proper answer; the modem is not answering properly"
half 2 && for case in "unplug:unplug:1:no answer to AT+CGMI; $stopped" "hang:hang:1:no answer to AT+CIMI; $stopped" \
  "e1550-late-imsi:e1550:0:" "e1550-later-imsi:e1550:0:" "dribble:hang:1:$babble" \
  "reports-dribble:hang:1:$babble"; do
  IFS=: read -r profile rows want message <<<"$case"
  start_sim "$profile"
  e2e_timed run "$CLI" report "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $profile: report exits $want" "$want" $status
  e2e_check "$MODE $profile: rows" "$EXPECTED/$rows.txt" "$e2e_tmp/out"
  limit=$([[ $message == *"$stopped" ]] && echo 6000 || echo 10000)
  [ "$(tr -d '\r' <"$e2e_tmp/err")" = "${message:+brenvaltor-cli: $message}" ] && [ "$elapsed" -lt "$limit" ]
  e2e_ok "$MODE $profile: ${message:-no message}, within $limit ms (${elapsed} ms)"
  if [ "$profile" = unplug ]; then
    run "$CLI" send "$port" AT >/dev/null 2>&1
    e2e_check_status "$MODE unplugged mid-query: the vanished port does not open" 1 $?
  fi
done

# The hung stick's --json: the same rows, the same message, and nothing
# sent after the unanswered line check.
if half 2; then
  start_sim hang
  run "$CLI" report --json "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE hung stick (json): report exits 1" 1 $?
  python3 -c 'import json,sys; rows=json.load(open(sys.argv[1], encoding="utf-8"))["rows"]
want=[l.rstrip("\n").split(": ",1)[1] for l in open(sys.argv[2], encoding="utf-8")]
sys.exit([r["value"] for r in rows] != want)' "$e2e_tmp/out" "$EXPECTED/hang.txt" &&
    [ "$(tr -d '\r' <"$e2e_tmp/err")" = "brenvaltor-cli: no answer to AT+CIMI; $stopped" ] &&
    [ "$(tr '\r' . <"$e2e_tmp/sim.log")" = "ATE0.ATI.AT^FHVER.AT+CGMI.AT+CGMM.AT+CGMR.AT+CIMI.AT+CSQ." ]
  e2e_ok "$MODE hung stick (json): the same rows and message, nothing sent after the line check"
fi

# Slow sticks: every answer 1.5 s after the command still gives all rows;
# a stick with its echo on and a report at once, answering 150 ms later,
# gives all rows on every fresh start (in the other half).
for profile in e1550-late e1550-echo-slow e1550-echo-slow e1550-echo-slow e1550-echo-slow e1550-echo-slow; do
  half "$([ "$profile" = e1550-late ] && echo 1 || echo 2)" || continue
  start_sim "$profile"
  run "$CLI" report "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $profile: report exits 0" 0 $?
  e2e_check "$MODE $profile (a fresh start): all rows" "$EXPECTED/e1550.txt" "$e2e_tmp/out"
done

# A model answer that begins within the scan's 1 s wait and goes on past
# it is read whole, as the query reads it: the scan lists it. The
# terminal's 2 s wait gets all of it too.
if half 2; then
  start_sim straddle
  [ "$(run "$CLI" scan "$port" | head -n 1 | tr -d '\r')" = "S0S1S2S3S4S5S6S7S8S9SASBSCSDSE ($port)" ]
  e2e_ok "$MODE answer going on past the scan's wait: listed"
  run "$CLI" send "$port" AT+CGMM >"$e2e_tmp/out"
  printf '\r\nS0S1S2S3S4S5S6S7S8S9SASBSCSDSE\r\n\r\nOK\r\n' >"$e2e_tmp/want"
  e2e_check "$MODE the same answer within the terminal's wait: whole" "$e2e_tmp/want" "$e2e_tmp/out"

  # A silent device: the one-shot exchange gives up after 2 s, the scan
  # after two 1 s waits, and neither lists or prints anything.
  start_sim silent
  e2e_timed run "$CLI" send "$port" AT >"$e2e_tmp/out"
  [ $status = 0 ] && [ ! -s "$e2e_tmp/out" ] && [ "$elapsed" -ge 2000 ] && [ "$elapsed" -lt 5000 ]
  e2e_ok "$MODE silent: send exits 0, no reply after about 2 s (${elapsed} ms)"
  [ -z "$(run "$CLI" scan "$port" 2>/dev/null)" ]
  e2e_ok "$MODE silent: the scan lists nothing"

  # A 300-character model name: the scan entry is cut to 255 characters
  # and keeps its port.
  start_sim long-model
  entry=$(run "$CLI" scan "$port" | head -n 1)
  [ "${#entry}" -eq 255 ] && [ "${entry##* (}" = "$port)" ]
  e2e_ok "$MODE 300-character model: entry of 255 characters ending in ($port)"
fi

# A port that another process holds: every command fails at once. Under
# wine this cannot be staged: wine does not refuse a second open of a COM
# port (the Windows serial driver does), so the case runs natively only.
if native; then
  start_sim e1550
  "$BENCH" hold "$port" 4000 >"$e2e_tmp/hold" 2>&1 &
  holder=$!
  for _ in $(seq 100); do grep -q holding "$e2e_tmp/hold" && break; sleep 0.05; done
  e2e_timed "$CLI" report "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  [ $status = 1 ] && [ "$elapsed" -lt 1500 ]
  e2e_ok "busy port: report exits 1 at once (${elapsed} ms)"
  check_cause "busy port" "$port: in use by another program (ModemManager often holds"
  [ -z "$("$CLI" scan "$port" 2>/dev/null)" ]
  e2e_ok "busy port: the scan skips it"
  wait $holder
  "$CLI" send "$port" AT >/dev/null 2>&1
  e2e_ok "busy port: free again once the holder closed it"
fi

# A port that does not open says why: one cause per kind of failure, exit
# status 1, nothing on standard output. Under wine the names are COM ports
# whose links lead nowhere or to a plain file.
: >"$e2e_tmp/regular-file"
missing=/dev/brenvaltor-no-such-port regular=$e2e_tmp/regular-file
if ! native; then
  wine_clear_com_ports
  missing=COM9 regular=COM10
  wine_map_com_port 10 "$e2e_tmp/regular-file"
fi
half 2 && for case in "missing device:report:$missing:no such device" "regular file:send:$regular:not a serial port"; do
  IFS=: read -r what verb name cause <<<"$case"
  # shellcheck disable=SC2046
  run "$CLI" "$verb" "$name" $([ "$verb" = send ] && echo AT) >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $what: $verb exits 1" 1 $?
  check_cause "$MODE $what" "$name: $cause"
done

# As an unprivileged user: the modem's pty (root's, mode 600) says no
# permission, and a regular file nobody may read is not a serial port, not
# a dialout matter (in a folder nobody can pass through, as the test's own
# is not). How the line is left at the close is the serial unit tests'.
if native && [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  start_sim e1550
  open_dir=$(mktemp -d)
  chmod 755 "$open_dir"
  : >"$open_dir/unreadable"
  chmod 600 "$open_dir/unreadable"
  for case in "$port:permission denied (add your user to the dialout group, then log in again)" \
    "$open_dir/unreadable:not a serial port"; do
    setpriv --reuid=65534 --regid=65534 --clear-groups "$CLI" send "${case%%:*}" AT >"$e2e_tmp/out" 2>"$e2e_tmp/err"
    e2e_check_status "no permission on ${case%%:*}: send exits 1" 1 $?
    check_cause "no permission on ${case%%:*}" "${case%%:*}: ${case#*:}"
  done
  rm -rf "$open_dir"
fi

native || wine_clear_com_ports
e2e_finish
