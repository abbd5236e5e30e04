#!/usr/bin/env bash
# The Linux brenvaltor-cli against modem-sim: the report of every profile,
# a one-shot exchange, and the failure exits.
# Usage: cli_native_e2e.sh CLI MODEM_SIM PROFILE_DIR EXPECTED_DIR
set -u
CLI=$1 MODEM_SIM=$2 PROFILES=$3 EXPECTED=$4
. "$(dirname "$0")/e2e-lib.sh"

for profile in $(e2e_report_profiles); do
  e2e_start_sim "$PROFILES/$profile.profile"
  "$CLI" report "$e2e_pty" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "report $profile: exit" 0 $?
  e2e_check "report $profile" "$EXPECTED/$profile.txt" "$e2e_tmp/out"
done

# odd-replies: quotes, backslash and control byte escaped; lte-e3372: the
# LTE measurements and bands.
for profile in odd-replies lte-e3372; do
  e2e_start_sim "$PROFILES/$profile.profile"
  "$CLI" report --json "$e2e_pty" >"$e2e_tmp/out"
  e2e_check_status "report --json $profile: exit" 0 $?
  e2e_check "report --json $profile" "$EXPECTED/$profile.json" "$e2e_tmp/out"
  python3 -c 'import json,sys; json.load(open(sys.argv[1], encoding="utf-8"))' "$e2e_tmp/out"
  e2e_check_status "report --json $profile: valid JSON" 0 $?
done

# Scan: modems in the order given; a silent device, a missing path and a
# port that another process holds are skipped, the busy one without delay.
e2e_start_sim "$PROFILES/e1550.profile"; first=$e2e_pty
e2e_add_sim "$PROFILES/silent.profile"; silent=$e2e_pty
e2e_add_sim "$PROFILES/echoing.profile"; echoing=$e2e_pty
e2e_add_sim "$PROFILES/e3372.profile"; busy=$e2e_pty
e2e_add_sim "$PROFILES/no-vendor.profile"; last=$e2e_pty
flock "$busy" sleep 30 &
holder=$!
sleep 0.2
start=$(date +%s%N)
"$CLI" scan "$first" "$silent" "$echoing" /dev/does-not-exist "$busy" "$last" >"$e2e_tmp/out"
e2e_check_status "scan: exit" 0 $?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
kill $holder 2>/dev/null; wait $holder 2>/dev/null
printf 'E1550 (%s)\nAT+CGMM (%s)\nM21-4 (%s)\n' "$first" "$echoing" "$last" >"$e2e_tmp/want"
e2e_check "scan: entries in order" "$e2e_tmp/want" "$e2e_tmp/out"
# Three answering modems and one silent device (two 1 s waits).
[ "$elapsed_ms" -lt 3500 ]
e2e_check_status "scan: busy and missing ports cost no wait (${elapsed_ms} ms)" 0 $?
"$CLI" scan /dev/does-not-exist "$silent" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
e2e_check_status "scan finding nothing: exit" 1 $?
: >"$e2e_tmp/want"
e2e_check "scan finding nothing: no output" "$e2e_tmp/want" "$e2e_tmp/out"
head -n 1 "$e2e_tmp/err" >"$e2e_tmp/first"
echo "brenvaltor-cli: no modem answered on: /dev/does-not-exist, $silent" >"$e2e_tmp/want"
e2e_check "scan finding nothing: says so on standard error" "$e2e_tmp/want" "$e2e_tmp/first"

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

# A stick that sends a report before every answer still lists its model.
e2e_start_sim "$PROFILES/e1550-reports.profile"
"$CLI" scan "$e2e_pty" >"$e2e_tmp/out"
printf 'E1550 (%s)\n' "$e2e_pty" >"$e2e_tmp/want"
e2e_check "scan: a stick with unsolicited reports" "$e2e_tmp/want" "$e2e_tmp/out"

e2e_start_sim "$PROFILES/e1550.profile"
"$CLI" send "$e2e_pty" AT >"$e2e_tmp/out"
e2e_check_status "send AT: exit" 0 $?
# The stick powers up with its echo on, so the reply starts with the echo.
printf 'AT\r\r\nOK\r\n' >"$e2e_tmp/want"
e2e_check "send AT: raw reply" "$e2e_tmp/want" "$e2e_tmp/out"

e2e_start_sim "$PROFILES/silent.profile"
"$CLI" send "$e2e_pty" AT >"$e2e_tmp/out"
e2e_check_status "send to a silent device: exit" 0 $?
: >"$e2e_tmp/want"
e2e_check "send to a silent device: no reply" "$e2e_tmp/want" "$e2e_tmp/out"

"$CLI" send "$e2e_pty" "AT$(printf 'A%.0s' $(seq 300))" >/dev/null 2>"$e2e_tmp/err"
e2e_check_status "send a 302-character command: refused" 2 $?
grep -q 'longer than 254' "$e2e_tmp/err" && e2e_check_status "refusal names the limit" 0 0 \
  || e2e_check_status "refusal names the limit" 0 1

"$CLI" report /dev/does-not-exist >/dev/null 2>"$e2e_tmp/err"
e2e_check_status "report on a missing port: exit" 1 $?
grep -q 'cannot open port /dev/does-not-exist' "$e2e_tmp/err" && e2e_check_status "missing port message" 0 0 \
  || e2e_check_status "missing port message" 0 1

"$CLI" frobnicate >/dev/null 2>&1
e2e_check_status "bad usage: exit" 2 $?
"$CLI" report >/dev/null 2>&1
e2e_check_status "report without a port: exit" 2 $?

# Options: one that is not ours is bad usage, never a port name; "--" ends
# the options for a port whose name starts with '-'.
for args in "scan --verbose" "report --verbose /dev/null" "send -x /dev/null AT" "scan -" "send --json /dev/null AT"; do
  # shellcheck disable=SC2086
  "$CLI" $args >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  status=$?
  [ "$status" = 2 ] && [ ! -s "$e2e_tmp/out" ] && grep -q '^usage: brenvaltor-cli' "$e2e_tmp/err"
  e2e_check_status "'$args': usage error (exit $status)" 0 $?
done
e2e_start_sim "$PROFILES/e1550.profile"
ln -s "$e2e_pty" "$e2e_tmp/-modem"
(cd "$e2e_tmp" && "$CLI" send -- -modem AT >"$e2e_tmp/out" 2>"$e2e_tmp/err")
e2e_check_status "send -- -modem: a port whose name starts with '-'" 0 $?
printf 'AT\r\r\nOK\r\n' >"$e2e_tmp/want"
e2e_check "send -- -modem: its reply" "$e2e_tmp/want" "$e2e_tmp/out"

# A path too long for the buffers is refused whole, never cut to a path
# that may name another device.
long=/dev/$(printf 'x%.0s' $(seq 300))
for verb in "report" "scan" "send"; do
  extra=$([ "$verb" = send ] && echo AT)
  # shellcheck disable=SC2086
  "$CLI" $verb "$long" $extra >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  status=$?
  [ "$status" = 2 ] && grep -q 'port name may be at most 255 characters; this one has 305' "$e2e_tmp/err"
  e2e_check_status "$verb with a 305-character path: refused (exit $status)" 0 $?
done

e2e_finish
