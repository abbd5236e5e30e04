#!/usr/bin/env bash
# The Linux brenvaltor-cli against modem-sim: the report of every profile,
# a one-shot exchange, and the failure exits.
# Usage: cli_native_e2e.sh CLI MODEM_SIM PROFILE_DIR EXPECTED_DIR
set -u
CLI=$1 MODEM_SIM=$2 PROFILES=$3 EXPECTED=$4
. "$(dirname "$0")/e2e-lib.sh"

# A silent device is left out of the report runs: with no reply each of the
# 17 commands waits for the full read bound (65.6 s).
for profile in e1550 e3372 no-vendor echoing; do
  e2e_start_sim "$PROFILES/$profile.profile"
  "$CLI" report "$e2e_pty" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
  e2e_check_status "report $profile: exit" 0 $?
  e2e_check "report $profile" "$EXPECTED/$profile.txt" "$e2e_tmp/out"
done

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

e2e_finish
