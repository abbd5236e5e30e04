#!/usr/bin/env bash
# `brenvaltor-cli scan` when no modem answers, on the sysfs fixture trees: one
# line per stick on standard error, exit 1, or a router stick listed, exit 0;
# and `scan --wait`. Each state's line is the unit tests'; here the wiring.
# Usage: stick_diagnosis_e2e.sh CLI MODEM_SIM PROFILE_DIR FIXTURE_SCRIPT
set -u
CLI=$1 MODEM_SIM=$2 PROFILES=$3 FIXTURES=$4
. "$(dirname "$0")/e2e-lib.sh"
"$FIXTURES" "$e2e_tmp/fixtures"

storage="stick 12d1:1446 shows only its built-in CD-ROM / flash drive: it has not been switched to modem mode (usb_modeswitch, package usb-modeswitch, switches it)"
router="stick 12d1:14dc runs router firmware: no serial port, only a network adapter; its information is on its web page http://192.168.8.1/"
# The fixture's ports do not exist here: nothing tells a holder from a
# stick that is still starting, so both are named.
ports="stick 12d1:1001 has ports /dev/ttyUSB0, /dev/ttyUSB1, /dev/ttyUSB2 but none answered: ModemManager may hold them (stop it), or the stick may still be starting: wait a few seconds"
no_stick="no modem stick found: is it plugged in?"

# The stick lines of a scan's standard error, less the probed ports' line.
stick_lines() { grep -v '^brenvaltor-cli: no modem answered' "$1" | sed 's/^brenvaltor-cli: //'; }

for case in "ports:$ports" "no-stick:$no_stick" "two:$storage"$'\n'"$router"; do
  name=${case%%:*}
  BRENVALTOR_TEST_STICK_ROOT="$e2e_tmp/fixtures/$name" "$CLI" scan /dev/brenvaltor-no-such-port \
    >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  status=$?
  # A router stick is listed by its gateway (from the route table, never contacted).
  entry=$([ $name = two ] && echo "E3372 (192.168.8.1)")
  [ "$status" = "$([ -n "$entry" ] && echo 0 || echo 1)" ] && [ "$(cat "$e2e_tmp/out")" = "$entry" ]
  e2e_ok "scan, $name: exit $status, ${entry:-nothing} on standard output"
  printf '%s\n' "${case#*:}" >"$e2e_tmp/want"
  stick_lines "$e2e_tmp/err" >"$e2e_tmp/got"
  e2e_check "scan, $name: the stick lines" "$e2e_tmp/want" "$e2e_tmp/got"
done

# This machine's own sysfs, when it has none of the vendor's devices.
if ! grep -qix 12d1 /sys/bus/usb/devices/*/idVendor 2>/dev/null; then
  "$CLI" scan /dev/brenvaltor-no-such-port >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  [ $? = 1 ] && [ "$(stick_lines "$e2e_tmp/err")" = "$no_stick" ]
  e2e_ok "scan on this machine: exit 1, no modem stick found"
fi

# A stick that starts answering 2.5 s into a 10 s wait ends it: rounds are a
# second apart at most, one with a modem takes about 100 ms, and the sim may
# take half a second to start on a busy machine.
late="$e2e_tmp/ttyLATE"
(sleep 2.5 && exec "$MODEM_SIM" --link "$late" "$PROFILES/e1550.profile" >/dev/null 2>&1) &
e2e_sim_pids+=($!)
e2e_timed "$CLI" scan --wait 10 "$late" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
[ $status = 0 ] && [ "$elapsed" -ge 2500 ] && [ "$elapsed" -lt 4500 ] && [ "$(cat "$e2e_tmp/out")" = "E1550 ($late)" ]
e2e_ok "scan --wait 10: the modem's entry within 2 s of the stick's start (${elapsed} ms)"
e2e_stop_sims

# A router stick ends the wait in the first round; with nothing, the wait runs
# out, then the diagnosis.
BRENVALTOR_TEST_STICK_ROOT="$e2e_tmp/fixtures/router" e2e_timed "$CLI" scan --wait 10 "$late" >"$e2e_tmp/out" 2>/dev/null
[ $status = 0 ] && [ "$elapsed" -lt 1000 ] && [ "$(cat "$e2e_tmp/out")" = "E3372 (192.168.8.1)" ]
e2e_ok "scan --wait 10, router stick: its entry at once (${elapsed} ms)"
BRENVALTOR_TEST_STICK_ROOT="$e2e_tmp/fixtures/no-stick" e2e_timed "$CLI" scan --wait 2 "$late" >"$e2e_tmp/out" \
  2>"$e2e_tmp/err"
[ $status = 1 ] && [ "$elapsed" -ge 2000 ] && [ "$elapsed" -lt 3000 ] && [ "$(stick_lines "$e2e_tmp/err")" = "$no_stick" ]
e2e_ok "scan --wait 2 with nothing: gives up after 2 s (${elapsed} ms), then the diagnosis"

# The rounds of a wait on a missing port: strace counts the opens, one a
# second at most (three in a 2 s wait). LeakSanitizer cannot run under it.
if command -v strace >/dev/null; then
  strace -f -e trace=openat -o "$e2e_tmp/strace" "$CLI" scan --wait 2 "$late" >/dev/null 2>&1
  rounds=$(grep -c "ttyLATE" "$e2e_tmp/strace")
  [ "$rounds" -ge 2 ] && [ "$rounds" -le 3 ]
  e2e_ok "scan --wait 2: $rounds rounds, one a second at most"
fi

e2e_finish
