#!/usr/bin/env bash
# The command-line tool against modem-sim on the real serial backend,
# natively or under wine: every profile's report, the scan, the one-shot
# exchange; faulty devices (rows, the port closed again, no wait beyond the
# read rule); the cause when a port does not open. Under wine in two halves
# (1: reports, scan, exchange; 2: faulty devices) that run side by side.
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

# Command lines refused before any port opens (natively only: the parsing is
# the same on both). A port name too long for the buffers is refused whole,
# never cut to one that may name another device; so is a long command.
version=$(sed -n 's/^project(Brenvaltor VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
usage='^usage: brenvaltor-cli' long=/dev/$(printf 'x%.0s' $(seq 300)) at302=AT$(printf 'A%.0s' $(seq 300))
too_long='port name may be at most 255 characters; this one has 305'
native && for case in "--help|0|out|$usage" "-h|0|out|$usage" "report -h|0|out|$usage" "|2|err|$usage" \
  "bogus|2|err|$usage" "report|2|err|$usage" "scan --verbose|2|err|$usage" "scan -|2|err|$usage" \
  "report --verbose nowhere|2|err|$usage" "send -x nowhere AT|2|err|$usage" "scan --wait|2|err|$usage" \
  "send --json nowhere AT|2|err|$usage" "scan --wait x|2|err|$usage" "scan --wait -1|2|err|$usage" \
  "scan --wait 1 --wait 2|2|err|$usage" "report --wait 1 nowhere|2|err|$usage" \
  "send --wait 1 nowhere AT|2|err|$usage" "report --trace a --trace b nowhere|2|err|$usage" \
  "report $long|2|err|$too_long" "scan $long|2|err|$too_long" "send $long AT|2|err|$too_long" \
  "send nowhere $at302|2|err|longer than 254" "--version|0|out|^brenvaltor-cli $version\$"; do
  IFS='|' read -r args want stream pattern <<<"$case"
  # shellcheck disable=SC2086
  (cd "$e2e_tmp" && "$CLI" $args >out 2>err)
  status=$?
  other=$([ "$stream" = out ] && echo err || echo out)
  [ "$status" = "$want" ] && grep -q "$pattern" "$e2e_tmp/$stream" && [ ! -s "$e2e_tmp/$other" ]
  e2e_ok "'${args:0:40}': exit $want, '$pattern' on std$stream only"
done

# Scan: modems in port order; a silent, a missing and (natively) a busy port
# skipped, the last two without delay. Under wine COM1..COM254, four present.
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

  # The one-shot exchange: the stick powers up with its echo on; a port
  # starting with '-' after "--" (natively).
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

# Every profile's report, and --json where it escapes (odd-replies) and for
# the LTE rows. Faulty, late and slow sticks: rows, status, message, no wait
# beyond LIMIT ms; AFTER: the port opens again (0) or is gone (1). Hung after
# six answers: it ends about 4.1 s after the last (a command and the line
# check, 2 s each; the answers before take up to a second under a sanitizer
# or wine). An IMSI 2.5 s or 3.5 s late still gets its row. An answer that
# never ends (a digit every 40 ms, reports a byte at a time) ends the query.
# e1550-echo-slow (echo on, a report at once, answers 150 ms later) runs five
# times: all rows on every fresh start.
# Cases: HALF:PROFILE:ROWS:EXIT:LIMIT:AFTER:MESSAGE
stopped="the modem stopped answering"
babble="AT+CIMI got no proper answer; the modem is not answering properly"
cases=() slow=2:e1550-echo-slow:e1550.txt:0:::
for profile in $(e2e_report_profiles); do cases+=("1:$profile:$profile.txt:0:::"); done
for fault in $e2e_fault_profiles; do cases+=("2:$fault:$fault.txt:0::0:"); done
for case in "${cases[@]}" 1:odd-replies:odd-replies.json:0::: 1:lte-e3372:lte-e3372.json:0::: \
  1:e1550-late:e1550.txt:0::: $slow $slow $slow $slow $slow \
  "2:unplug:unplug.txt:1:6000:1:no answer to AT+CGMI; $stopped" \
  "2:hang:hang.txt:1:6000::no answer to AT+CIMI; $stopped" 2:e1550-late-imsi:e1550.txt:0:10000:: \
  2:e1550-later-imsi:e1550.txt:0:10000:: "2:dribble:hang.txt:1:10000::$babble" \
  "2:reports-dribble:hang.txt:1:10000::$babble"; do
  IFS=: read -r in_half profile rows want limit after message <<<"$case"
  half "$in_half" || continue
  limit=${limit:-60000} args=report
  [[ $rows == *.json ]] && args="report --json"
  start_sim "$profile"
  # shellcheck disable=SC2086
  e2e_timed run "$CLI" $args "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "$MODE $args $profile: exits $want" "$want" $status
  e2e_check "$MODE $args $profile: rows" "$EXPECTED/$rows" "$e2e_tmp/out"
  [ "$(tr -d '\r' <"$e2e_tmp/err")" = "${message:+brenvaltor-cli: $message}" ] && [ "$elapsed" -lt "$limit" ]
  e2e_ok "$MODE $profile: ${message:-no message}, within $limit ms (${elapsed} ms)"
  [ -n "$after" ] || continue
  run "$CLI" send "$port" AT >/dev/null 2>&1
  e2e_check_status "$MODE $profile: the port opens again right after (0) or is gone (1)" "$after" $?
done

# A model answer that begins within the scan's 1 s wait and goes on past it
# is read whole, by the scan and by the terminal's 2 s wait.
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
fi

# A port that does not open says why: exit 1, one line, nothing on standard
# output. Natively also a port another process holds (wine does not refuse a
# second open, Windows does): it fails at once; and as an unprivileged user
# the modem's pty (root's, mode 600) and an unreadable file in a folder anyone
# may pass through (the test's own is not).
# Cases: VERB:NAME:CAUSE (VERB "nobody": send as an unprivileged user).
: >"$e2e_tmp/regular-file"
causes=("report:/dev/brenvaltor-no-such-port:no such device" "send:$e2e_tmp/regular-file:not a serial port")
if ! native; then
  wine_clear_com_ports
  wine_map_com_port 10 "$e2e_tmp/regular-file"
  causes=("report:COM9:no such device" "send:COM10:not a serial port")
else
  start_sim e1550
  "$BENCH" hold "$port" 4000 >"$e2e_tmp/hold" 2>&1 &
  holder=$!
  for _ in $(seq 100); do grep -q holding "$e2e_tmp/hold" && break; sleep 0.05; done
  causes=("report:$port:in use by another program (ModemManager often holds" "${causes[@]}")
  if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
    open_dir=$(mktemp -d)
    chmod 755 "$open_dir"
    : >"$open_dir/unreadable"
    chmod 600 "$open_dir/unreadable"
    causes+=("nobody:$port:permission denied (add your user to the dialout group, then log in again)"
      "nobody:$open_dir/unreadable:not a serial port")
  fi
fi
half 2 && for case in "${causes[@]}"; do
  IFS=: read -r verb name cause <<<"$case"
  as=()
  [ "$verb" = nobody ] && as=(setpriv --reuid=65534 --regid=65534 --clear-groups) verb=send
  # shellcheck disable=SC2046
  e2e_timed run "${as[@]}" "$CLI" "$verb" "$name" $([ "$verb" = send ] && echo AT) \
    >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  [ $status = 1 ] && [ ! -s "$e2e_tmp/out" ] && [ "$(wc -l <"$e2e_tmp/err")" -eq 1 ] &&
    grep -qF "brenvaltor-cli: cannot open port $name: $cause" "$e2e_tmp/err" &&
    { [[ $cause != "in use"* ]] || [ "$elapsed" -lt 1500 ]; }
  e2e_ok "$MODE $verb $name: exit 1 (${elapsed} ms), says \"$cause\""
done
[ -n "${holder:-}" ] && kill "$holder" 2>/dev/null && wait "$holder" 2>/dev/null
rm -rf "${open_dir:-}"

native || wine_clear_com_ports
e2e_finish
