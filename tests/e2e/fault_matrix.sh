#!/usr/bin/env bash
# The fault matrix of the command-line tool, natively or under wine: for
# each faulty device, no crash, the rows as expected, the port closed again
# (it opens at once afterwards), and no wait beyond what the read rule gives.
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

ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }

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

# Unplugged after three commands: the report ends at once with what came,
# and the vanished port no longer opens.
e2e_start_sim "$PROFILES/unplug.profile"
port=$(port_of)
start=$(date +%s%N)
run "$CLI" report "$port" >"$e2e_tmp/out" 2>"$e2e_tmp/err"
status=$?
elapsed=$(ms_since "$start")
e2e_check_status "$MODE unplugged mid-query: report exits 0" 0 $status
e2e_check "$MODE unplugged mid-query: rows of the first commands only" "$EXPECTED/unplug.txt" "$e2e_tmp/out"
[ "$elapsed" -lt 5000 ]
e2e_check_status "$MODE unplugged mid-query: no long wait (${elapsed} ms)" 0 $?
run "$CLI" send "$port" AT >/dev/null 2>&1
e2e_check_status "$MODE unplugged mid-query: the vanished port does not open" 1 $?

# A silent device: the one-shot exchange gives up after 2 s, the scan after
# two 1 s waits, and neither lists or prints anything.
e2e_start_sim "$PROFILES/silent.profile"
port=$(port_of)
start=$(date +%s%N)
run "$CLI" send "$port" AT >"$e2e_tmp/out"
e2e_check_status "$MODE silent: send exits 0" 0 $?
elapsed=$(ms_since "$start")
[ ! -s "$e2e_tmp/out" ] && [ "$elapsed" -ge 2000 ] && [ "$elapsed" -lt 6000 ]
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
run "$CLI" report "$port" >/dev/null 2>"$e2e_tmp/err"
status=$?
elapsed=$(ms_since "$start")
e2e_check_status "$MODE busy port: report exits 1" 1 $status
[ "$elapsed" -lt 1500 ]
e2e_check_status "$MODE busy port: fails at once (${elapsed} ms)" 0 $?
run "$CLI" scan "$port" >"$e2e_tmp/out"
[ ! -s "$e2e_tmp/out" ]
e2e_check_status "$MODE busy port: the scan skips it" 0 $?
wait $holder
run "$CLI" send "$port" AT >/dev/null 2>&1
e2e_check_status "$MODE busy port: free again once the holder closed it" 0 $?
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
