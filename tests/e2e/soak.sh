#!/usr/bin/env bash
# Short leak soak: 20 rounds of a query, a terminal-style exchange and a
# scan (its probes side by side, each on a thread of its own) in one
# process against modem-sim; fails when handles, threads or memory grew.
# Under wine also 200 exchanges given up after 1 ms, which must not hang.
# Usage: soak.sh BENCH MODEM_SIM PROFILE_DIR [wine]
set -u
BENCH=$1 MODEM_SIM=$2 PROFILES=$3 MODE=${4:-native}
. "$(dirname "$0")/e2e-lib.sh"
e2e_start_sim "$PROFILES/zero-latency.profile"
if [ "$MODE" = wine ]; then
  . "$(dirname "$0")/../wine/wine-env.sh"
  wine_start
  wine_map_com_port 5 "$e2e_pty"
  wine "$BENCH" soak COM5 20 | tee "$e2e_tmp/out"
  status=${PIPESTATUS[0]}
  # Exchanges given up after 1 ms, in the middle of their reads: none may
  # hang the next one.
  timeout 60 wine "$BENCH" stopstress COM5 200
  e2e_check_status "giving up on reads at any moment never hangs" 0 $?
  wine_clear_com_ports
else
  "$BENCH" soak "$e2e_pty" 20 | tee "$e2e_tmp/out"
  status=${PIPESTATUS[0]}
fi
e2e_check_status "soak ($MODE): no growth in handles, threads or memory" 0 "$status"
e2e_finish
