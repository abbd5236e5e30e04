#!/usr/bin/env bash
# The Windows brenvaltor-cli.exe under wine, with modem-sim mapped as COM5
# in the project's private wine prefix: every report must print exactly what
# the Linux build prints for the same profile (the same expected files).
# Usage: cli_wine_e2e.sh CLI_EXE MODEM_SIM PROFILE_DIR EXPECTED_DIR
set -u
CLI=$1 MODEM_SIM=$2 PROFILES=$3 EXPECTED=$4
. "$(dirname "$0")/e2e-lib.sh"
. "$(dirname "$0")/../wine/wine-env.sh"
wine_start

for profile in $(e2e_report_profiles); do
  e2e_start_sim "$PROFILES/$profile.profile"
  wine_map_com_port 5 "$e2e_pty"
  wine "$CLI" report COM5 >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "wine report $profile: exit" 0 $?
  e2e_check "wine report $profile" "$EXPECTED/$profile.txt" "$e2e_tmp/out"
done

for profile in odd-replies lte-e3372; do
  e2e_start_sim "$PROFILES/$profile.profile"
  wine_map_com_port 5 "$e2e_pty"
  wine "$CLI" report --json COM5 >"$e2e_tmp/out"
  e2e_check "wine report --json $profile" "$EXPECTED/$profile.json" "$e2e_tmp/out"
done

# Scan of COM1..COM254: modems on COM3, COM9 (echo stays on) and COM12, a
# silent device on COM7; every other port does not exist.
wine_clear_com_ports
e2e_start_sim "$PROFILES/e1550.profile"; wine_map_com_port 3 "$e2e_pty"
e2e_add_sim "$PROFILES/silent.profile"; wine_map_com_port 7 "$e2e_pty"
e2e_add_sim "$PROFILES/echoing.profile"; wine_map_com_port 9 "$e2e_pty"
e2e_add_sim "$PROFILES/e3372.profile"; wine_map_com_port 12 "$e2e_pty"
start=$(date +%s%N)
wine "$CLI" scan >"$e2e_tmp/out"
e2e_check_status "wine scan: exit" 0 $?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
printf 'E1550 (COM3)\nAT+CGMM (COM9)\nE3372 (COM12)\n' >"$e2e_tmp/want"
e2e_check "wine scan: entries in port order" "$e2e_tmp/want" "$e2e_tmp/out"
[ "$elapsed_ms" -lt 5000 ]
e2e_check_status "wine scan: 250 missing ports cost no wait (${elapsed_ms} ms)" 0 $?
wine_clear_com_ports
e2e_start_sim "$PROFILES/e1550-reports.profile"; wine_map_com_port 5 "$e2e_pty"
wine "$CLI" scan >"$e2e_tmp/out"
printf 'E1550 (COM5)\n' >"$e2e_tmp/want"
e2e_check "wine scan: a stick with unsolicited reports" "$e2e_tmp/want" "$e2e_tmp/out"
wine_clear_com_ports
wine "$CLI" scan >"$e2e_tmp/out" 2>"$e2e_tmp/err"
e2e_check_status "wine scan finding nothing: exit" 1 $?
: >"$e2e_tmp/want"
e2e_check "wine scan finding nothing: no output" "$e2e_tmp/want" "$e2e_tmp/out"
head -n 1 "$e2e_tmp/err" | tr -d '\r' >"$e2e_tmp/first"
echo "brenvaltor-cli: no modem answered on: COM1 to COM254" >"$e2e_tmp/want"
e2e_check "wine scan finding nothing: says so" "$e2e_tmp/want" "$e2e_tmp/first"
# Wine shows no USB device of the vendor: the SetupAPI reader finds none.
echo "brenvaltor-cli: no modem stick found: is it plugged in?" >"$e2e_tmp/want"
grep -v '^brenvaltor-cli: no modem answered' "$e2e_tmp/err" | tr -d '\r' >"$e2e_tmp/got"
e2e_check "wine scan finding nothing: no modem stick found" "$e2e_tmp/want" "$e2e_tmp/got"

e2e_start_sim "$PROFILES/e1550.profile"
wine_map_com_port 5 "$e2e_pty"
wine "$CLI" send COM5 AT >"$e2e_tmp/out"
e2e_check_status "wine send AT: exit" 0 $?
printf 'AT\r\r\nOK\r\n' >"$e2e_tmp/want"
e2e_check "wine send AT: raw reply" "$e2e_tmp/want" "$e2e_tmp/out"
# AT goes out as 41 54 0D.
printf 'AT\r' >"$e2e_tmp/want"
e2e_check "wine send AT: bytes on the line" "$e2e_tmp/want" "$e2e_tmp/sim.log"

# The terminal's exchange with a silent device: nothing after about 2 s.
e2e_start_sim "$PROFILES/silent.profile"
wine_map_com_port 5 "$e2e_pty"
start=$(date +%s%N)
wine "$CLI" send COM5 AT >"$e2e_tmp/out"
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
e2e_check_status "wine send to a silent device: exit" 0 $?
: >"$e2e_tmp/want"
e2e_check "wine send to a silent device: no reply" "$e2e_tmp/want" "$e2e_tmp/out"
[ "$elapsed_ms" -ge 2000 ] && [ "$elapsed_ms" -lt 5000 ]
e2e_check_status "wine send to a silent device: waits about 2 s (${elapsed_ms} ms)" 0 $?

# COM6 leads nowhere.
wine "$CLI" report COM6 >/dev/null 2>"$e2e_tmp/err"
e2e_check_status "wine report on a missing port: exit" 1 $?
grep -q 'cannot open port COM6' "$e2e_tmp/err"
e2e_check_status "wine missing port message" 0 $?

wine "$CLI" frobnicate >/dev/null 2>&1
e2e_check_status "wine bad usage: exit" 2 $?

wine_clear_com_ports
e2e_finish
